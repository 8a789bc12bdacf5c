// Feeds arbitrary bytes to the bookmark-file and profile-list readers, which take files that any
// program of the user may have written.
#include "harvest/bookmark_file.h"
#include "harvest/firefox_profiles.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    std::string bytes(reinterpret_cast<const char *>(data), size);
    for (const Bookmark &bookmark : parseBookmarks(bytes)) {
        // An address ends at the first quote and never spans lines; a title stops at its "</A>".
        if (bookmark.url.empty() || bookmark.url.find('"') != std::string::npos ||
            bookmark.url.find('\n') != std::string::npos || bookmark.title.find("</A>") != std::string::npos ||
            bookmark.title.find('\n') != std::string::npos)
            abort();
    }
    for (const std::string &path : bookmarkFilePaths("C:\\Firefox\\", bytes)) {
        if (path.compare(0, 11, "C:\\Firefox\\") != 0)
            abort();
    }
    return 0;
}
