#pragma once

#include "harvest/bookmark_file.h"

#include <cstddef>
#include <string>
#include <vector>

// The JSON bookmark trees of today's browsers. Both nest folders in "children" arrays; each
// bookmark is an object with a type, a title and an address:
//   Chromium family ("Bookmarks" in each profile): "type": "url", "name", "url";
//   Firefox (the bookmark backups):  "type": "text/x-moz-place", "title", "uri".
// Every bookmark in every folder is taken, in file order, except Firefox's tag entries (the
// folder whose "root" is "tagsFolder" repeats bookmarks by tag, untitled) and its "place:"
// queries, which only Firefox can open.
//
// Titles come back in UTF-8 as the file holds them, addresses unchanged. A bookmark is skipped
// when its address is empty, holds control characters or is longer than kMaxAddressBytes; a
// title loses its control characters (to spaces) and is cut to kMaxTitleBytes at a character
// boundary; an empty title becomes the address, as the browsers show it. A damaged file gives the
// bookmarks before the damage; nesting deeper than 512 levels and bookmarks beyond
// kMaxBookmarksPerFile end the reading.

const size_t kMaxAddressBytes = 2083; // the longest address Windows' URL functions take
const size_t kMaxTitleBytes = 1024;
const size_t kMaxBookmarksPerFile = 100000;

std::vector<Bookmark> parseChromiumBookmarks(const std::string &json);
std::vector<Bookmark> parseFirefoxBackup(const std::string &json);
