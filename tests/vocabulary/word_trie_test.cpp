#include "vocabulary/trie_memory.h"
#include "vocabulary/word_trie.h"

#include "support/scratch_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <map>

namespace {

std::vector<std::string> texts(const std::vector<suggestion> &list) {
    std::vector<std::string> out;
    for (const suggestion &entry : list)
        out.push_back(entry.text + " " + std::to_string(entry.count));
    return out;
}

// What the trie holds after loading contents, as the file it writes back.
std::string loadAndSave(const ScratchFolder &folder, const std::string &contents, bool *failed = nullptr) {
    std::string path = folder.path("words.voc");
    writeBytes(path, contents);
    {
        WordTrie trie(path.c_str());
        if (failed)
            *failed = trie.loadFailed;
    }
    return readBytes(path);
}

struct LoadCase {
    const char *name;
    const char *contents;
    const char *written;
};

const LoadCase kLoadCases[] = {
    {"counts of repeated words add up; short plain words are ignored", "hello 3\r\nhello 2\r\nhelp\r\nxyz\r\n",
     "hello 5\r\nhelp 1\r\n"},
    {"a text after the last space that is no number makes one entry", "New York\n", "New York 1\r\n"},
    {"a word shorter than 4 with a count is ignored", "abc 7\nabcd 7\n", "abcd 7\r\n"},
    {"a count of 0 keeps the whole line as a word", "word 0\n", "word 0 1\r\n"},
    {"a negative count stores the word with count 0", "worda 4\nworda -3\nwordb -1\n", ""},
    {"the number is read like atoi", "spaced   +12xyz\nblank \t 7\n", "blank \t 7\r\nspaced   12\r\n"},
    {"the last space counts", "two words 3\n", "two words 3\r\n"},
    {"lines end at LF; a lone CR stays in the line", "abcd\rxy 2\nlast 4", "abcd\rxy 2\r\nlast 4\r\n"},
    {"empty lines are ignored; blanks without a number make one entry", "\n\r\n   \nword 2\n", "    1\r\nword 2\r\n"},
    {"counts beyond 32 bits saturate", "huge 99999999999\nhuge 5\nsmall -99999999999\n", "huge 2147483647\r\n"},
};

} // namespace

TEST(WordTrieFile, LoadRulesLineByLine) {
    for (const LoadCase &c : kLoadCases) {
        ScratchFolder folder;
        bool failed = true;
        EXPECT_EQ(loadAndSave(folder, c.contents, &failed), c.written) << c.name;
        EXPECT_FALSE(failed) << c.name;
    }
}

TEST(WordTrieFile, SavesDepthFirstWithLongerWordsFirstAndHighBytesBeforeAscii) {
    ScratchFolder folder;
    std::string path = folder.path("order.voc");
    {
        WordTrie trie(path.c_str());
        EXPECT_TRUE(trie.loadFailed); // no file yet; it is created on destruction
        trie.addWord("abcd", 1, nullptr);
        trie.addWord("abc", 2, nullptr);
        trie.addWord("abcde", 3, nullptr);
        trie.addWord("\xe9t\xe9", 4, nullptr);
        trie.addWord("ete", 5, nullptr);
        trie.addWord("\xc0la", 6, nullptr);
        trie.addWord("ab\xfc", 7, nullptr);
        EXPECT_EQ(trie.countOf("abc"), 2);
        EXPECT_EQ(trie.countOf("abcd"), 1);
        EXPECT_EQ(trie.countOf("abcde"), 3);
    }
    EXPECT_EQ(readBytes(path), "\xc0la 6\r\n\xe9t\xe9 4\r\nab\xfc 7\r\nabcde 3\r\nabcd 1\r\nabc 2\r\nete 5\r\n");
}

TEST(WordTrieFile, RoundTripIsByteIdentical) {
    ScratchFolder folder;
    std::string contents = "\xe4rger 12\r\nNew York 3\r\naaaa 1\r\nabcdef 9\r\nabcde 2147483647\r\nabcd 4\r\n"
                           "abcz 5\r\nzzzz 1\r\n";
    EXPECT_EQ(loadAndSave(folder, contents), contents);
    std::string empty = loadAndSave(folder, "");
    EXPECT_EQ(empty, "");
}

