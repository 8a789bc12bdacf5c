#include "harvest/bookmark_file.h"

#include "common/file_contents.h"
#include "harvest/text_lines.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

namespace {

struct LineCase {
    const char *line;
    bool found;
    const char *url;
    const char *title;
};

TEST(BookmarkFile, OneLineAtATime) {
    const LineCase cases[] = {
        // An exported bookmark with its attributes after the address.
        {"    <DT><A HREF=\"https://example.org/a?b=1&amp;c=2\" ADD_DATE=\"1\" ICON=\"data:x\">Example &amp; Co</A>",
         true, "https://example.org/a?b=1&amp;c=2", "Example &amp; Co"},
        // Only the first link of a line counts.
        {"<A HREF=\"http://one/\">One</A> <A HREF=\"http://two/\">Two</A>", true, "http://one/", "One"},
        // Inner tags stay in the title; an empty title is a link all the same.
        {"<A HREF=\"http://b/\"><B>bold</B></A>", true, "http://b/", "<B>bold</B>"},
        {"<A HREF=\"http://e/\"></A>", true, "http://e/", ""},
        // Missing pieces: the line yields nothing.
        {"<DT><H3>Folder</H3>", false, "", ""},
        {"<A HREF=\"http://never-closed", false, "", ""},
        {"<A HREF=\"http://x/\" ADD_DATE=\"1\"", false, "", ""},
        {"<A HREF=\"http://x/\">Title that runs on", false, "", ""},
        // The tag is matched exactly, capitals and all.
        {"<a href=\"http://lower/\">lower</a>", false, "", ""},
        // An empty address would become a file item named by its title.
        {"<A HREF=\"\">Nothing</A>", false, "", ""},
        {"", false, "", ""},
    };
    for (const LineCase &c : cases) {
        SCOPED_TRACE(c.line);
        Bookmark bookmark;
        ASSERT_EQ(parseBookmarkLine(c.line, bookmark), c.found);
        if (c.found) {
            EXPECT_EQ(bookmark.url, c.url);
            EXPECT_EQ(bookmark.title, c.title);
        }
    }
}

TEST(BookmarkFile, TitleRunningOntoTheNextLineGivesNothingAndTheNextLineStandsAlone) {
    const std::string file = "<DL><p>\r\n"
                             "<DT><A HREF=\"http://a/\">Split\r\n"
                             "title</A>\r\n"
                             "<DT><A HREF=\"http://b/\">Bee</A>\r\n"
                             "<DT><A HREF=\"http://c/\">Sea</A>";
    std::vector<Bookmark> bookmarks = parseBookmarks(file);
    ASSERT_EQ(bookmarks.size(), 2u);
    EXPECT_EQ(bookmarks[0].url, "http://b/");
    EXPECT_EQ(bookmarks[0].title, "Bee");
    // The last line has no line end and is read too; no CR is left on a title.
    EXPECT_EQ(bookmarks[1].title, "Sea");
}

TEST(BookmarkFile, ReadFromDiskWithCrLfLineEnds) {
    std::string path = testing::TempDir() + "wordlark_bookmarks_test.html";
    {
        std::ofstream out(path, std::ios::binary);
        out << "<DT><A HREF=\"http://disk/\">On disk</A>\r\n";
    }
    std::string bytes;
    ASSERT_TRUE(readFileContents(path, bytes));
    std::vector<Bookmark> bookmarks = parseBookmarks(bytes);
    ASSERT_EQ(bookmarks.size(), 1u);
    EXPECT_EQ(bookmarks[0].title, "On disk");
    std::remove(path.c_str());
    EXPECT_FALSE(readFileContents(path, bytes));
}

} // namespace
