#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// One page of a browser's history.
struct VisitedPage {
    std::string url;
    std::string title;     // UTF-8, control characters made spaces; may be empty
    int64_t visits = 0;
    int64_t lastVisit = 0; // seconds since 1970 (UTC), 0 when the database does not say
};

// The two kinds of history database: Chrome and the browsers built on Chromium keep "History"
// (table urls, times in microseconds since 1601), Firefox keeps "places.sqlite" (moz_places,
// microseconds since 1970).
enum class HistoryFormat { Chromium, Firefox };

// Reads the most visited pages (at most limit, most visits first, then the latest) of web and
// file addresses (http, https, file) that the browser does not hide, from a history database at
// path (UTF-8). path must be a copy the caller made, with the write-ahead log or journal of the
// original beside it under the same name plus "-wal" or "-journal": it is opened for writing so
// that SQLite can take in the log or roll back what the browser left half done, and changes made
// to it that way are the copy's alone. False, with problem saying why, when it is no such
// database (damaged, not a database, another browser's tables); then pages is left empty.
// Addresses longer than 2,048 bytes or holding spaces or control characters are left out, titles
// are cut at 300 bytes (at a character's start).
bool readHistoryDatabase(const std::string &path, HistoryFormat format, size_t limit, std::vector<VisitedPage> &pages,
                         std::string &problem);