TEST(WordTrieFile, BakIsReadWhenTheFileIsMissingAndTheFileIsWrittenUnderItsOwnName) {
    ScratchFolder folder;
    std::string path = folder.path("list.txt");
    writeBytes(path + ".bak", "backup 2\r\n");
    {
        WordTrie trie(path.c_str());
        EXPECT_FALSE(trie.loadFailed);
        EXPECT_EQ(trie.countOf("backup"), 2);
    }
    EXPECT_EQ(readBytes(path), "backup 2\r\n");
    EXPECT_EQ(readBytes(path + ".bak"), "backup 2\r\n");
}

TEST(WordTrieFile, NoPathOrClearedPathWritesNothing) {
    ScratchFolder folder;
    std::string path = folder.path("gone.voc");
    {
        WordTrie trie(path.c_str());
        trie.addWord("word", 1, nullptr);
        trie.setPath(nullptr);
    }
    EXPECT_FALSE(fileExists(path));
    for (const char *none : {static_cast<const char *>(nullptr), ""}) {
        writeBytes(".bak", "bak 1\r\n"); // an empty path never opens anything
        WordTrie trie(none);
        EXPECT_FALSE(trie.loadFailed);
        EXPECT_EQ(trie.countOf("bak"), -1);
        trie.addWord("word", 1, nullptr);
    }
    std::filesystem::remove(".bak");
    EXPECT_TRUE(std::filesystem::is_empty(folder.folder()));
}

TEST(WordTrieFile, LinesOf80CharactersLoadAndLongerOnesStopReadingWithoutLosingTheFile) {
    ScratchFolder folder;
    std::string eighty(80, 'w');
    std::string seventyNine(79, 'v');
    std::string contents = "first 1\r\n" + seventyNine + "\r\n" + eighty + "\r\n";
    bool failed = true;
    EXPECT_EQ(loadAndSave(folder, contents, &failed), "first 1\r\n" + seventyNine + " 1\r\n" + eighty + " 1\r\n");
    EXPECT_FALSE(failed);

    std::string tooLong = "first 1\r\n" + std::string(81, 'x') + "\r\nlast 2\r\n";
    std::string path = folder.path("long.voc");
    writeBytes(path, tooLong);
    {
        WordTrie trie(path.c_str());
        EXPECT_TRUE(trie.loadFailed);
        EXPECT_EQ(trie.countOf("first"), 1); // what was read before stays
        EXPECT_EQ(trie.countOf("last"), -1);
        trie.addWord("added", 1, nullptr);
    }
    EXPECT_EQ(readBytes(path), tooLong);
}

// A word of 80 characters is written with its count on a longer line; the program must read its
// own file back, while a plain line over 80 characters still fails.
TEST(WordTrieFile, SavedLinesOfEightyCharacterWordsReadBack) {
    ScratchFolder folder;
    std::string word(80, 'e');
    std::string saved = word + " 2147483647\r\n" + std::string(79, 'f') + " -12\r\nlast 1\r\n";
    bool failed = true;
    EXPECT_EQ(loadAndSave(folder, saved, &failed), word + " 2147483647\r\nlast 1\r\n");
    EXPECT_FALSE(failed);
    for (const std::string &line : {std::string(81, 'g') + " 1", std::string(80, 'g') + " 0",
                                    std::string(80, 'g') + " 123456789012", std::string(80, 'g') + " x"}) {
        loadAndSave(folder, line + "\r\n", &failed);
        EXPECT_TRUE(failed) << line;
    }
}

