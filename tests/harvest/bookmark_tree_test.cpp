#include "harvest/bookmark_tree.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>; // address, title

Pairs pairs(const std::vector<Bookmark> &bookmarks) {
    Pairs result;
    for (const Bookmark &bookmark : bookmarks)
        result.emplace_back(bookmark.url, bookmark.title);
    return result;
}

// A "Bookmarks" file as Chrome and Edge write it: sorted keys, three roots, raw UTF-8 and escapes
// in titles, a folder inside the bar, meta_info objects inside bookmarks.
const char kChromiumFile[] = R"({
   "checksum": "0123456789abcdef0123456789abcdef",
   "roots": {
      "bookmark_bar": {
         "children": [ {
            "date_added": "13345678901234567",
            "date_last_used": "0",
            "guid": "6f4f8a52-0000-4000-8000-000000000005",
            "id": "5",
            "meta_info": {
               "power_bookmark_meta": ""
            },
            "name": "Caf\u00E9 Menu",
            "type": "url",
            "url": "https://cafe.example/menu?a=1&b=2"
         }, {
            "children": [ {
               "date_added": "13345678901234568",
               "guid": "6f4f8a52-0000-4000-8000-000000000007",
               "id": "7",
               "name": "Nested News \u003Cdaily>",
               "type": "url",
               "url": "https://news.example/"
            } ],
            "date_added": "13345678901234566",
            "date_modified": "13345678901234568",
            "guid": "6f4f8a52-0000-4000-8000-000000000006",
            "id": "6",
            "name": "Folder",
            "type": "folder"
         } ],
         "date_added": "13345678901234560",
         "date_modified": "13345678901234568",
         "guid": "0bc5d13f-2cba-5d74-951f-3f233fe6c908",
         "id": "1",
         "name": "Bookmarks bar",
         "type": "folder"
      },
      "other": {
         "children": [ {
            "url": "https://other.example/",
            "type": "url",
            "name": "Zürich Other",
            "id": "8"
         } ],
         "id": "2",
         "name": "Other bookmarks",
         "type": "folder"
      },
      "synced": {
         "children": [ {
            "id": "9",
            "name": "Mobile One",
            "type": "url",
            "url": "https://mobile.example/"
         } ],
         "id": "3",
         "name": "Mobile bookmarks",
         "type": "folder"
      }
   },
   "sync_metadata": "CAESBgoECAEQAQ==",
   "version": 1
}
)";

TEST(BookmarkTree, ChromiumFileAsTheBrowserWritesIt) {
    EXPECT_EQ(pairs(parseChromiumBookmarks(kChromiumFile)),
              (Pairs{{"https://cafe.example/menu?a=1&b=2", "Caf\xc3\xa9 Menu"},
                     {"https://news.example/", "Nested News <daily>"},
                     {"https://other.example/", "Z\xc3\xbcrich Other"},
                     {"https://mobile.example/", "Mobile One"}}));
    // The same tree in the other dialect's keys holds no bookmark.
    EXPECT_TRUE(parseFirefoxBackup(kChromiumFile).empty());
}

// A bookmark backup as Firefox writes it (one line in the file): the places root with its menu,
// toolbar, tags, unfiled and mobile folders, a separator, the toolbar's "Most Visited" query and
// a tag folder repeating a bookmark untitled.
const char kFirefoxBackup[] =
    R"({"guid":"root________","title":"","index":0,"dateAdded":1700000000000000,"lastModified":1700000000000001,)"
    R"("id":1,"typeCode":2,"type":"text/x-moz-place-container","root":"placesRoot","children":[)"
    R"({"guid":"menu________","title":"menu","index":0,"dateAdded":1700000000000000,"id":2,"typeCode":2,)"
    R"("type":"text/x-moz-place-container","root":"bookmarksMenuFolder","children":[)"
    R"({"guid":"aaaaaaaaaaaa","title":"Support Pages","index":0,"dateAdded":1700000000000000,"id":10,"typeCode":1,)"
    R"("iconUri":"https://support.example/favicon.ico","type":"text/x-moz-place","uri":"https://support.example/"},)"
    R"({"guid":"bbbbbbbbbbbb","title":"","index":1,"id":11,"typeCode":3,"type":"text/x-moz-place-separator"}]},)"
    R"({"guid":"toolbar_____","title":"toolbar","index":1,"id":3,"typeCode":2,"type":"text/x-moz-place-container",)"
    R"("root":"toolbarFolder","children":[)"
    R"({"guid":"cccccccccccc","title":"Most Visited","index":0,"id":12,"typeCode":1,"type":"text/x-moz-place",)"
    R"("uri":"place:sort=8&maxResults=10"},)"
    R"({"guid":"dddddddddddd","title":"Getting Started","index":1,"id":13,"typeCode":1,"type":"text/x-moz-place",)"
    R"("uri":"https://start.example/","keyword":"gs","tags":"news"}]},)"
    R"({"guid":"tags________","title":"tags","index":2,"id":4,"typeCode":2,"type":"text/x-moz-place-container",)"
    R"("root":"tagsFolder","children":[{"guid":"eeeeeeeeeeee","title":"news","index":0,"id":14,"typeCode":2,)"
    R"("type":"text/x-moz-place-container","children":[{"guid":"ffffffffffff","title":"","index":0,"id":15,)"
    R"("typeCode":1,"type":"text/x-moz-place","uri":"https://tagged.example/"}]}]},)"
    R"({"guid":"unfiled_____","title":"unfiled","index":3,"id":5,"typeCode":2,"type":"text/x-moz-place-container",)"
    R"("root":"unfiledBookmarksFolder","children":[)"
    R"({"guid":"gggggggggggg","title":"D\u00e9j\u00e0 Vu","index":0,"id":16,"typeCode":1,)"
    R"("type":"text/x-moz-place","uri":"https://deja.example/"}]},)"
    R"({"guid":"mobile______","title":"mobile","index":4,"id":6,"typeCode":2,"type":"text/x-moz-place-container",)"
    R"("root":"mobileFolder"}]})";

