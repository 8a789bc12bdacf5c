#include "harvest/firefox_profiles.h"

#include <gtest/gtest.h>

namespace {

using Paths = std::vector<std::string>;

const char kFirefox[] = "C:\\AppData\\Mozilla\\Firefox\\";

TEST(FirefoxProfiles, EveryProfileOfTheListGivesItsBookmarksFileInOrder) {
    const std::string ini = "[General]\r\nStartWithLastProfile=1\r\n\r\n"
                            "[Profile0]\r\nName=default\r\nIsRelative=1\r\nPath=Profiles/ab12.default\r\n\r\n"
                            "[Profile1]\r\nName=work\r\nIsRelative=1\r\nPath=Profiles/cd34.work\r\nDefault=1\r\n";
    EXPECT_EQ(bookmarkFilePaths(kFirefox, ini),
              (Paths{"C:\\AppData\\Mozilla\\Firefox\\Profiles/ab12.default/bookmarks.html",
                     "C:\\AppData\\Mozilla\\Firefox\\Profiles/cd34.work/bookmarks.html"}));
}

TEST(FirefoxProfiles, LineEndsAndTheLastLineWithoutOne) {
    EXPECT_EQ(profileFolders("Path=a\nPath=b\r\nPath=c"), (Paths{"a", "b", "c"}));
    // Only a CR right before the LF is a line end; a lone CR stays in the text.
    EXPECT_EQ(profileFolders("Path=a\rb\n"), (Paths{"a\rb"}));
}

TEST(FirefoxProfiles, PathKeyAnywhereButFolderAlwaysFromTheSixthCharacter) {
    // The key is found anywhere in the line, the folder is cut at a fixed place.
    EXPECT_EQ(profileFolders("  Path=x/y\n"), (Paths{"h=x/y"}));
    EXPECT_EQ(profileFolders("Path=\n"), (Paths{""}));
    // Case matters, and lines without the key are not profiles.
    EXPECT_EQ(profileFolders("path=x\nPATH=y\nName=Path\n"), Paths{});
}

TEST(FirefoxProfiles, AbsoluteProfilesAreStillJoinedToTheFirefoxFolder) {
    EXPECT_EQ(bookmarkFilePaths(kFirefox, "IsRelative=0\nPath=D:\\Profiles\\x\n"),
              (Paths{"C:\\AppData\\Mozilla\\Firefox\\D:\\Profiles\\x/bookmarks.html"}));
}

TEST(FirefoxProfiles, EmptyAndBinaryInput) {
    EXPECT_TRUE(profileFolders("").empty());
    EXPECT_TRUE(profileFolders("\n\n\r\n").empty());
    const std::string binary("\0\xff Path=\0z\n", 11);
    Paths folders = profileFolders(binary);
    ASSERT_EQ(folders.size(), 1u);
    EXPECT_EQ(folders[0], std::string("th=\0z", 5));
}

} // namespace