TEST(WordTrieFile, WordsOf80CharactersAndPathsBeyond80Characters) {
    ScratchFolder folder;
    std::string path = folder.path("deep.voc");
    std::string shared(79, 'p');
    std::vector<std::string> words = {shared, shared + "a", shared + "b", shared + "ab", shared + "abc",
                                      std::string(81, 'q'), std::string(80, 'q')};
    {
        WordTrie trie(path.c_str());
        for (const std::string &word : words)
            trie.addWord(word.c_str(), 1, nullptr);
        for (const std::string &word : words)
            EXPECT_EQ(trie.countOf(word.c_str()), 1) << word.size();
        std::vector<suggestion> out;
        trie.collectPrefix((shared + "a").c_str(), out, 25, true);
        EXPECT_EQ(out.size(), 3u);
        trie.collectPrefix("q", out, 25, true);
        EXPECT_EQ(out.size(), 2u);
    }
    EXPECT_EQ(readBytes(path), shared + "abc 1\r\n" + shared + "ab 1\r\n" + shared + "a 1\r\n" + shared + "b 1\r\n" +
                                   shared + " 1\r\n" + std::string(81, 'q') + " 1\r\n" + std::string(80, 'q') +
                                   " 1\r\n");
}

// The file path is kept whole, however long: a cut path would name another file.
TEST(WordTrieFile, LongFilePathsAreKeptWhole) {
    ScratchFolder folder;
    std::string base = folder.path("");
    for (std::size_t length : {259u, 260u, 261u}) {
        ASSERT_LT(base.size() + 20, length);
        std::string directory = base + std::string(length - base.size() - 12, 'd');
        std::filesystem::create_directories(directory);
        std::string path = directory + "/words.vocab";
        ASSERT_EQ(path.size(), length);
        testing::internal::CaptureStderr();
        {
            WordTrie trie(path.c_str());
            EXPECT_EQ(trie.path(), path);
            trie.addWord("long", 1, nullptr);
        }
        std::string warning = testing::internal::GetCapturedStderr();
        if (warning.empty())
            EXPECT_EQ(readBytes(path), "long 1\r\n") << length;
        else // a system without long paths refuses the file instead
            EXPECT_EQ(warning, "Warning opening file " + path + "\n");
        if (length > 259) {
            EXPECT_FALSE(fileExists(path.substr(0, 259)));
        }
        std::filesystem::remove_all(directory);
    }
}

TEST(WordTrieFile, AFileThatCannotBeWrittenWarnsAndStaysAsItWas) {
    ScratchFolder folder;
    std::string path = folder.path("kept.voc");
    writeBytes(path, "kept 1\r\n");
    std::filesystem::create_directory(path + ".tmp"); // blocks the temporary file
    testing::internal::CaptureStderr();
    {
        WordTrie trie(path.c_str());
        trie.addWord("more", 1, nullptr);
    }
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Warning opening file " + path + "\n");
    EXPECT_EQ(readBytes(path), "kept 1\r\n");

    std::string nowhere = folder.path("missing/folder.voc");
    testing::internal::CaptureStderr();
    { WordTrie trie(nowhere.c_str()); }
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Warning opening file " + nowhere + "\n");
}

TEST(WordTrie, DeletionByCountZero) {
    WordTrie trie;
    trie.addWord("hello", 5, "item");
    trie.addWord("hell", 2, nullptr);
    trie.addWord("hello", 0, nullptr);
    trie.addWord("hell", -4, nullptr); // a negative delta is taken as 0
    std::vector<suggestion> out;
    trie.collectPrefix("he", out, 25, true);
    EXPECT_TRUE(out.empty());
    EXPECT_FALSE(trie.bumpWord("hello"));
    ItemList items;
    EXPECT_TRUE(trie.findItems("hello", items));
    EXPECT_EQ(items, ItemList{"item"});
    EXPECT_EQ(trie.countOf("hello"), 0);
    trie.addWord("hello", 3, nullptr); // comes back with the new delta
    EXPECT_EQ(trie.countOf("hello"), 3);
}

