#include "harvest/browser_bookmarks.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>; // address, title

const std::string kRoaming = "C:\\Users\\u\\AppData\\Roaming";
const std::string kLocal = "C:\\Users\\u\\AppData\\Local";
const std::string kFirefox = kRoaming + "\\Mozilla\\Firefox\\";
const std::string kEdge = kLocal + "\\Microsoft\\Edge\\User Data";
const std::string kOpera = kRoaming + "\\Opera Software\\Opera Stable";

// A pretend disk: files by path, listings by search pattern; remembers what was read.
struct FakeDisk {
    std::map<std::string, std::string> files;
    std::map<std::string, std::vector<DirectoryEntry>> listings;
    std::vector<std::string> read;

    BrowserFileAccess access() {
        BrowserFileAccess access;
        access.readFile = [this](const std::string &path, std::string &bytes) {
            read.push_back(path);
            auto file = files.find(path);
            if (file == files.end())
                return false;
            bytes = file->second;
            return true;
        };
        access.listDirectory = [this](const std::string &pattern, std::vector<DirectoryEntry> &entries) {
            auto listing = listings.find(pattern);
            if (listing == listings.end())
                return false;
            entries = {{".", true}, {"..", true}};
            entries.insert(entries.end(), listing->second.begin(), listing->second.end());
            return true;
        };
        access.titleToAnsi = [](const std::string &utf8) { return "ansi:" + utf8; };
        return access;
    }
    bool wasRead(const std::string &part) const {
        for (const std::string &path : read) {
            if (path.find(part) != std::string::npos)
                return true;
        }
        return false;
    }
};

// A jsonlz4 file whose block holds the text as literals only, the simplest sound block.
std::string mozLz4(const std::string &text) {
    std::string file("mozLz40\0", 8);
    for (int shift = 0; shift < 32; shift += 8)
        file += static_cast<char>(text.size() >> shift & 0xff);
    size_t extra = text.size() - 15; // the texts here are longer than 15 bytes
    file += '\xf0';
    for (; extra >= 255; extra -= 255)
        file += '\xff';
    file += static_cast<char>(extra);
    return file + text;
}

std::string firefoxTree(const Pairs &bookmarks) {
    std::string children;
    for (const auto &bookmark : bookmarks)
        children += std::string(children.empty() ? "" : ",") + R"({"title":")" + bookmark.second +
                    R"(","type":"text/x-moz-place","uri":")" + bookmark.first + R"("})";
    return R"({"root":"placesRoot","type":"text/x-moz-place-container","children":[{"root":"toolbarFolder",)"
           R"("type":"text/x-moz-place-container","children":[)" +
           children + "]}]}";
}

std::string chromiumTree(const Pairs &bookmarks) {
    std::string children;
    for (const auto &bookmark : bookmarks)
        children += std::string(children.empty() ? "" : ",") + R"({"name":")" + bookmark.second +
                    R"(","type":"url","url":")" + bookmark.first + R"("})";
    return R"({"roots":{"bookmark_bar":{"children":[)" + children + R"(],"type":"folder"}},"version":1})";
}

TEST(BrowserBookmarks, FirefoxThenEveryChromiumProfileEachAddressOnce) {
    FakeDisk disk;
    disk.files[kFirefox + "profiles.ini"] =
        "[Profile0]\r\nName=default\r\nIsRelative=1\r\nPath=Profiles/a.default\r\n\r\n"
        "[Profile1]\r\nName=empty\r\nIsRelative=1\r\nPath=Profiles/b.empty\r\n";
    const std::string profile = kFirefox + "Profiles/a.default";
    disk.files[profile + "/bookmarks.html"] = "<DT><A HREF=\"https://shared.example/\">Shared (html)</A>\r\n"
                                              "<DT><A HREF=\"http://html-only.example/\">HTML Only</A>\r\n";
    const std::string backups = profile + "\\bookmarkbackups";
    disk.listings[backups + "\\*"] = {{"bookmarks-2024-04-01_2_old.jsonlz4", false},
                                      {"bookmarks-2024-05-02_3_broken.jsonlz4", false},
                                      {"bookmarks-2024-05-01_3_good.jsonlz4", false},
                                      {"bookmarks-2024-06-01.jsonlz4", true}};
    // The newest is no backup at all; the next one is read, the oldest never.
    disk.files[backups + "\\bookmarks-2024-05-02_3_broken.jsonlz4"] = "not a backup";
    disk.files[backups + "\\bookmarks-2024-05-01_3_good.jsonlz4"] = mozLz4(
        firefoxTree({{"https://shared.example/", "Shared (backup)"}, {"https://backup.example/", "Backup Only"}}));
    disk.files[backups + "\\bookmarks-2024-04-01_2_old.jsonlz4"] =
        mozLz4(firefoxTree({{"https://old.example/", "Old"}}));

    // Edge: profiles from Local State (a name that leaves the folder is refused) and from the
    // folder, whose other subfolders are not profiles.
    disk.listings[kEdge + "\\*"] = {
        {"Default", true}, {"Profile 1", true}, {"Guest Profile", true}, {"Profile x", true}, {"Local State", false}};
    disk.files[kEdge + "\\Local State"] =
        R"({"browser":{"enabled_labs_experiments":[]},"profile":{"info_cache":{"Profile 3":{"name":"Work"},)"
        R"("..\\Evil":{},"Default":{"name":"Person 1","info_cache":{"Nested":{}}}},"last_used":"Default"}})";
    disk.files[kEdge + "\\Default\\Bookmarks"] =
        chromiumTree({{"https://shared.example/", "Shared (Edge)"}, {"https://edge.example/", "Edge One"}});
    disk.files[kEdge + "\\Profile 3\\Bookmarks"] = chromiumTree({{"https://profile3.example/", "Third"}});
    disk.files[kEdge + "\\Profile 1\\Bookmarks"] = chromiumTree({{"https://profile1.example/", "First"}});
    disk.files[kEdge + "\\Guest Profile\\Bookmarks"] = chromiumTree({{"https://guest.example/", "Guest"}});
    // Opera keeps its profile in its folder, under the roaming folder.
    disk.listings[kOpera + "\\*"] = {{"Local State", false}, {"Bookmarks", false}};
    disk.files[kOpera + "\\Bookmarks"] = chromiumTree({{"https://opera.example/", "Opera One"}});

    std::vector<Bookmark> bookmarks = gatherBrowserBookmarks(kRoaming, kLocal, disk.access());
    Pairs found;
    for (const Bookmark &bookmark : bookmarks)
        found.emplace_back(bookmark.url, bookmark.title);
    // Only the JSON files' titles are UTF-8 and converted; the first title of an address stays.
    EXPECT_EQ(found, (Pairs{{"https://shared.example/", "Shared (html)"},
                            {"http://html-only.example/", "HTML Only"},
                            {"https://backup.example/", "ansi:Backup Only"},
                            {"https://profile3.example/", "ansi:Third"},
                            {"https://edge.example/", "ansi:Edge One"},
                            {"https://profile1.example/", "ansi:First"},
                            {"https://opera.example/", "ansi:Opera One"}}));
    for (const char *never : {"2024-04-01", "Guest", "Evil", "Nested", "Profile x", "Google", "Brave"})
        EXPECT_FALSE(disk.wasRead(never)) << never;

    // Without the folders nothing is looked at.
    FakeDisk untouched = disk;
    untouched.read.clear();
    EXPECT_TRUE(gatherBrowserBookmarks("", "", untouched.access()).empty());
    EXPECT_TRUE(untouched.read.empty());
}

} // namespace
