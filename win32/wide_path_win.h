#pragma once

#include <windows.h>

#include <string>

// Paths are UTF-8 inside Wordlark and UTF-16 where it hands them to Windows, through the
// wide-character calls: the ANSI calls would turn every character outside the ANSI code page
// (a Cyrillic user name on a Western system) into a question mark, and the file into another.
// Texts that carry a path on to the user (a notice naming a file) are UTF-8 too.

// UTF-8 to UTF-16; bytes that are no UTF-8 become U+FFFD, which names no file.
std::wstring widePath(const std::string &utf8);
// UTF-16 to UTF-8.
std::string utf8Path(const wchar_t *wide, size_t length);
std::string utf8Path(const std::wstring &wide);
