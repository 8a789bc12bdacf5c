#pragma once

#include <string>
#include <vector>

#include "common/ascii_case.h"

// Pure helpers on the catalogue's item strings. An item is either a path item (a file or folder
// path, folder part in short form) or a titled item: target, two tabs, title.

// The separators at which paths, titles and queries are cut into words.
extern const char kTokenSeparators[]; // "\\:/-._ "

// Cuts text at every separator byte; runs of separators give no empty words. Words shorter than
// minLength bytes are left out (the index keeps words of 2 bytes or more, a query uses all).
std::vector<std::string> splitWords(const std::string &text, size_t minLength);

// The part of an item before its first two tabs, or the whole item when it has none.
std::string itemTarget(const std::string &item);

// The key under which search results are made unique: for a path ending in ".exe" or ".lnk" (any
// case) the file name without extension in lower case, so a program and its shortcuts give one
// row; for anything else the whole item.
std::string launchKey(const std::string &item);

// The host of a web address without a leading "www." ("https://www.github.com:443/x" gives
// "github.com"); empty for an address without "://" (a file address has none).
std::string addressHost(const std::string &address);

// One list row of the command window: text (main column, a tab, the grey second column) and the
// target that opening the row hands to the shell.
struct DisplayRow {
    std::string text;
    std::string target;
};

// The row for one result item. Titles are cut at 50 bytes and addresses at 55; a path shows its
// name and then its folders from the first backslash to the last, leading folders dropped whole
// while the rest is longer than 55 bytes, but never the last folder.
DisplayRow displayRowForItem(const std::string &item);
