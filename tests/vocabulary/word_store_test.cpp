#include "vocabulary/word_store.h"

#include "support/pair_model_file.h"
#include "support/scratch_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>

namespace {

const char kProgram[] = "editor.exe";

// A store over a base vocabulary file with the given lines, in a scratch current directory.
struct StoreFixture : testing::Test {
    ScratchFolder folder;
    std::string basePath = folder.path("english.voc");
    std::unique_ptr<WordStore> store;
    int erase = -1; // what the last pick erased

    void open(const std::string &baseContents, int maxSuggestions = 25, int pageSize = 10) {
        writeBytes(basePath, baseContents);
        store.reset(new WordStore(basePath, maxSuggestions, pageSize));
    }
    bool type(const std::string &text, bool offer = false) {
        bool shown = false;
        for (char ch : text)
            shown = store->feedCharacter(ch, kProgram, offer);
        return shown;
    }
    std::vector<std::string> words() const {
        std::vector<std::string> out;
        for (const suggestion &entry : store->suggestions())
            out.push_back(entry.text);
        return out;
    }
};

std::string manyWords(int count) {
    std::string lines;
    for (int i = 0; i < count; ++i)
        lines += "word" + std::string(1, static_cast<char>('a' + i)) + " " + std::to_string(100 - i) + "\r\n";
    return lines;
}

} // namespace

TEST_F(StoreFixture, CapitalisedTypingFindsLowerCaseWordsAndTypesTheRestInTheTypedCase) {
    open("hello 5\r\n");
    EXPECT_TRUE(type("Hel"));
    EXPECT_EQ(words(), std::vector<std::string>{"hello"});
    std::string rest;
    EXPECT_TRUE(store->completeSuggestion(1, rest, erase, kProgram, true));
    EXPECT_EQ(rest, "lo");
    EXPECT_EQ(store->typedLength(), 0);
    EXPECT_EQ(store->baseVocabulary().countOf("hello"), 6);
    EXPECT_EQ(store->learnedVocabulary(kProgram)->countOf("hello"), 1);

    EXPECT_TRUE(type("HEL"));
    EXPECT_TRUE(store->capitalsMode());
    EXPECT_TRUE(store->completeSuggestion(1, rest, erase, kProgram, true));
    EXPECT_EQ(rest, "LO");
    EXPECT_TRUE(type("H"));
    EXPECT_TRUE(store->completeSuggestion(1, rest, erase, kProgram, true));
    EXPECT_EQ(rest, "ello");
    // Backspace does not bring capitals mode back.
    EXPECT_TRUE(type("Hx\bEL"));
    EXPECT_FALSE(store->capitalsMode());
    EXPECT_TRUE(store->completeSuggestion(1, rest, erase, kProgram, true));
    EXPECT_EQ(rest, "lo");
}

// The letters of the code page beyond A to Z have their capitals too (Windows-1252 here): Ä typed
// finds äpfel, ÜBE in capitals types the rest as RMUT, and ß, which has no capital, ends nothing.
TEST_F(StoreFixture, AccentedLettersFindTheirWordsWhateverTheirCase) {
    open("\xE4pfel 5\r\n\xFC""bermut 4\r\nstra\xDF""e 3\r\n");
    EXPECT_TRUE(type("\xC4p"));
    EXPECT_EQ(words(), std::vector<std::string>{"\xE4pfel"});
    store->reset();
    std::string rest;
    EXPECT_TRUE(type("\xDC""BE"));
    EXPECT_TRUE(store->capitalsMode());
    EXPECT_TRUE(store->completeSuggestion(1, rest, erase, kProgram, true));
    EXPECT_EQ(rest, "RMUT");
    EXPECT_TRUE(type("STRA\xDF"));
    EXPECT_EQ(words(), std::vector<std::string>{"stra\xDF""e"});
}

