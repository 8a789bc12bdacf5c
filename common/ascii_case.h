#pragma once

#include <string>

// Case of the ASCII letters A to Z alone: every other byte of the ANSI text stays as it is, so the
// result never depends on the code page or the C library's locale.
// Inline: the spelling corrections fold every letter of the trie they walk.
inline char lowerAscii(char ch) { return ch >= 'A' && ch <= 'Z' ? static_cast<char>(ch - 'A' + 'a') : ch; }
inline char upperAscii(char ch) { return ch >= 'a' && ch <= 'z' ? static_cast<char>(ch - 'a' + 'A') : ch; }
void lowerAscii(std::string &text);
std::string loweredAscii(const std::string &text);
bool equalIgnoringAsciiCase(const std::string &a, const std::string &b);
