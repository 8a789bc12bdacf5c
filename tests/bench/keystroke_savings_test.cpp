#include "bench/keystroke_savings.h"

#include "support/scratch_folder.h"

#include <gtest/gtest.h>

namespace {

// Ten words beginning with "ca" above carrot, so carrot shows only once "car" is typed.
const char kVocabulary[] = "hello 50\r\nhelp 40\r\ncabin 30\r\ncable 29\r\ncactus 28\r\ncamel 27\r\ncamera 26\r\n"
                           "canal 25\r\ncandle 24\r\ncanyon 23\r\ncapital 22\r\ncaptain 21\r\ncarrot 1\r\n";
const char kText[] = "Hello, carrot and zebra.\nzebra help Carrot! HELP";

struct Keys {
    long words, letters, typed, picks;
};

void expectTally(const TypingTally &tally, Keys keys) {
    EXPECT_EQ(tally.words, keys.words);
    EXPECT_EQ(tally.letters, keys.letters);
    EXPECT_EQ(tally.lettersTyped, keys.typed);
    EXPECT_EQ(tally.picks, keys.picks);
    EXPECT_EQ(tally.wrongPicks, 0);
}

} // namespace

// Worked out by hand, word by word (letters typed + picks):
//   Hello   H, row 1 hello ("H" + "ello")                              1 + 1
//   carrot  c and ca show the ten ca-words first; car shows carrot       3 + 1
//   and     not in the vocabulary (too short to be)                      3
//   zebra   not in the vocabulary                                        5
//   zebra   without learning typed again; with learning it was learned
//           at its first end and is row 1 after z                        5, or 1 + 1
//   help    h, row 2                                                     1 + 1
//   Carrot  as carrot; the learned carrot is looked up as typed ("C")    3 + 1
//   HELP    H offers "Help"; HE, in capitals, makes HELP                 2 + 1
// 8 words, 38 letters: without learning 23 typed and 5 picks save 10 keys (26.3%); with learning
// 19 typed and 6 picks save 13 (34.2%). The oracle takes each known word after its first letter
// (HELP after two), 19 typed and 5 picks: 14 saved.
TEST(KeystrokeSavings, CountsKeysOfATinyTextAsWorkedOutByHand) {
    ScratchFolder folder;
    std::string voc = folder.path("english.voc");
    writeBytes(voc, kVocabulary);
    std::vector<std::string> texts{kText};

    TypingTally still = typeTexts(voc, std::string(), texts, false);
    expectTally(still, {8, 38, 23, 5});
    EXPECT_NEAR(still.savingsPercent(), 100.0 * 10 / 38, 1e-9);
    EXPECT_NEAR(still.pickPercent(), 100.0 * 5 / 8, 1e-9);

    TypingTally learning = typeTexts(voc, std::string(), texts, true);
    expectTally(learning, {8, 38, 19, 6});
    EXPECT_NEAR(learning.savingsPercent(), 100.0 * 13 / 38, 1e-9);

    expectTally(oracleTally(voc, texts), {8, 38, 19, 5});

    // The shipped file is only read, and nothing learned is left behind.
    EXPECT_EQ(readBytes(voc), kVocabulary);
    EXPECT_FALSE(fileExists(folder.path("typist.exe.vob")));
}

// Worked out by hand: freind and hwllo slip in their first three letters and are one step from a
// word of the vocabulary; qqqqq is near nothing; carrto keeps its first four letters, and carrot
// shows after its first; zebra is no word of the vocabulary and is not counted.
TEST(KeystrokeSavings, CountsTheMisspellingsWhoseWordShowedWhileTheyWereTyped) {
    ScratchFolder folder;
    std::string voc = folder.path("english.voc");
    writeBytes(voc, "friend 10\r\nhello 50\r\ncarrot 5\r\n");
    std::vector<std::pair<std::string, std::string>> pairs;
    long badLine = -1;
    ASSERT_TRUE(parseMisspellings("# misspelled correct\nfreind friend\r\n\n hwllo\thello \nqqqqq carrot\n"
                                  "carrto carrot\nzebar zebra",
                                  pairs, badLine));
    ASSERT_EQ(pairs.size(), 5u);
    EXPECT_EQ(pairs[1], (std::pair<std::string, std::string>("hwllo", "hello")));
    long skipped = 0;
    MisspellingTally tally = typeMisspellings(voc, std::string(), pairs, skipped);
    EXPECT_EQ(skipped, 1);
    EXPECT_EQ(tally.pairs, 4);
    EXPECT_EQ(tally.offered, 3);
    EXPECT_EQ(tally.earlyPairs, 3);
    EXPECT_EQ(tally.earlyOffered, 2);
    EXPECT_NEAR(tally.offeredPercent(), 75.0, 1e-9);
    EXPECT_EQ(readBytes(voc), "friend 10\r\nhello 50\r\ncarrot 5\r\n");

    // A line that is not two words of letters names itself.
    EXPECT_FALSE(parseMisspellings("freind friend\nlonely\n", pairs, badLine));
    EXPECT_EQ(badLine, 2);
    EXPECT_FALSE(parseMisspellings("a b\ndon't do\n", pairs, badLine));
    EXPECT_EQ(badLine, 2);
    EXPECT_TRUE(pairs.empty());
}
