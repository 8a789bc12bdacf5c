#pragma once

#include <string>

// Reads a whole file in binary, so the bytes (CR LF included) are the same on every build; false
// when it cannot be opened. The counterpart of replaceFileContents in common/atomic_file.h.
bool readFileContents(const std::string &path, std::string &contents);
