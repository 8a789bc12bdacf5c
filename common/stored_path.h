#pragma once

#include <string>

// How wordlark.cfg stores a path or a program's name. Every earlier version wrote them in the
// ANSI code page, and so do these wherever the code page can spell the path: such a file stays
// byte for byte as it was. A path it cannot spell (a Cyrillic folder on a Western system) is
// stored in UTF-8 behind the byte-order mark EF BB BF, which begins no ANSI path that a user could
// have (it would be "ï»¿" in Windows-1252). Inside the program paths are UTF-8.

std::string storedPath(const std::string &utf8);
std::string pathFromStored(const std::string &stored);
