#include "vocabulary/word_trie.h"

#include "support/scratch_folder.h"

#include <gtest/gtest.h>

// The shipped base vocabulary is written in the program's own save order, so a run without use
// writes it back byte for byte.
TEST(EnglishVoc, LoadsWhollyAndIsWrittenBackUnchanged) {
    std::string shipped = readBytes(std::string(WL_SOURCE_DIR) + "/vocabulary/data/english.voc");
    ASSERT_GT(shipped.size(), 500000u);
    ScratchFolder folder;
    std::string path = folder.path("english.voc");
    writeBytes(path, shipped);
    {
        WordTrie trie(path.c_str());
        EXPECT_FALSE(trie.loadFailed);
        EXPECT_GT(trie.countOf("people"), 0);
        EXPECT_GT(trie.countOf("London"), 0);
        EXPECT_EQ(trie.countOf("london"), -1);
        std::vector<suggestion> out;
        trie.collectPrefix("peo", out, 25, true);
        ASSERT_FALSE(out.empty());
        EXPECT_EQ(out[0].text, "people");
    }
    EXPECT_TRUE(readBytes(path) == shipped);
}
