#pragma once

#include <cstddef>
#include <string>

// Reads a whole file in binary, so the bytes (CR LF included) are the same on every build; false
// when it cannot be opened. The counterpart of replaceFileContents in common/atomic_file.h. The
// path is UTF-8 (common/file_access.h), as for every file.
bool readFileContents(const std::string &path, std::string &contents);

// Reads a file that another program may hold open (a running browser its bookmarks): opened
// with every share mode, read in binary up to maxBytes, the rest left unread. False when it
// cannot be opened. Windows build only (common/file_contents_win.cpp).
bool readSharedFileContents(const std::string &path, size_t maxBytes, std::string &contents);
