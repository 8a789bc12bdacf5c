#pragma once

#include <string>

// A name that stands for a file inside one folder: not empty, no folder separators, no drive or
// stream colon, no NUL, and not "." or "..". Program names read from the shared hook state (which
// any program of the user can write) name their vocabulary files only when they pass this test.
bool isPlainFileName(const std::string &name);
