#pragma once

#include <cstdint>
#include <map>
#include <string>

// The launcher's use counts as stored in "wordlark.cmd": one line per entry in ascending byte
// order of the keys, the key, a tab, the count in decimal, CR LF. No header and no checksum.
using UseCountMap = std::map<std::string, int32_t>;

// Reads the lines of `bytes` into counts. Lines end at LF; a CR before it is dropped; a last line
// without a line end counts too. The key is everything before the line's last tab (not validated);
// the count is read as atoi reads it, held to the 32-bit range; a line without a tab is skipped and a
// later line for the same key replaces an earlier one.
void parseUseCounts(const std::string &bytes, UseCountMap &counts);

// The file's bytes for counts (CR LF line ends whichever build writes them).
std::string formatUseCounts(const UseCountMap &counts);

// Loads `path` into counts; false (counts untouched) when the file cannot be read.
bool loadUseCountFile(const std::string &path, UseCountMap &counts);

// Writes counts whole to a new file beside `path` that then replaces it, so a crash or a full disk
// never leaves a cut file behind. False when it could not be written; the old file then stays.
bool saveUseCountFile(const std::string &path, const UseCountMap &counts);
