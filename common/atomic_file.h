#pragma once

#include <string>

// Replaces the file at path by contents without ever leaving a cut file behind: the bytes are
// written whole to a temporary file beside the target, flushed to disk, and the temporary file is
// then moved over the target in one step. False when anything fails; the old file then stays as it
// was, the temporary file is removed and the failure is noted for the user (failed_saves.h).
bool replaceFileContents(const std::string &path, const std::string &contents);