TEST_F(StoreFixture, TheTypedWordIsOfferedWhenNothingMatchesAndLearnedWhenPicked) {
    open("");
    EXPECT_FALSE(type("zq"));
    EXPECT_TRUE(type("r", true));
    EXPECT_EQ(words(), std::vector<std::string>{"zqr"});
    std::string rest = "unchanged";
    EXPECT_TRUE(store->completeSuggestion(1, rest, erase, kProgram, true));
    EXPECT_EQ(rest, "");
    EXPECT_EQ(store->learnedVocabulary(kProgram)->countOf("zqr"), 1);
    EXPECT_EQ(store->baseVocabulary().countOf("zqr"), -1);
    // Where learning is not allowed a pick is typed but not kept.
    EXPECT_TRUE(type("zqr", true));
    EXPECT_TRUE(store->completeSuggestion(1, rest, erase, kProgram, false));
    EXPECT_EQ(store->learnedVocabulary(kProgram)->countOf("zqr"), 1);
}

// Misspelled, these are one slip or two sound-alikes away; ten hel- words fill a page, and hallo
// would be a correction of "hel" where rows were free.
const char kSpelling[] = "accommodate 40\r\naccommodation 30\r\naccount 300\r\nfriend 200\r\nfree 100\r\n"
                         "fresh 90\r\nhelga 10\r\nhelgb 10\r\nhelgc 10\r\nhelgd 10\r\nhelge 10\r\nhelgf 10\r\n"
                         "helgg 10\r\nhelgh 10\r\nhelgi 10\r\nhello 10\r\nhallo 900\r\n";

TEST_F(StoreFixture, CorrectionsFillOnlyTheRowsThatWordsBeginningWithTheTypedLettersLeaveFree) {
    open(kSpelling);
    auto pageHolds = [this](const std::string &word) {
        for (int i = store->pageStart(); i < store->pageEnd(); ++i)
            if (store->suggestions()[i].text == word)
                return store->isCorrection(i);
        return false;
    };
    bool offered = false;
    for (char ch : std::string("acomodat"))
        offered = store->feedCharacter(ch, kProgram, false) && (offered || pageHolds("accommodate"));
    EXPECT_TRUE(offered);
    store->reset();
    EXPECT_TRUE(type("freind"));
    EXPECT_TRUE(pageHolds("friend"));
    store->reset();
    // The words that begin with the typed letters come first, the corrections after them.
    EXPECT_TRUE(type("fre"));
    const std::vector<std::string> listed = words();
    EXPECT_EQ(std::vector<std::string>(listed.begin(), listed.begin() + 2), (std::vector<std::string>{"free", "fresh"}));
    EXPECT_FALSE(store->isCorrection(1));
    EXPECT_TRUE(pageHolds("friend"));
    store->reset();
    // A page full of them shows no correction.
    EXPECT_TRUE(type("hel"));
    EXPECT_EQ(words().size(), 10u);
    for (int i = 0; i < 10; ++i)
        EXPECT_FALSE(store->isCorrection(i)) << words()[i];
    store->reset();
    EXPECT_TRUE(type("helg")); // nine words: hello, a letter away, takes the free row
    EXPECT_EQ(words().size(), 10u);
    EXPECT_EQ(words().back(), "hello");
    EXPECT_TRUE(store->isCorrection(9));
}

