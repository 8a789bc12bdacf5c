#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One thing the harvest might find: a path (target empty) or a bookmark (target and title).
struct SyntheticItem {
    std::string text;
    std::string target;
    int32_t weight;
    bool countUse; // found directly in a use-counted folder (the Start menu)
};

// 100,000 realistic items (shortcuts, programs, documents, music, pictures, source files, folders
// and bookmarks), the same on every run: the generator is a fixed-seed xorshift, not the library's
// distributions, whose results differ between standard libraries.
std::vector<SyntheticItem> syntheticItems(size_t count);

// A visited page of a browser's history: its address and title.
struct SyntheticPage {
    std::string url;
    std::string title;
};

// `count` visited pages, most visited first as the harvest hands them over: articles, searches,
// videos and forum threads on a few hundred sites (many pages per site, as real histories are),
// titled as sites title them ("Budget letter and invoice - Kalora News").
std::vector<SyntheticPage> syntheticPages(size_t count);

// Launch counts skewed as real use is: a few things launched hundreds of times, a long tail once.
// Returns (index into items, launches) pairs.
std::vector<std::pair<size_t, int32_t>> syntheticLaunches(size_t itemCount);

// A plausible 8.3 form of a folder path: every component that is not a valid short name becomes
// its first six letters or digits in capitals and "~1".
std::string syntheticShortPath(const std::string &folder);

// The extension weights of the catalogue's file-type table for the extensions generated here.
int32_t syntheticTypeWeight(const std::string &path);
