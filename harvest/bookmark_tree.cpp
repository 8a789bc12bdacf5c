#include "harvest/bookmark_tree.h"

#include "harvest/json_events.h"

namespace {

struct Dialect {
    const char *titleKey;
    const char *addressKey;
    const char *bookmarkType; // the value of "type" that marks a bookmark
};

const Dialect kChromium = {"name", "url", "url"};
const Dialect kFirefox = {"title", "uri", "text/x-moz-place"};
const char kTagsRoot[] = "tagsFolder";
const char kPlaceQuery[] = "place:";

bool isControl(unsigned char c) {
    return c < 0x20 || c == 0x7f;
}

bool soundAddress(const std::string &address) {
    if (address.empty() || address.size() > kMaxAddressBytes || address.compare(0, 6, kPlaceQuery) == 0)
        return false;
    for (unsigned char c : address) {
        if (isControl(c))
            return false;
    }
    return true;
}

// A tab in a title would split the command window's row; a line end would break nothing but
// shows as garbage.
std::string cleanTitle(const std::string &title, const std::string &address) {
    size_t length = title.size();
    if (length > kMaxTitleBytes) {
        length = kMaxTitleBytes;
        while (length > 0 && (static_cast<unsigned char>(title[length]) & 0xC0) == 0x80)
            --length;
    }
    std::string cleaned = title.substr(0, length);
    for (char &c : cleaned) {
        if (isControl(static_cast<unsigned char>(c)))
            c = ' ';
    }
    return cleaned.empty() ? address : cleaned;
}

// Walks the tree keeping one level per open object or array: an object gathers its own title,
// address and type (values of nested objects and arrays never reach it), and is judged when it
// closes, since the keys may come in any order.
class BookmarkTreeReader : public JsonEventsBase {
public:
    BookmarkTreeReader(const Dialect &dialect, std::vector<Bookmark> &bookmarks)
        : dialect_(dialect), bookmarks_(bookmarks) {}

    bool start_object(std::size_t) { return open(true); }
    bool start_array(std::size_t) { return open(false); }
    bool end_array() {
        levels_.pop_back();
        return true;
    }
    bool key(Json::string_t &name) {
        levels_.back().key.swap(name);
        return true;
    }
    bool string(Json::string_t &value) {
        if (levels_.empty() || !levels_.back().object)
            return true;
        Level &level = levels_.back();
        if (level.key == "type")
            level.type.swap(value);
        else if (level.key == dialect_.titleKey)
            level.title.swap(value);
        else if (level.key == dialect_.addressKey)
            level.address.swap(value);
        else if (level.key == "root" && value == kTagsRoot)
            level.tagsRoot = true;
        return true;
    }
    bool end_object() {
        Level &level = levels_.back();
        bool bookmark = !level.inTags && !level.tagsRoot && level.type == dialect_.bookmarkType;
        if (bookmark && soundAddress(level.address))
            bookmarks_.push_back({level.address, cleanTitle(level.title, level.address)});
        levels_.pop_back();
        return bookmarks_.size() < kMaxBookmarksPerFile;
    }

private:
    struct Level {
        bool object = false;
        bool inTags = false;   // below Firefox's tag folder
        bool tagsRoot = false; // Firefox's tag folder itself
        std::string key;       // the key whose value comes next (objects)
        std::string type;
        std::string title;
        std::string address;
    };

    bool open(bool object) {
        if (levels_.size() >= kMaxJsonDepth)
            return false;
        Level level;
        level.object = object;
        if (!levels_.empty())
            level.inTags = levels_.back().inTags || levels_.back().tagsRoot;
        levels_.push_back(std::move(level));
        return true;
    }

    const Dialect &dialect_;
    std::vector<Bookmark> &bookmarks_;
    std::vector<Level> levels_;
};

std::vector<Bookmark> parseTree(const Dialect &dialect, const std::string &json) {
    std::vector<Bookmark> bookmarks;
    BookmarkTreeReader reader(dialect, bookmarks);
    readJsonEvents(json, reader);
    return bookmarks;
}

} // namespace

std::vector<Bookmark> parseChromiumBookmarks(const std::string &json) {
    return parseTree(kChromium, json);
}

std::vector<Bookmark> parseFirefoxBackup(const std::string &json) {
    return parseTree(kFirefox, json);
}