TEST_F(StoreFixture, APickedCorrectionReplacesTheTypedLettersAndOnlyTheWordMeantIsLearned) {
    open(kSpelling);
    std::string rest;
    auto pickCorrection = [&](const std::string &typed, const std::string &word) {
        type(typed);
        const std::vector<std::string> listed = words();
        int row = static_cast<int>(std::find(listed.begin(), listed.end(), word) - listed.begin());
        EXPECT_TRUE(row < 10 && store->isCorrection(row)) << typed;
        EXPECT_TRUE(store->completeSuggestion(row + 1, rest, erase, kProgram, true));
    };
    pickCorrection("Freind", "friend");
    EXPECT_EQ(erase, 6);
    EXPECT_EQ(rest, "Friend"); // the user's capital, the word's letters
    pickCorrection("FREIND", "friend");
    EXPECT_EQ(rest, "FRIEND");
    pickCorrection("frend", "friend");
    EXPECT_EQ(rest, "friend");
    EXPECT_EQ(store->learnedVocabulary(kProgram)->countOf("friend"), 3);
    EXPECT_EQ(store->baseVocabulary().countOf("friend"), 203);
    // A word that begins with the typed letters still types only its rest.
    type("fre");
    EXPECT_TRUE(store->completeSuggestion(1, rest, erase, kProgram, true));
    EXPECT_EQ(erase, 0);
    EXPECT_EQ(rest, "e");

    // A misspelling finished by hand while the list offered the word meant is neither learned
    // nor paired with the word before; a new word without such a correction is learned.
    type("accounts"); // known to no vocabulary, but a word the typed letters begin is no misspelling
    store->learnTypedWord(kProgram, true);
    store->reset();
    type("freind");
    store->learnTypedWord(kProgram, true);
    store->reset();
    EXPECT_EQ(store->learnedVocabulary(kProgram)->countOf("freind"), -1);
    EXPECT_EQ(store->learnedPairs(kProgram)->followersOf("accounts"), nullptr);
    EXPECT_EQ(store->learnedVocabulary(kProgram)->countOf("accounts"), 1);
    type("fresh"); // known: finished as typed, whatever the corrections
    store->learnTypedWord(kProgram, true);
    EXPECT_EQ(store->baseVocabulary().countOf("fresh"), 91);
}

TEST_F(StoreFixture, FinishedWordsAreLearnedFromFiveCharacters) {
    open("abcde 3\r\n");
    type("abcd");
    store->learnTypedWord(kProgram, true);
    EXPECT_EQ(store->learnedVocabulary(kProgram)->countOf("abcd"), -1);
    store->reset();
    type("abcde");
    store->learnTypedWord(kProgram, true);
    EXPECT_EQ(store->learnedVocabulary(kProgram)->countOf("abcde"), 1);
    EXPECT_EQ(store->baseVocabulary().countOf("abcde"), 4);
    store->reset();
    type("abcdx");
    store->learnTypedWord(kProgram, false);
    EXPECT_EQ(store->learnedVocabulary(kProgram)->countOf("abcdx"), -1);
    EXPECT_EQ(store->baseVocabulary().countOf("abcdx"), -1); // bumped only when known
}

TEST_F(StoreFixture, DigitsCountRowsModuloThePage) {
    open("then 30\r\nthere 20\r\nthis 10\r\n");
    // Each pick is learned, so every pick happens in another program to keep the order.
    struct Pick {
        int digit;
        const char *program;
        const char *rest;
    };
    std::string rest;
    for (const Pick &pick : {Pick{0, "a.exe", "is"}, Pick{3, "b.exe", "is"}, Pick{4, "c.exe", "en"}}) {
        for (char ch : std::string("th"))
            store->feedCharacter(ch, pick.program, false);
        EXPECT_TRUE(store->completeSuggestion(pick.digit, rest, erase, pick.program, true));
        EXPECT_EQ(rest, pick.rest) << pick.digit;
    }
    EXPECT_FALSE(store->completeSuggestion(1, rest, erase, kProgram, true)); // nothing to pick resets
    EXPECT_EQ(store->typedLength(), 0);
}

