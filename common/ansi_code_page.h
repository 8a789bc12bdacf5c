#pragma once

#include <string>

// Text in the system's ANSI code page, which Wordlark's files hold (the words, and the paths that
// wordlark.cfg stores), against the UTF-8 in which the program holds paths. Windows converts
// through its ANSI code page (common/ansi_code_page_win.cpp); the host build, which runs only the
// tests, takes Latin-1 as its code page.

// UTF-8 from ANSI text: every byte has its character.
std::string utf8FromAnsi(const std::string &ansi);

// ANSI text from UTF-8; false when the code page cannot spell every character exactly (no
// look-alike stands in for one).
bool ansiFromUtf8(const std::string &utf8, std::string &ansi);