TEST(BookmarkTree, FirefoxBackupAsTheBrowserWritesIt) {
    EXPECT_EQ(pairs(parseFirefoxBackup(kFirefoxBackup)), (Pairs{{"https://support.example/", "Support Pages"},
                                                                {"https://start.example/", "Getting Started"},
                                                                {"https://deja.example/", "D\xc3\xa9j\xc3\xa0 Vu"}}));
    EXPECT_TRUE(parseChromiumBookmarks(kFirefoxBackup).empty());
}

std::string chromiumBookmark(const std::string &name, const std::string &url) {
    return R"({"name":")" + name + R"(","type":"url","url":")" + url + R"("})";
}

std::string chromiumFile(const std::vector<std::string> &children) {
    std::string file = R"({"roots":{"bookmark_bar":{"children":[)";
    for (size_t i = 0; i < children.size(); ++i)
        file += (i ? "," : "") + children[i];
    return file + R"(],"name":"Bookmarks bar","type":"folder"}},"version":1})";
}

TEST(BookmarkTree, DamagedAndHostileFilesGiveWhatIsSoundBeforeTheDamage) {
    const std::string two = chromiumFile(
        {chromiumBookmark("One", "https://one.example/"), chromiumBookmark("Two", "https://two.example/")});
    const Pairs both = {{"https://one.example/", "One"}, {"https://two.example/", "Two"}};
    EXPECT_EQ(pairs(parseChromiumBookmarks(two)), both);

    // Cut inside the second bookmark, or right after it.
    EXPECT_EQ(pairs(parseChromiumBookmarks(two.substr(0, two.find("Two")))), Pairs(both.begin(), both.begin() + 1));
    EXPECT_EQ(pairs(parseChromiumBookmarks(two.substr(0, two.find("two.example/\"}") + 14))), both);
    // A byte that is not UTF-8 in the second title ends the reading there.
    EXPECT_EQ(pairs(parseChromiumBookmarks(chromiumFile({chromiumBookmark("One", "https://one.example/"),
                                                         chromiumBookmark("T\xffwo", "https://two.example/")}))),
              Pairs(both.begin(), both.begin() + 1));
    // Nesting far deeper than any browser writes ends the reading without exhausting the stack.
    const std::string deep = std::string(200000, '[') + std::string(200000, ']');
    EXPECT_EQ(pairs(parseChromiumBookmarks(chromiumFile({chromiumBookmark("One", "https://one.example/"), deep,
                                                         chromiumBookmark("Two", "https://two.example/")}))),
              Pairs(both.begin(), both.begin() + 1));
    EXPECT_TRUE(parseFirefoxBackup(std::string(200000, '[')).empty());

    for (const char *notBookmarks : {"", "\"just a string\"", "[1, 2, 3]", "null", "{\"type\":\"url\"}", "\xef\xbb\xbf",
                                     "<!DOCTYPE NETSCAPE-Bookmark-file-1>"})
        EXPECT_TRUE(parseChromiumBookmarks(notBookmarks).empty()) << notBookmarks;
    // A byte order mark before the text is allowed.
    EXPECT_EQ(pairs(parseChromiumBookmarks("\xef\xbb\xbf" + two)), both);
}

TEST(BookmarkTree, TitlesAndAddressesAreMadeSafeForTheCatalogue) {
    // 1023 letters and then a two-byte character: the cut at 1024 bytes falls before it.
    const std::string longTitle = std::string(1023, 'a') + "\\u00e9" + std::string(500, 'b');
    const std::string longAddress = "https://long.example/" + std::string(kMaxAddressBytes - 21, 'x');
    EXPECT_EQ(pairs(parseChromiumBookmarks(chromiumFile({
                  chromiumBookmark("Tab\\tLine\\nEnd\\u0000", "https://controls.example/"),
                  chromiumBookmark("", "https://untitled.example/"),
                  chromiumBookmark(longTitle, "https://long-title.example/"),
                  chromiumBookmark("Longest", longAddress),
                  chromiumBookmark("Too long", longAddress + "x"),
                  chromiumBookmark("Control in address", "https://a.example/\\tb"),
                  chromiumBookmark("No address", ""),
                  chromiumBookmark("Bookmarklet", "javascript:alert(1)"),
              }))),
              (Pairs{{"https://controls.example/", "Tab Line End "},
                     {"https://untitled.example/", "https://untitled.example/"},
                     {"https://long-title.example/", std::string(1023, 'a')},
                     {longAddress, "Longest"},
                     {"javascript:alert(1)", "Bookmarklet"}}));
}

} // namespace