TEST_F(StoreFixture, PagingThroughTwentyFiveSuggestions) {
    open(manyWords(25));
    type("wor");
    ASSERT_EQ(store->suggestions().size(), 25u);
    EXPECT_EQ(store->pageEnd(), 10);
    for (int i = 0; i < 10; ++i)
        store->selectNext();
    EXPECT_EQ(store->selectedIndex(), 9);
    EXPECT_EQ(store->pageStart(), 0);
    store->selectNext();
    EXPECT_EQ(store->selectedIndex(), 10);
    EXPECT_EQ(store->pageStart(), 1);
    EXPECT_EQ(store->pageEnd(), 11);
    std::string rest;
    EXPECT_TRUE(store->completeSuggestion(store->selectedIndex() + 1, rest, erase, kProgram, true)); // Enter
    EXPECT_EQ(rest, "dk");

    type("wor");
    store->selectPrevious();
    EXPECT_EQ(store->selectedIndex(), 24);
    EXPECT_EQ(store->pageStart(), 15);
    EXPECT_EQ(store->pageEnd(), 25);
    store->selectNext(); // wraps to the first row
    EXPECT_EQ(store->selectedIndex(), 0);
    EXPECT_EQ(store->pageStart(), 0);
    EXPECT_EQ(store->pageEnd(), 10);
    store->selectPrevious();
    store->selectNext();
    store->selectNext();
    store->selectPrevious();
    store->selectPrevious();
    EXPECT_EQ(store->selectedIndex(), 24);
    EXPECT_EQ(store->pageStart(), 15);
}

TEST_F(StoreFixture, LearnedWordsComeFirstAndAreListedOnce) {
    open("hello 50\r\nhelp 40\r\nhelm 30\r\n");
    type("x");
    store->reset();
    store->learnedVocabulary(kProgram)->addWord("help", 1, nullptr);
    store->learnedVocabulary(kProgram)->addWord("helium", 2, nullptr);
    type("hel");
    EXPECT_EQ(words(), (std::vector<std::string>{"helium", "help", "hello", "helm"}));
}

TEST_F(StoreFixture, AWordOfBothListsIsOfferedOnceAtItsBestPlace) {
    open("hello 5\r\nhelp 4\r\nhelm 3\r\n");
    std::string list = folder.path("mine.txt");
    writeBytes(list, "hello 2\r\nhelm 9\r\nhelix 1\r\n");
    EXPECT_TRUE(store->loadWordList(list));
    type("hel");
    EXPECT_EQ(words(), (std::vector<std::string>{"helm", "hello", "help", "helix"}));

    // A full list: the second copies take no places from the words below them.
    open(manyWords(8), 4);
    writeBytes(list, "worda 99\r\nwordb 98\r\n");
    EXPECT_TRUE(store->loadWordList(list));
    type("word");
    EXPECT_EQ(words(), (std::vector<std::string>{"worda", "wordb", "wordc", "wordd"}));
    store->reset();
    store->learnedVocabulary(kProgram)->addWord("wordc", 1, nullptr);
    type("word");
    EXPECT_EQ(words(), (std::vector<std::string>{"wordc", "worda", "wordb", "wordd"}));
}

TEST_F(StoreFixture, CustomAndBaseWordsCompeteByCountThenLowerCaseFollows) {
    open("Hello 5\r\nhelium 7\r\nHelp 9\r\n");
    std::string list = folder.path("mine.txt");
    writeBytes(list, "Helsinki 8\r\nhelter\r\n");
    EXPECT_TRUE(store->loadWordList(list));
    type("Hel");
    EXPECT_EQ(words(), (std::vector<std::string>{"Help", "Helsinki", "Hello", "helium", "helter"}));

    // A full list of learned words leaves no room for the others.
    store->reset();
    for (int i = 0; i < 25; ++i)
        store->learnedVocabulary(kProgram)->addWord(("Hel" + std::to_string(i)).c_str(), 1, nullptr);
    type("Hel");
    EXPECT_EQ(store->suggestions().size(), 25u);
    EXPECT_EQ(words()[0].substr(0, 3), "Hel");
}

TEST_F(StoreFixture, BackspaceAndTheFortyEighthCharacter) {
    open("abcd 1\r\n");
    EXPECT_FALSE(type("a\b"));
    EXPECT_EQ(store->typedLength(), 0);
    EXPECT_EQ(store->currentWord(), "");
    EXPECT_FALSE(store->feedCharacter('\b', kProgram, true));
    EXPECT_TRUE(type("abx\b"));
    EXPECT_EQ(store->currentWord(), "ab");

    store->reset();
    type(std::string(47, 'q'));
    EXPECT_EQ(store->typedLength(), 47);
    EXPECT_TRUE(type("a"));
    EXPECT_EQ(store->currentWord(), "a");
    EXPECT_EQ(words(), std::vector<std::string>{"abcd"});
}

