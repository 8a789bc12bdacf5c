#pragma once

#include "harvest/history_database.h"
#include "launcher/directory_lister.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// How the harvest reaches the browsers' history. Paths are UTF-8 throughout (the Win32 build
// turns them into wide paths at its calls); tests pass folders of their own.
struct HistoryFileAccess {
    enum class Copy { Done, Missing, Failed };

    // A small file whole (profiles.ini, Local State); false when it cannot be read.
    std::function<bool(const std::string &path, std::string &bytes)> readFile;
    DirectoryLister listDirectory;
    // Copies a file that its browser may hold open and go on writing, never opening it for
    // writing: Missing when it is not there, Failed when it is there but cannot be read (locked).
    std::function<Copy(const std::string &from, const std::string &to)> copyFile;
    std::function<void(const std::string &path)> removeFile;
    // Where the copies go: a file name of the caller's, "-wal" and "-journal" added for the logs.
    std::string copyPath;
    // The UTF-8 titles in the ANSI text of the catalogue; empty: kept as they are.
    std::function<std::string(const std::string &utf8)> titleToAnsi;
    // Where a database that is skipped is noted (the program's standard error stream).
    std::function<void(const std::string &note)> note;
};

// The most pages read from one profile.
constexpr size_t kMaxPagesPerProfile = 20000;

// The pages of every browser's history: for every Firefox profile of its profiles.ini (under
// roamingAppData) "places.sqlite", for every Chromium-family browser that is there (the same
// profiles as the bookmarks, chromium_profiles.h) each profile's "History". Each database is
// copied with its "-wal" and "-journal" files (when they are there) to access.copyPath and read
// from the copy (history_database.h), at most kMaxPagesPerProfile pages of it, and the copies are
// removed. A database that cannot be copied or read (locked, damaged) is skipped with a note; a
// missing one silently. An address met in several profiles is one page: its visits added up, its
// latest visit and its first title kept. The pages come most wanted first: by visits weighed by
// how lately the last was (within 4 days x100, 14 days x70, 31 days x50, 90 days x30, earlier or
// unknown x10; now is the time of the harvest in seconds since 1970), then the latest, then by
// address. An empty title is the address.
std::vector<VisitedPage> gatherBrowserHistory(const std::string &roamingAppData, const std::string &localAppData,
                                              const HistoryFileAccess &access, int64_t now);

// The same for one database at path, as a profile's file is read (for the benchmark).
bool readBrowserHistoryFile(const std::string &path, HistoryFormat format, const HistoryFileAccess &access,
                            std::vector<VisitedPage> &pages);
