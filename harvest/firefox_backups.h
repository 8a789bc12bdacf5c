#pragma once

#include <string>
#include <vector>

// Firefox keeps its bookmarks in a database and, once a day, writes a backup of them into the
// profile's "bookmarkbackups" folder: "bookmarks-YYYY-MM-DD[_count][_hash].jsonlz4", the JSON
// bookmark tree compressed into Mozilla's small LZ4 container. Unlike "bookmarks.html" it exists
// in every profile that has bookmarks, without any setting.

// The backup file names among a folder's names, newest first by the date in the name (as Firefox
// itself chooses), names of the same date in descending order. Other names are left out.
std::vector<std::string> backupsNewestFirst(const std::vector<std::string> &names);

// Unpacks a ".jsonlz4" file: the eight bytes "mozLz40\0", the unpacked size as 32 bits little
// endian, then one LZ4 block. False when the header is not there. Otherwise true, with json
// holding what the block decodes to as far as it is sound, at most the size the header gives and
// never more than 64 MiB or than the block could hold, whatever the header claims.
bool unpackMozLz4(const std::string &file, std::string &json);