TEST_F(StoreFixture, DeletedSuggestionsLeaveEveryVocabularyAndItsFile) {
    open("hello 5\r\nhelp 4\r\n");
    std::string list = folder.path("mine.txt");
    writeBytes(list, "hello 2\r\nhelix 1\r\n");
    EXPECT_TRUE(store->loadWordList(list));
    store->learnedVocabulary(kProgram); // not loaded yet: deletion does not load it
    type("hel");
    store->learnedVocabulary(kProgram)->addWord("hello", 3, nullptr);
    type("l");
    ASSERT_EQ(words()[0], "hello");
    store->deleteSuggestion(7, kProgram); // beyond the list: nothing
    EXPECT_EQ(store->typedLength(), 4);
    store->deleteSuggestion(0, kProgram);
    EXPECT_EQ(store->typedLength(), 0);
    type("hel");
    EXPECT_EQ(words(), (std::vector<std::string>{"help", "helix"}));
    store.reset();
    EXPECT_EQ(readBytes(basePath), "help 4\r\n");
    EXPECT_EQ(readBytes(list), "helix 1\r\n");
    EXPECT_EQ(readBytes(folder.path(std::string(kProgram) + ".vob")), "");
}

TEST_F(StoreFixture, ShutDownWritesEveryVocabularyExceptForgottenOnes) {
    writeBytes(folder.path("other.exe.vob"), "older 2\r\n");
    writeBytes(basePath, "base 1\r\n");
    // Learned files lie in the named folder whatever the current directory is.
    std::filesystem::create_directories(folder.path("elsewhere"));
    std::filesystem::current_path(folder.path("elsewhere"));
    store.reset(new WordStore(basePath, 25, 10, folder.path("")));
    std::string rest;
    type("bas");
    EXPECT_TRUE(store->completeSuggestion(1, rest, erase, kProgram, true));
    store->feedCharacter('o', "other.exe", false);
    store->reset();
    store->feedCharacter('a', "third.exe", false);
    store->learnedVocabulary("third.exe")->addWord("forgotten", 1, nullptr);
    store->forgetProgram("third.exe");
    EXPECT_EQ(store->learnedVocabulary("third.exe"), nullptr);
    store->forgetProgram("never.exe");
    store.reset();
    EXPECT_EQ(readBytes(basePath), "base 2\r\n");
    EXPECT_EQ(readBytes(folder.path("editor.exe.vob")), "base 1\r\n");
    EXPECT_EQ(readBytes(folder.path("other.exe.vob")), "older 2\r\n");
    EXPECT_FALSE(fileExists(folder.path("third.exe.vob")));
    EXPECT_TRUE(std::filesystem::is_empty(folder.path("elsewhere")));
}

// A program name comes from a block that any program of the user can write: one that could reach
// outside the learned folder is learned for the session and names no file.
TEST_F(StoreFixture, ProgramNamesThatCouldLeaveTheFolderNameNoFile) {
    std::filesystem::create_directories(folder.path("learned"));
    writeBytes(basePath, "base 1\r\n");
    store.reset(new WordStore(basePath, 25, 10, folder.path("learned/")));
    for (const char *name : {"../escaped", "..", "C:escaped", "sub\\escaped", "."}) {
        std::string rest;
        store->feedCharacter('b', name, false);
        EXPECT_TRUE(store->completeSuggestion(1, rest, erase, name, true)) << name;
        EXPECT_EQ(store->learnedVocabulary(name)->countOf("base"), 1) << name;
    }
    store.reset();
    EXPECT_TRUE(std::filesystem::is_empty(folder.path("learned")));
    EXPECT_FALSE(fileExists(folder.path("escaped.vob")));
    EXPECT_FALSE(fileExists(folder.path("..vob")));
}