TEST(WordTrie, AddingBumpingAndFindingAcrossEverySplit) {
    WordTrie trie;
    EXPECT_FALSE(trie.bumpWord("none"));
    trie.addWord("hello", 1, "a");
    trie.addWord("help", 2, "b");    // split with a common beginning
    trie.addWord("hel", 3, "c");     // the new word is a beginning of the old ones
    trie.addWord("hello!", 4, "d");  // the old word is a beginning of the new one
    trie.addWord("xyz", 5, nullptr); // a new branch at the root
    trie.addWord("hello", 1, "a");   // an item is listed once
    trie.addWord("hello", 1, "e");
    EXPECT_EQ(trie.countOf("hello"), 3);
    EXPECT_EQ(trie.countOf("help"), 2);
    EXPECT_EQ(trie.countOf("hel"), 3);
    EXPECT_EQ(trie.countOf("hello!"), 4);
    EXPECT_EQ(trie.countOf("he"), -1);
    EXPECT_EQ(trie.countOf("hellos"), -1);
    ItemList items;
    EXPECT_TRUE(trie.findItems("hello", items));
    EXPECT_EQ(items, (ItemList{"a", "e"}));
    EXPECT_TRUE(trie.findItems("hel", items));
    EXPECT_EQ(items, ItemList{"c"});
    EXPECT_TRUE(trie.findItems("xyz", items));
    EXPECT_TRUE(items.empty());
    EXPECT_FALSE(trie.findItems("hell", items));
    EXPECT_TRUE(trie.bumpWord("hel"));
    EXPECT_TRUE(trie.bumpWord("xyz"));
    EXPECT_FALSE(trie.bumpWord("hell"));
    EXPECT_EQ(trie.countOf("hel"), 4);
    EXPECT_EQ(trie.countOf("xyz"), 6);
}

TEST(WordTrie, CountsSaturateInsteadOfOverflowing) {
    WordTrie trie;
    trie.addWord("most", INT32_MAX - 1, nullptr);
    EXPECT_TRUE(trie.bumpWord("most"));
    EXPECT_TRUE(trie.bumpWord("most"));
    EXPECT_EQ(trie.countOf("most"), INT32_MAX);
    trie.addWord("most", INT32_MAX, nullptr);
    EXPECT_EQ(trie.countOf("most"), INT32_MAX);
    std::vector<suggestion> out;
    trie.collectPrefix("mo", out, 5, true);
    EXPECT_EQ(texts(out), std::vector<std::string>{"most 2147483647"});
}

TEST(WordTrieListing, KeepsTheHighestCountsInDescendingOrder) {
    WordTrie trie;
    trie.addWord("hello", 5, nullptr);
    trie.addWord("help", 1, nullptr);
    trie.addWord("hex", 9, nullptr);
    trie.addWord("other", 50, nullptr);
    std::vector<suggestion> out;
    trie.collectPrefix("he", out, 2, true);
    EXPECT_EQ(texts(out), (std::vector<std::string>{"hex 9", "hello 5"}));

    // Entries already in the list compete when it is not cleared.
    out = {{"zzz", 6}, {"yyy", 0}};
    trie.collectPrefix("he", out, 3, false);
    EXPECT_EQ(texts(out), (std::vector<std::string>{"hex 9", "zzz 6", "hello 5"}));
    trie.collectPrefix("he", out, 0, false);
    EXPECT_TRUE(out.empty());
    trie.collectPrefix("", out, 1, true);
    EXPECT_EQ(texts(out), std::vector<std::string>{"other 50"});
    trie.collectPrefix("q", out, 5, true);
    EXPECT_TRUE(out.empty());
}

TEST(WordTrieListing, PrefixesEndingInsideALeafOrAtAWordEnd) {
    WordTrie trie;
    trie.addWord("hello", 5, nullptr);
    trie.addWord("xylophone", 2, nullptr);
    std::vector<suggestion> out;
    trie.collectPrefix("hel", out, 25, true);
    EXPECT_EQ(texts(out), std::vector<std::string>{"hello 5"});
    trie.collectPrefix("hello", out, 25, true);
    EXPECT_EQ(texts(out), std::vector<std::string>{"hello 5"});
    trie.collectPrefix("hellos", out, 25, true);
    EXPECT_TRUE(out.empty());
    trie.collectPrefix("hex", out, 25, true);
    EXPECT_TRUE(out.empty());
    trie.addWord("he", 7, nullptr);
    trie.collectPrefix("he", out, 25, true);
    EXPECT_EQ(texts(out), (std::vector<std::string>{"he 7", "hello 5"}));
    WordTrie empty;
    out = {{"kept", 1}};
    empty.collectPrefix("a", out, 25, false);
    EXPECT_EQ(texts(out), std::vector<std::string>{"kept 1"});
}

