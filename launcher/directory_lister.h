#pragma once

#include <functional>
#include <string>
#include <vector>

// One entry of a folder listing, as the file system reports it.
struct DirectoryEntry {
    std::string name;        // long name without folder, "." and ".." included when the system lists them
    bool isDirectory{};      // the entry carries the directory attribute
    std::string shortName{}; // the 8.3 name, when the long name is not one and the system keeps one
};

// Lists the entries matching a search pattern (a folder, a backslash and "*") in the order of the
// file system. Returns false, with no entries, when the folder cannot be listed (missing, no
// access, pattern too long). The catalogue's folder walk goes through this seam so that its
// order and limits are tested natively with a fake listing.
using DirectoryLister = std::function<bool(const std::string &pattern, std::vector<DirectoryEntry> &entries)>;

// FindFirstFileA / FindNextFileA / FindClose; defined in launcher/directory_lister_win.cpp (Windows
// build only). A pattern of MAX_PATH bytes or more is refused rather than truncated.
bool listDirectoryA(const std::string &pattern, std::vector<DirectoryEntry> &entries);
