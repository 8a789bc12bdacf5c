#pragma once

#include <string>

// Case of the ASCII letters A to Z alone: every other byte of the ANSI text stays as it is, so the
// result never depends on the code page or the C library's locale.
char lowerAscii(char ch);
void lowerAscii(std::string &text);
std::string loweredAscii(const std::string &text);
bool equalIgnoringAsciiCase(const std::string &a, const std::string &b);
