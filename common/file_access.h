#pragma once

#include <cstdio>
#include <string>

// Every file Wordlark opens, creates, moves or removes, whichever subsystem it belongs to, is named
// by a path in UTF-8 and reached through these. On Windows they hand the path to the system in
// UTF-16, through the wide-character calls (common/file_access_win.cpp), so that a user name or a
// program folder outside the ANSI code page works; elsewhere the path is the system's own.

// fopen's modes; null when the file cannot be opened.
std::FILE *openFile(const std::string &path, const char *mode);

// Pushes a written file's bytes through to the disk (after fflush), so that a crash or power loss
// after a replacement finds the whole new file.
bool flushFileToDisk(std::FILE *file);

// Moves the file from over to in one step, replacing what was there.
bool moveFileOver(const std::string &from, const std::string &to);

// True when the file was removed; false when it could not be, or there was none.
bool removeFile(const std::string &path);
