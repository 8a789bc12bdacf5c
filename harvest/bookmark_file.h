#pragma once

#include <string>
#include <vector>

// One bookmark: its address and its title. From an exported bookmarks file the HREF value and the
// link text, both as they stand (entities and inner tags are not decoded); from the browsers' JSON
// files see bookmark_tree.h.
struct Bookmark {
    std::string url;
    std::string title;
};

// The first link of one line: `<A HREF="`, the address up to the next double quote, the end of
// the opening tag ('>'), and the title up to "</A>". False when any piece is missing on this line
// (a title that runs onto the next line gives nothing) or when the address is empty, which would
// otherwise be catalogued as a file path named by the title.
bool parseBookmarkLine(const std::string &line, Bookmark &bookmark);

// Every line's first link, in file order.
std::vector<Bookmark> parseBookmarks(const std::string &bytes);