// Keystrokes on the UI thread give up at once while another thread holds the store.
TEST_F(StoreFixture, KeystrokeOperationsGiveUpWhileAnotherThreadHoldsTheLock) {
    open("hello 5\r\n");
    type("he");
    std::atomic<int> stage{0};
    std::thread holder([&] {
        store->lock().wait();
        stage = 1;
        while (stage != 2)
            std::this_thread::yield();
        store->lock().release();
    });
    while (stage != 1)
        std::this_thread::yield();
    std::string rest = "unchanged";
    EXPECT_FALSE(store->feedCharacter('l', kProgram, true));
    EXPECT_FALSE(store->completeSuggestion(1, rest, erase, kProgram, true));
    EXPECT_EQ(rest, "unchanged");
    store->learnTypedWord(kProgram, true);
    store->deleteSuggestion(0, kProgram);
    store->reset();
    store->forgetProgram(kProgram);
    EXPECT_EQ(store->currentWord(), "he"); // nothing changed
    EXPECT_EQ(store->suggestions().size(), 1u);
    store->selectNext(); // takes no lock
    EXPECT_EQ(store->selectedIndex(), 0);
    stage = 2;
    holder.join();
    EXPECT_TRUE(store->feedCharacter('l', kProgram, true));
}

TEST_F(StoreFixture, WordListReplacementWritesTheOldListAndRefusesUnreadableOnes) {
    open("");
    std::string first = folder.path("first.txt");
    writeBytes(first, "apple\npear\nfig\n");
    EXPECT_TRUE(store->loadWordList(first));
    EXPECT_EQ(store->customWordList()->countOf("apple"), 1);
    EXPECT_EQ(store->customWordList()->countOf("fig"), -1);
    type("app");
    std::string rest;
    store->completeSuggestion(1, rest, erase, kProgram, true);

    std::string second = folder.path("second.txt");
    std::string tooLong = "grape\n" + std::string(81, 'g') + "\n";
    writeBytes(second, tooLong);
    EXPECT_FALSE(store->loadWordList(second));
    EXPECT_EQ(readBytes(first), "apple 2\r\npear 1\r\n"); // written back before the new one was read
    EXPECT_EQ(store->customWordList(), nullptr);
    EXPECT_FALSE(store->loadWordList(folder.path("missing.txt")));
    EXPECT_FALSE(store->loadWordList(""));
    store.reset();
    EXPECT_EQ(readBytes(second), tooLong);
    EXPECT_FALSE(fileExists(folder.path("missing.txt")));
}

TEST_F(StoreFixture, UnreadableVocabulariesAreNeverRewrittenAndReportedOnce) {
    std::string contents = "good 3\r\n" + std::string(81, 'b') + " 2\r\n";
    writeBytes(folder.path(std::string(kProgram) + ".vob"), contents);
    open(contents);
    std::vector<std::string> unsavable;
    EXPECT_TRUE(store->takeUnsavableFiles(unsavable));
    EXPECT_EQ(unsavable, std::vector<std::string>{basePath});
    type("goo");
    EXPECT_EQ(words(), std::vector<std::string>{"good"});
    EXPECT_TRUE(store->takeUnsavableFiles(unsavable));
    EXPECT_EQ(unsavable, std::vector<std::string>{std::string(kProgram) + ".vob"});
    // Forgotten and read again: still the same file, not told again.
    store->forgetProgram(kProgram);
    type("x");
    EXPECT_TRUE(store->takeUnsavableFiles(unsavable));
    EXPECT_TRUE(unsavable.empty());
    store.reset();
    EXPECT_EQ(readBytes(basePath), contents);
    EXPECT_EQ(readBytes(folder.path(std::string(kProgram) + ".vob")), contents);
}

