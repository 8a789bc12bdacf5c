#include "vocabulary/spelling_corrections.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// Each word with the same count, so that only the spelling ranks them.
const char *const kWords[] = {"physics", "receive", "address", "occurred",   "write", "knife",  "which",
                              "night",   "hello",   "London",  "\xe9t\xe9s", "guess", "science"};

struct Case {
    const char *typed;
    const char *meant;
    bool whole;
    bool offered = true;
};

const Case kCases[] = {
    // Sound-alikes, two of them within the budget.
    {"fisics", "physics", true},  // f for ph, i for y
    {"recieve", "receive", true}, // ie for ei
    {"adres", "address", false},  // single for double letters, twice
    {"ocured", "occurred", true}, // the same, a word of its own
    {"rite", "write", true},      // silent letters
    {"nif", "knife", false},
    {"wich", "which", true},
    {"nit", "night", true},
    {"gess", "guess", true},
    {"sience", "science", true},
    // One slip of each kind.
    {"hwll", "hello", false},  // changed
    {"hllo", "hello", true},   // left out
    {"hexllo", "hello", true}, // added
    {"hlelo", "hello", true},  // swapped
    // Stored capitals and bytes of other letters.
    {"lodnon", "London", true},
    {"\xe9tes", "\xe9t\xe9s", true},
    // Two slips are too many; below three letters nothing is offered; a word that begins with the
    // typed letters is the listing's, not a correction.
    {"hxxlo", "hello", false, false},
    {"hl", "hello", false, false},
    {"hel", "hello", false, false},
};

} // namespace

TEST(SpellingCorrections, OffersWordsOneSlipOrTwoSoundAlikesAway) {
    WordTrie trie;
    for (const char *word : kWords)
        trie.addWord(word, 10, nullptr);
    SpellingCorrector corrector;
    std::vector<Correction> found;
    for (const Case &c : kCases) {
        corrector.find(trie, c.typed, 10, found);
        auto meant = std::find_if(found.begin(), found.end(), [&c](const Correction &f) { return f.text == c.meant; });
        if (!c.offered) {
            EXPECT_EQ(meant, found.end()) << c.typed;
            continue;
        }
        ASSERT_NE(meant, found.end()) << c.typed;
        EXPECT_EQ(meant->whole, c.whole) << c.typed;
        EXPECT_EQ(meant->count, 10);
    }
}

TEST(SpellingCorrections, ASoundAlikeRanksAboveASlipAndCountsRankWithinEach) {
    WordTrie trie;
    trie.addWord("phase", 10, nullptr); // fase: f for ph, a sound-alike
    trie.addWord("base", 40, nullptr);  // a letter changed
    trie.addWord("vase", 20, nullptr);
    SpellingCorrector corrector;
    std::vector<Correction> found;
    corrector.find(trie, "fase", 10, found);
    std::vector<std::string> texts;
    for (const Correction &c : found)
        texts.push_back(c.text);
    ASSERT_GE(texts.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(texts.begin(), texts.begin() + 3),
              (std::vector<std::string>{"phase", "base", "vase"}));
    EXPECT_DOUBLE_EQ(found[0].weight, kStepWeight);
    EXPECT_DOUBLE_EQ(found[1].weight, kStepWeight * kStepWeight);
    // At most max, the best kept.
    corrector.find(trie, "fase", 1, found);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].text, "phase");
}
