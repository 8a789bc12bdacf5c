// Feeds arbitrary bytes to the readers of the browsers' JSON files (a Chromium-family "Bookmarks",
// a Firefox bookmark backup, a "Local State"), which any program of the user may have written,
// cut or filled with something else.
#include "harvest/bookmark_tree.h"
#include "harvest/chromium_profiles.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

bool hasControl(const std::string &text) {
    for (unsigned char c : text) {
        if (c < 0x20 || c == 0x7f)
            return true;
    }
    return false;
}

// What the catalogue may rely on: an address that the shell can be given, a title that neither
// splits a row nor runs on.
void check(const std::vector<Bookmark> &bookmarks) {
    if (bookmarks.size() > kMaxBookmarksPerFile)
        abort();
    for (const Bookmark &bookmark : bookmarks) {
        if (bookmark.url.empty() || bookmark.url.size() > kMaxAddressBytes || hasControl(bookmark.url) ||
            bookmark.url.compare(0, 6, "place:") == 0)
            abort();
        if (bookmark.title.empty() || (bookmark.title.size() > kMaxTitleBytes && bookmark.title != bookmark.url) ||
            hasControl(bookmark.title))
            abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::string bytes(reinterpret_cast<const char *>(data), size);
    check(parseChromiumBookmarks(bytes));
    check(parseFirefoxBackup(bytes));
    for (const std::string &name : localStateProfiles(bytes)) {
        if (name.empty() || name == "." || name == ".." || name.find_first_of("\\/:") != std::string::npos)
            abort();
    }
    return 0;
}