namespace {

const char kOther[] = "other.exe";
// As typed, "Y" lists these by count; York is the least common.
const char kYWords[] = "Yemen 500\r\nYale 400\r\nYorkshire 300\r\nYork 100\r\nYukon 50\r\n";

// A store with kYWords and a model in which "new" is mostly followed by York, and by Yonder, a
// word no vocabulary holds.
struct ContextFixture : StoreFixture {
    void openWithModel() {
        open(kYWords);
        writeBytes(folder.path("english.pairs"),
                   pairModelBytes({{"new", "York", -0.3}, {"new", "Yonder", -0.1}, {"the", "Yale", -4.0}}));
        ASSERT_TRUE(store->loadPairModel(folder.path("english.pairs")));
    }
    // A word typed and ended with a space, as the key handler ends it.
    void finish(const std::string &word, const char *program = kProgram, bool learning = true) {
        for (char ch : word)
            store->feedCharacter(ch, program, learning);
        store->learnTypedWord(program, learning);
        store->reset();
    }
    std::vector<std::string> after(const std::string &previous, const std::string &typed,
                                   const char *program = kProgram, bool learning = true) {
        finish(previous, program, learning);
        for (char ch : typed)
            store->feedCharacter(ch, program, learning);
        std::vector<std::string> listed = words();
        store->reset();
        return listed;
    }
};

} // namespace

TEST_F(ContextFixture, TheWordBeforeRanksWhatFollowsItAndNothingElseChangesTheList) {
    openWithModel();
    const std::vector<std::string> byCount{"Yemen", "Yale", "Yorkshire", "York", "Yukon"};
    EXPECT_EQ(after("New", "Y"), (std::vector<std::string>{"York", "Yemen", "Yale", "Yorkshire", "Yukon"}));
    EXPECT_EQ(after("New", "Yo"), (std::vector<std::string>{"York", "Yorkshire"}));
    // Corrections too: after "New" York, else Yorkshire, the commoner.
    EXPECT_EQ(after("New", "Yrok"), (std::vector<std::string>{"York", "Yorkshire"}));
    EXPECT_EQ(after("zebra", "Yrok"), (std::vector<std::string>{"Yorkshire", "York"}));
    // Yonder, likelier still, is in no vocabulary: never offered.
    // With no word before, or one the model does not know, the order is by count.
    store->dropContext(kProgram);
    type("Y");
    EXPECT_EQ(words(), byCount);
    store->reset();
    EXPECT_EQ(after("zebra", "Y"), byCount);
    // A pair below the fall-back of a common word leaves that word its place.
    EXPECT_EQ(after("the", "Y"), byCount);

    // A word finished elsewhere (another line, another window) is no context for this one.
    finish("New");
    store->placeContext(kProgram, 1);
    store->placeContext(kProgram, 2);
    type("Y");
    EXPECT_EQ(words(), byCount);
    store->reset();
    // A deleted word is not offered again because a pair names it.
    finish("New");
    type("Y");
    store->selectNext();
    store->deleteSuggestion(store->selectedIndex(), kProgram);
    EXPECT_EQ(after("New", "Y"), (std::vector<std::string>{"Yemen", "Yale", "Yorkshire", "Yukon"}));
}