// The subtree bounds let the listing skip branches; it must still list exactly the words a full
// sort would, through additions, bumps and deletions.
TEST(WordTrieListing, MatchesAFullSortOnRandomVocabularies) {
    std::mt19937 random(7);
    for (int round = 0; round < 20; ++round) {
        WordTrie trie;
        std::map<std::string, int32_t> model;
        for (int i = 0; i < 600; ++i) {
            std::string word;
            int length = 1 + random() % 6;
            for (int c = 0; c < length; ++c)
                word.push_back("abce\xe9"[random() % 5]);
            int action = random() % 10;
            if (action == 0 && !model.empty()) {
                trie.addWord(word.c_str(), 0, nullptr);
                model[word] = 0;
            } else if (action == 1) {
                bool known = model.count(word) && model[word] >= 1;
                EXPECT_EQ(trie.bumpWord(word.c_str()), known);
                if (known)
                    ++model[word];
            } else {
                int32_t delta = 1 + random() % 20;
                trie.addWord(word.c_str(), delta, nullptr);
                model[word] = model.count(word) ? model[word] + delta : delta;
            }
        }
        for (const char *prefix : {"", "a", "ab", "e\xe9", "abc", "c"}) {
            for (int max : {1, 3, 25}) {
                std::vector<suggestion> expected;
                for (const auto &entry : model)
                    if (entry.second >= 1 && entry.first.compare(0, std::strlen(prefix), prefix) == 0)
                        expected.push_back({entry.first, entry.second});
                std::sort(expected.begin(), expected.end(), [](const suggestion &a, const suggestion &b) {
                    return a.count != b.count ? a.count > b.count : a.text < b.text;
                });
                if (static_cast<int>(expected.size()) > max)
                    expected.resize(max);
                std::vector<suggestion> out;
                trie.collectPrefix(prefix, out, max, true);
                EXPECT_EQ(texts(out), texts(expected)) << "prefix '" << prefix << "' max " << max;
            }
        }
    }
}

namespace {
int allocationsLeft = 0;
void *failingAllocator(std::size_t size) { return allocationsLeft-- > 0 ? std::malloc(size) : nullptr; }

#ifdef _WIN32
const int kMinusOneExit = -1;
#else
const int kMinusOneExit = 255;
#endif

void addAfterAllocations(int allowed, const char *word) {
    WordTrie trie;
    trie.addWord("hello", 1, nullptr);
    trie.addWord("world", 1, nullptr);
    allocationsLeft = allowed;
    setTrieAllocatorForTesting(failingAllocator);
    trie.addWord(word, 1, "item");
    setTrieAllocatorForTesting(nullptr);
}
} // namespace

TEST(WordTrieDeathTest, RunningOutOfMemoryEndsTheProcessWithItsMessage) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // A new cell at the root grows the root's arrays.
    EXPECT_EXIT(addAfterAllocations(2, "abc"), testing::ExitedWithCode(1), "Out of memory in addCell.");
    // The leaf object itself, then its text.
    EXPECT_EXIT(addAfterAllocations(0, "abc"), testing::ExitedWithCode(kMinusOneExit), "Out of memory in LeafNode.");
    EXPECT_EXIT(addAfterAllocations(1, "abc"), testing::ExitedWithCode(kMinusOneExit), "Out of memory in LeafNode.");
    // A split of "hello" by "help" builds inner nodes first.
    EXPECT_EXIT(addAfterAllocations(0, "help"), testing::ExitedWithCode(kMinusOneExit),
                "Out of memory in NonLeafNode.");
}
