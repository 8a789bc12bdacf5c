#include "launcher/use_count_file.h"

#include "launcher_test_support.h"
#include "support/scratch_folder.h"

#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

namespace {


struct LineCase {
    const char *line;
    const char *key;
    int32_t count;
};

TEST(UseCountFileTest, LinesAreReadAtTheLastTabAsAtoiReadsCounts) {
    const LineCase cases[] = {
        {"0123456789abcdef0123456789abcdef\t12", "0123456789abcdef0123456789abcdef", 12},
        {"k\t12x", "k", 12},
        {"k\t", "k", 0},
        {"k\tx5", "k", 0},
        {"a\tb\t5", "a\tb", 5},
        {"k\t  -7", "k", -7},
        {"k\t+8", "k", 8},
        {"\t3", "", 3},
        {"k\t99999999999999999999", "k", INT32_MAX},
        {"k\t-99999999999999999999", "k", INT32_MIN},
    };
    for (const LineCase &c : cases) {
        UseCountMap counts;
        parseUseCounts(std::string(c.line) + "\r\n", counts);
        ASSERT_EQ(1u, counts.size()) << c.line;
        EXPECT_EQ(c.key, counts.begin()->first) << c.line;
        EXPECT_EQ(c.count, counts.begin()->second) << c.line;
    }
}

TEST(UseCountFileTest, SkipsLinesWithoutTabAndLaterLinesReplaceEarlier) {
    UseCountMap counts;
    parseUseCounts("no tab here\r\nk\t1\r\n\r\nk\t4\nlast\t9", counts);
    EXPECT_EQ((UseCountMap{{"k", 4}, {"last", 9}}), counts);
}

TEST(UseCountFileTest, SavesInKeyOrderWithCrLfAndReadsBackTheSameBytes) {
    ScratchFolder folder;
    const std::string path = folder.path("wordlark.cmd");
    UseCountMap counts;
    counts["ffff"] = 2;
    counts["0000"] = 7;
    counts["\xe9key"] = 1; // bytes above 127 sort after ASCII
    counts["a\tb"] = -3;
    ASSERT_TRUE(saveUseCountFile(path, counts));
    const std::string bytes = readBytes(path);
    EXPECT_EQ("0000\t7\r\na\tb\t-3\r\nffff\t2\r\n\xe9key\t1\r\n", bytes);

    UseCountMap loaded;
    ASSERT_TRUE(loadUseCountFile(path, loaded));
    EXPECT_EQ(counts, loaded);
    ASSERT_TRUE(saveUseCountFile(path, loaded));
    EXPECT_EQ(bytes, readBytes(path));
}

TEST(UseCountFileTest, MissingFileLeavesCountsAndUnwritableTargetKeepsOldFile) {
    ScratchFolder folder;
    UseCountMap counts{{"k", 1}};
    EXPECT_FALSE(loadUseCountFile(folder.path("absent.cmd"), counts));
    EXPECT_EQ((UseCountMap{{"k", 1}}), counts);

    // The target's folder does not exist: nothing is written, and no half file appears.
    EXPECT_FALSE(saveUseCountFile(folder.path("no-such-folder/wordlark.cmd"), counts));

    // Saving over an existing file replaces it whole.
    const std::string path = folder.path("wordlark.cmd");
    writeBytes(path, "old\t1\r\nolder\t2\r\n");
    ASSERT_TRUE(saveUseCountFile(path, UseCountMap{{"new", 3}}));
    EXPECT_EQ("new\t3\r\n", readBytes(path));
}

} // namespace
