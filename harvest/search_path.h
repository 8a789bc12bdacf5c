#pragma once

#include <string>
#include <vector>

// The folders of a PATH value, split at every semicolon, in order. Empty pieces (two semicolons in
// a row, a semicolon at either end) are left out: an empty folder would be listed as "\*", the
// root of the current drive.
std::vector<std::string> searchPathFolders(const std::string &pathValue);
