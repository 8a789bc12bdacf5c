#pragma once

#include "harvest/bookmark_file.h"
#include "launcher/directory_lister.h"

#include <functional>
#include <string>
#include <vector>

// How the harvest reaches the browsers' files. The Win32 build reads with full sharing, since a
// running browser holds its files open, and lists with FindFirstFileA; tests pass a pretend file
// system.
struct BrowserFileAccess {
    // The whole file, or as much of it as the reader allows; false when it cannot be opened.
    std::function<bool(const std::string &path, std::string &bytes)> readFile;
    DirectoryLister listDirectory;
    // The UTF-8 titles of the JSON files in the ANSI text of the catalogue; empty: kept as they are.
    std::function<std::string(const std::string &utf8)> titleToAnsi;
};

// The bookmarks of every browser of the user, in harvest order: for every Firefox profile of its
// profiles.ini (under roamingAppData) "bookmarks.html", then the newest bookmark backup that opens
// as one; then for every Chromium-family browser that is there (chromium_profiles.h) the
// "Bookmarks" of the user-data folder itself (Opera's) and of every profile that "Local State"
// lists or that is a "Default" or "Profile N" folder. An address met again is left out, keeping
// the first title, so a bookmark that two browsers, two profiles or two folders hold is one item.
// An empty base folder is skipped; files that are missing or unreadable add nothing.
std::vector<Bookmark> gatherBrowserBookmarks(const std::string &roamingAppData, const std::string &localAppData,
                                             const BrowserFileAccess &access);
