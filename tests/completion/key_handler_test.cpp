#include "completion/completion_fixture.h"

#include <future>
#include <thread>

using namespace forwarded_key;

namespace {

const char kVocabulary[] = "hello 50\r\nhelp 40\r\nhelmet 30\r\nhelium 20\r\nthe 90\r\nthen 80\r\nthere 70\r\n";

// 25 words "wa" + two letters, counts 125 down to 101, so their order is known.
std::string pagedVocabulary() {
    std::string text;
    for (int i = 0; i < 25; ++i)
        text += std::string("wa") + static_cast<char>('a' + i / 5) + static_cast<char>('a' + i % 5) + " " +
                std::to_string(125 - i) + "\r\n";
    return text;
}

class KeyHandler : public CompletionFixture {};

TEST_F(KeyHandler, LettersShowTheListAndADigitTypesTheRestAsImeCharacters) {
    start(kVocabulary);
    type("hel");
    EXPECT_TRUE(shown_);
    EXPECT_EQ(placements_, 3); // re-placed at every letter, so the list follows the caret
    EXPECT_EQ(words()[0], "hello");
    EXPECT_EQ(key('1'), kTaken);
    EXPECT_EQ(imeChars_, "lo");
    EXPECT_FALSE(shown_);
    EXPECT_EQ(store_->typedLength(), 0);
    // A program met for the first time may not learn: not even the pick is kept.
    ASSERT_NE(store_->learnedVocabulary(kProgram), nullptr);
    EXPECT_EQ(store_->learnedVocabulary(kProgram)->countOf("hello"), -1);
    allowLearning();
    type("hel");
    key('1');
    EXPECT_EQ(store_->learnedVocabulary(kProgram)->countOf("hello"), 1);
    // A correction erases the typed letters first and types the whole word.
    imeChars_.clear();
    type("Hwlp");
    ASSERT_TRUE(store_->isCorrection(0));
    EXPECT_EQ(words()[0], "help");
    key(kSpace);
    EXPECT_EQ(imeChars_, "\b\b\b\bHelp");
    EXPECT_FALSE(shown_);
}

TEST_F(KeyHandler, ShiftSpaceTakesRowOneAndZeroTakesTheTenthRow) {
    start(kVocabulary);
    allowLearning();
    type("hel");
    key(kSpace);
    EXPECT_EQ(imeChars_, "lo");
    imeChars_.clear();
    type("hel");
    key('0'); // four rows: 0 wraps to the fourth
    EXPECT_EQ(imeChars_, "ium");
    imeChars_.clear();
    type("hel"); // the two picks are learned now and come first
    EXPECT_EQ(words(), (std::vector<std::string>{"helium", "hello", "help", "helmet"}));
    key('6'); // beyond the rows: wraps to the second
    EXPECT_EQ(imeChars_, "lo");
}

TEST_F(KeyHandler, ShiftArrowsMoveTheHighlightAndEnterCompletesItAlsoOnALaterPage) {
    start(pagedVocabulary());
    type("wa");
    ASSERT_EQ(store_->suggestions().size(), 25u);
    key(kDown);
    key(kDown);
    EXPECT_EQ(store_->selectedIndex(), 1);
    EXPECT_EQ(placements_, 2); // arrows neither feed nor place
    EXPECT_EQ(key(kEnter), kTaken);
    EXPECT_EQ(imeChars_, "ab");
    EXPECT_FALSE(shown_);

    imeChars_.clear();
    type("wa");
    for (int i = 0; i < 12; ++i)
        key(kDown);
    EXPECT_EQ(store_->selectedIndex(), 11);
    EXPECT_EQ(store_->pageStart(), 2);
    key(kEnter); // '1' + 11 goes past '9'; rows count modulo the page
    EXPECT_EQ(imeChars_, "cb");

    imeChars_.clear();
    type("wa");
    key(kUp); // from none: wraps to the last
    EXPECT_EQ(store_->selectedIndex(), 24);
    key(kEnter);
    EXPECT_EQ(imeChars_, "ee");
}

TEST_F(KeyHandler, EnterWithoutHighlightIsTheProgramsAndEndsTheLineAndTheWordLearnedWhereAllowed) {
    start(kVocabulary);
    allowLearning();
    type("helix");
    EXPECT_EQ(key(kEnter), kNotTaken); // the user's own Enter goes on to the program, as pressed
    EXPECT_EQ(claims_, 0);
    EXPECT_FALSE(shown_);
    EXPECT_TRUE(imeChars_.empty());
    EXPECT_EQ(store_->typedLength(), 0);
    EXPECT_EQ(store_->learnedVocabulary(kProgram)->countOf("helix"), 1);

    type("help");
    key(kDown);
    key(kUp);
    key(kEscape); // four letters: too short to learn
    EXPECT_EQ(store_->learnedVocabulary(kProgram)->countOf("help"), -1);
    EXPECT_NE(shutDownAndRead(std::string(kProgram) + ".vob").find("helix 1\r\n"), std::string::npos);
}

TEST_F(KeyHandler, FinishedWordsAreNotLearnedInAProgramSeenForTheFirstTime) {
    start(kVocabulary);
    type("helios");
    key(kEscape);
    EXPECT_EQ(settings_->programs.at(kProgram).learningAllowed, 0);
    auto learned = store_->learnedVocabulary(kProgram);
    EXPECT_TRUE(learned == nullptr || learned->countOf("helios") <= 0);
    // Nor is a pick, and no file is made for the program.
    type("hel");
    key('1');
    std::string vob = shutDownAndRead(std::string(kProgram) + ".vob");
    EXPECT_TRUE(vob.empty());
    EXPECT_FALSE(std::filesystem::exists(folder_ / (std::string(kProgram) + ".vob")));
    EXPECT_NE(shutDownAndRead("wordlark.cfg").find("notepad.exe\tC:\\windows\\notepad.exe\t0\t\r\n"),
              std::string::npos);
}

TEST_F(KeyHandler, DeleteRemovesOnlyAHighlightedWord) {
    start(kVocabulary);
    type("hel");
    key(kDelete); // nothing highlighted: nothing happens
    EXPECT_TRUE(shown_);
    EXPECT_EQ(store_->typedLength(), 3);
    key(kDown);
    key(kDelete);
    EXPECT_FALSE(shown_);
    EXPECT_EQ(store_->typedLength(), 0);
    type("hel");
    EXPECT_EQ(words(), (std::vector<std::string>{"help", "helmet", "helium"}));
    EXPECT_EQ(shutDownAndRead("english.voc").find("hello"), std::string::npos);
}

TEST_F(KeyHandler, LetterWithoutMatchesHidesTheListAndShiftChangesNothing) {
    start(kVocabulary);
    type("hel");
    key(kShift);
    EXPECT_TRUE(shown_);
    EXPECT_EQ(store_->typedLength(), 3);
    key('q'); // one slip away from the hel- words: they are offered as corrections
    EXPECT_TRUE(shown_);
    EXPECT_TRUE(store_->isCorrection(0));
    key('z');
    EXPECT_FALSE(shown_);
    EXPECT_EQ(store_->typedLength(), 5); // the word goes on; the letter reached the editor itself
    key(kBackspace);
    key(kBackspace);
    EXPECT_TRUE(shown_);
    EXPECT_EQ(words()[0], "hello");
    EXPECT_FALSE(store_->isCorrection(0));
}

TEST_F(KeyHandler, CapitalsModeTypesTheRestInCapitals) {
    start(kVocabulary);
    type("HEL");
    key('1');
    EXPECT_EQ(imeChars_, "LO");
    imeChars_.clear();
    type("H");
    key('1');
    EXPECT_EQ(imeChars_, "ello");
    imeChars_.clear();
    type("Hel");
    key('1');
    EXPECT_EQ(imeChars_, "lo");
}

TEST_F(KeyHandler, AKeyWithNothingToTakeIsTheProgramsAndNeverClaimed) {
    start(kVocabulary);
    type("hel");
    // The word ends (Escape) while Shift+Space, Enter and Ctrl+1 are on their way: the list goes
    // with the word, and the three keys go on to the program as the user pressed them.
    key(kEscape);
    EXPECT_FALSE(shown_);
    for (int k : {kSpace, kEnter, static_cast<int>('1'), kDown})
        EXPECT_EQ(key(k), kNotTaken) << k;
    EXPECT_EQ(claims_, 0);
    EXPECT_TRUE(imeChars_.empty());
}

// The hook's wait ran out and the key reached the program before the main program claimed it: the
// word follows what the key did there, and nothing is typed in its place.
TEST_F(KeyHandler, AKeyThatReachedTheProgramFirstChangesTheWordAsItDidThere) {
    start(kVocabulary);
    claimGranted_ = false;
    // "the" + Shift+Space (a space in the program) + "re" is "the re", not "there".
    type("the");
    EXPECT_EQ(key(kSpace), kNotTaken);
    EXPECT_EQ(claims_, 1);
    EXPECT_EQ(store_->typedLength(), 0);
    type("re");
    EXPECT_EQ(store_->currentWord(), "re");
    // Backspace erased a letter there: here too.
    EXPECT_EQ(key(kBackspace), kNotTaken);
    EXPECT_EQ(store_->currentWord(), "r");
    key(kEscape);
    // Ctrl+1 did nothing to the text (the hook ends the word after it); Shift+Down moved the
    // program's selection away from the word, which ends unlearned.
    type("hel");
    EXPECT_EQ(key('1'), kNotTaken);
    EXPECT_EQ(store_->typedLength(), 3);
    EXPECT_EQ(key(kDown), kNotTaken);
    EXPECT_EQ(store_->typedLength(), 0);
    EXPECT_FALSE(shown_);
    EXPECT_TRUE(imeChars_.empty());
    // A key the word followed already (the late key before the hook's note of it) changes nothing
    // the second time.
    type("hel");
    followGranted_ = false;
    for (int k : {kBackspace, kSpace, kEnter, kDown})
        EXPECT_EQ(key(k), kNotTaken) << k;
    EXPECT_EQ(store_->currentWord(), "hel");
}

TEST_F(KeyHandler, ABusyStoreLeavesTheKeysToTheProgram) {
    start(kVocabulary);
    type("hel");
    key(kDown);
    std::promise<void> held, done;
    std::thread holder([&]() {
        store_->lock().wait();
        held.set_value();
        done.get_future().wait();
        store_->lock().release();
    });
    held.get_future().wait();
    // Ctrl+digit, Shift+Space and Enter are neither claimed nor acted on: the program gets them.
    for (int k : {static_cast<int>('3'), kSpace, kEnter})
        EXPECT_EQ(key(k), kNotTaken) << k;
    EXPECT_EQ(claims_, 1); // only the Down before
    EXPECT_TRUE(imeChars_.empty());
    type("x");
    EXPECT_FALSE(shown_);
    done.set_value();
    holder.join();
    EXPECT_EQ(store_->typedLength(), 3);
}

TEST(ListPlacement, SitsBelowTheCaretLineInsideTheFocusWindow) {
    const ScreenArea screen = {0, 0, 1280, 760};
    ListPlacement p = placeList(300, 200, 100, 50, 16, 120, 80, screen);
    EXPECT_EQ(p.x, 300);
    EXPECT_EQ(p.y, 218);
    EXPECT_EQ(p.width, 128);
    EXPECT_EQ(p.height, 84);
    p = placeList(10, 20, 100, 50, 16, 0, 0, screen); // caret left of and above the focus window
    EXPECT_EQ(p.x, 100);
    EXPECT_EQ(p.y, 68);
    EXPECT_EQ(p.width, 8);
    EXPECT_EQ(p.height, 4);
    // A monitor that could not be read leaves the list at the caret, wherever that is.
    p = placeList(1250, 740, 0, 0, 16, 120, 80, ScreenArea{0, 0, 0, 0});
    EXPECT_EQ(p.x, 1250);
    EXPECT_EQ(p.y, 758);
}

TEST(ListPlacement, LiesWholeInsideTheWorkAreaOfTheCaretsMonitor) {
    // A second monitor right of the first, its task bar at the bottom: work area 1280..2560 x 0..1000.
    const ScreenArea second = {1280, 0, 2560, 1000};
    struct Case {
        const char *what;
        int caretX, caretY;
        int x, y;
    } cases[] = {
        {"room below the line: below", 1500, 800, 1500, 818},
        {"exactly room below", 1500, 898, 1500, 916},
        {"one pixel short below: above the line", 1500, 899, 1500, 813},
        {"the last line of a chat box: above", 1500, 980, 1500, 894},
        {"at the right edge: shifted left", 2500, 300, 2432, 318},
        {"bottom right corner: above and shifted left", 2550, 990, 2432, 904},
        {"left of the monitor's edge: shifted right", 1200, 300, 1280, 318},
    };
    for (const Case &c : cases) {
        ListPlacement p = placeList(c.caretX, c.caretY, 0, 0, 16, 120, 80, second);
        EXPECT_EQ(p.x, c.x) << c.what;
        EXPECT_EQ(p.y, c.y) << c.what;
        EXPECT_GE(p.x, second.left) << c.what;
        EXPECT_LE(p.x + p.width, second.right) << c.what;
        EXPECT_GE(p.y, second.top) << c.what;
        EXPECT_LE(p.y + p.height, second.bottom) << c.what;
    }
    // Too short for either side of the line: as low as it stays whole, never past the bottom.
    ListPlacement p = placeList(1500, 40, 0, 0, 16, 120, 80, ScreenArea{1280, 0, 2560, 100});
    EXPECT_EQ(p.y, 16);
    // Taller than the whole work area: its top edge stays on the screen.
    p = placeList(1500, 40, 0, 0, 16, 120, 300, ScreenArea{1280, 0, 2560, 100});
    EXPECT_EQ(p.y, 0);
}

} // namespace