TEST_F(ContextFixture, APairTypedFiveTimesRanksFirstInItsProgramOnlyUntilTheProgramIsDropped) {
    openWithModel();
    // Yale, of four letters, is not learned as a word: only the pair puts it first.
    for (int i = 0; i < 5; ++i) {
        finish("New");
        finish("Yale");
    }
    EXPECT_EQ(after("New", "Y").front(), "Yale");
    EXPECT_EQ(after("New", "Y", kOther).front(), "York");
    // Without learning permission nothing is learned.
    for (int i = 0; i < 5; ++i) {
        finish("New", kOther, false);
        finish("Yale", kOther, false);
    }
    EXPECT_EQ(after("New", "Y", kOther, false).front(), "York");
    store.reset(); // shut-down writes the pairs beside the learned vocabulary
    // No pair ends in "New": words shorter than any the base vocabulary holds are not learned.
    EXPECT_EQ(readBytes(folder.path(std::string(kProgram) + ".pairs")), "new Yale 5\r\n");
    EXPECT_FALSE(fileExists(folder.path(std::string(kOther) + ".pairs")));

    store.reset(new WordStore(basePath, 25, 10)); // learned pairs rank even without a model
    EXPECT_EQ(after("New", "Y").front(), "Yale");
    // Delete forgets the word's pairs as well.
    finish("New");
    type("Y");
    store->selectNext();
    store->deleteSuggestion(store->selectedIndex(), kProgram);
    EXPECT_EQ(store->learnedPairs(kProgram)->followersOf("new"), nullptr);
    // Unticking the program drops its pairs unwritten; the settings then delete the file.
    finish("New");
    finish("Yorkshire");
    store->forgetProgram(kProgram);
    EXPECT_EQ(after("New", "Y").front(), "Yemen");
    store->forgetProgram(kProgram);
    store.reset();
    EXPECT_EQ(readBytes(folder.path(std::string(kProgram) + ".pairs")).find("Yorkshire"), std::string::npos);
}

TEST_F(ContextFixture, ADamagedPairFileIsReportedAndNeverWrittenOver) {
    open(kYWords);
    const std::string path = folder.path(std::string(kProgram) + ".pairs");
    for (const char *damaged : {"new Yukon\r\n", "new Yukon 5", "new Yukon 5\r\nnew Yale 2\r\n", "New Yukon 5\r\n",
                                "new Yukon 0\r\n", "new Yukon 2147483648\r\n", "new  Yukon 5\r\n",
                                "new Yukon 05\r\n"}) {
        SCOPED_TRACE(damaged);
        writeBytes(path, damaged);
        store.reset(new WordStore(basePath, 25, 10));
        finish("New");
        finish("Yukon");
        std::vector<std::string> unsavable;
        EXPECT_TRUE(store->takeUnsavableFiles(unsavable));
        EXPECT_EQ(unsavable, std::vector<std::string>{std::string(kProgram) + ".pairs"});
        store.reset();
        EXPECT_EQ(readBytes(path), damaged);
    }
    // What the program writes, it reads.
    LearnedPairs::Pairs pairs;
    EXPECT_TRUE(LearnedPairs::parse("new Yale 2\r\nnew Yukon 5\r\nthe \xE9t\xE9 1\r\n", pairs));
    EXPECT_EQ(LearnedPairs::format(pairs), "new Yale 2\r\nnew Yukon 5\r\nthe \xE9t\xE9 1\r\n");
}

#ifndef _WIN32
#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

// The pairs are written to a temporary file that then replaces the old one: a save killed half
// way leaves the old file whole. The temporary file is a pipe here, so the saving process is
// killed while it is certainly in the middle of writing.
TEST_F(ContextFixture, ASaveKilledHalfWayLeavesTheOldPairFileWhole) {
    const std::string path = folder.path("killed.exe.pairs");
    const std::string old = "new Yukon 5\r\n";
    writeBytes(path, old);
    ASSERT_EQ(mkfifo((path + ".tmp").c_str(), 0600), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        LearnedPairs pairs(path);
        for (int i = 0; i < 20000; ++i)
            pairs.add("word" + std::to_string(i), "follower"); // far more than a pipe holds
        pairs.save();
        _exit(0);
    }
    std::FILE *pipe = std::fopen((path + ".tmp").c_str(), "rb");
    ASSERT_NE(pipe, nullptr);
    char some[4096];
    ASSERT_EQ(std::fread(some, 1, sizeof some, pipe), sizeof some); // the save is under way
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    std::fclose(pipe);
    EXPECT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(readBytes(path), old);
    std::remove((path + ".tmp").c_str());
    {
        LearnedPairs pairs(path);
        EXPECT_FALSE(pairs.refusesWriteBack());
        pairs.add("new", "Yukon");
    }
    EXPECT_EQ(readBytes(path), "new Yukon 6\r\n");
}
#endif
