#pragma once

#include <string>
#include <vector>

// The profile list and the bookmark files are read as text: lines end at a line feed, a carriage
// return before it is dropped (as a text-mode read on Windows drops it), and a last line without
// a line end is read too.
std::vector<std::string> splitTextLines(const std::string &bytes);
