#include "harvest/bookmark_file.h"

#include "harvest/text_lines.h"

namespace {
const char kLinkStart[] = "<A HREF=\"";
const char kLinkEnd[] = "</A>";
} // namespace

bool parseBookmarkLine(const std::string &line, Bookmark &bookmark) {
    size_t start = line.find(kLinkStart);
    if (start == std::string::npos)
        return false;
    size_t urlStart = start + sizeof(kLinkStart) - 1;
    size_t quote = line.find('"', urlStart);
    if (quote == std::string::npos || quote == urlStart)
        return false;
    size_t tagEnd = line.find('>', quote + 1);
    if (tagEnd == std::string::npos)
        return false;
    size_t titleEnd = line.find(kLinkEnd, tagEnd + 1);
    if (titleEnd == std::string::npos)
        return false;
    bookmark.url = line.substr(urlStart, quote - urlStart);
    bookmark.title = line.substr(tagEnd + 1, titleEnd - tagEnd - 1);
    return true;
}

std::vector<Bookmark> parseBookmarks(const std::string &bytes) {
    std::vector<Bookmark> bookmarks;
    Bookmark bookmark;
    for (const std::string &line : splitTextLines(bytes)) {
        if (parseBookmarkLine(line, bookmark))
            bookmarks.push_back(bookmark);
    }
    return bookmarks;
}
