#include "launcher/command_catalogue.h"

#include "launcher/command_items.h"
#include "launcher/md5.h"

#include "launcher_test_support.h"
#include "support/scratch_folder.h"

#include <atomic>
#include <condition_variable>
#include <cstring>
#include <gtest/gtest.h>
#include <mutex>
#include <set>
#include <thread>

namespace {

using Items = std::vector<std::string>;

class CommandSearchTest : public ::testing::Test {
protected:
    CommandSearchTest() : catalogue_(25, fake_.platform(), folder_.path("wordlark.cmd")) {}

    void add(const std::string &path, int32_t weight = 1, int uses = 0) {
        catalogue_.addItem(path, "", weight, false);
        for (int i = 0; i < uses; ++i)
            catalogue_.noteUse(path, true);
    }
    Items searchFor(const std::string &query) {
        std::string text = query;
        catalogue_.search(text);
        return catalogue_.searchResults();
    }

    FakeLauncherPlatform fake_;
    ScratchFolder folder_;
    CommandCatalogue catalogue_;
};

// Holds the catalogue's lock on another thread, as the harvest does while it adds a source.
class HarvestHoldingLock {
public:
    explicit HarvestHoldingLock(ThreadMutex &lock) : thread_([this, &lock] {
        lock.wait();
        {
            std::unique_lock<std::mutex> guard(mutex_);
            held_ = true;
            changed_.notify_all();
            changed_.wait(guard, [this] { return letGo_; });
        }
        lock.release();
    }) {
        std::unique_lock<std::mutex> guard(mutex_);
        changed_.wait(guard, [this] { return held_; });
    }
    ~HarvestHoldingLock() { letGo(); }
    void letGo() {
        {
            std::lock_guard<std::mutex> guard(mutex_);
            letGo_ = true;
        }
        changed_.notify_all();
        if (thread_.joinable())
            thread_.join();
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool held_ = false;
    bool letGo_ = false;
    std::thread thread_;
};

TEST_F(CommandSearchTest, EmptyQueryFindsNothingButTheWebSearchRowsRemain) {
    add("C:\\Tools\\Notepad.exe", 3);
    EXPECT_TRUE(searchFor("notepad").size() == 1);
    std::string empty;
    EXPECT_FALSE(catalogue_.search(empty));
    EXPECT_TRUE(catalogue_.searchResults().empty());
    std::vector<std::string> rows, targets;
    EXPECT_TRUE(catalogue_.buildDisplayList(rows, targets));
    ASSERT_EQ(3u, rows.size());
    EXPECT_EQ("  Google Search", rows[0]);
    EXPECT_EQ(catalogue_.webSearchEntries()[2].urlPrefix, targets[2]);
}

TEST_F(CommandSearchTest, WordMatchesEveryItemWithAWordBeginningWithIt) {
    add("C:\\Windows\\Notepad.exe", 3);
    add("C:\\Docs\\Notes.txt", 1);
    add("C:\\Docs\\Another.txt", 1);
    add("C:\\Docs\\Knot.txt", 1);
    EXPECT_EQ((Items{"C:\\Docs\\Notes.txt", "C:\\Windows\\Notepad.exe"}), searchFor("NOT"));
    EXPECT_EQ((Items{"C:\\Windows\\Notepad.exe"}), searchFor("notepad"));
    EXPECT_TRUE(searchFor("notepadzz").empty()); // two slips away
    EXPECT_TRUE(searchFor("nop").empty());       // too short for a slip to be forgiven
}

TEST_F(CommandSearchTest, InitialsOfANameMatchBelowWordPrefixesOfTheSameUse) {
    add("C:\\Start\\Visual Studio Code.lnk", 3);
    add("C:\\Start\\Visual Basic Tools.lnk", 3);
    add("C:\\Start\\Virtual Sound Card.lnk", 3);
    add("C:\\Tools\\NotePad.exe", 3);
    catalogue_.addItem("Very Small Cat - pictures", "http://cats.example/", 2, false);
    EXPECT_EQ((Items{"C:\\Start\\Virtual Sound Card.lnk", "C:\\Start\\Visual Studio Code.lnk",
                     "http://cats.example/\t\tVery Small Cat - pictures"}),
              searchFor("vsc"));
    EXPECT_EQ((Items{"C:\\Start\\Visual Studio Code.lnk"}), searchFor("sc studio")); // from a later word on
    EXPECT_EQ((Items{"C:\\Tools\\NotePad.exe"}), searchFor("np"));                    // a capital starts a word
    EXPECT_TRUE(searchFor("vsd").empty());
    // The initials "vsc" are also a word prefix of this one: with the same use it comes first...
    add("C:\\Tools\\Vscan.exe", 3);
    EXPECT_EQ("C:\\Tools\\Vscan.exe", searchFor("vsc").front());
    // ...but use counts come before the kind of match.
    catalogue_.noteUse("C:\\Start\\Visual Studio Code.lnk", true);
    EXPECT_EQ((Items{"C:\\Start\\Visual Studio Code.lnk", "C:\\Tools\\Vscan.exe", "C:\\Start\\Virtual Sound Card.lnk",
                     "http://cats.example/\t\tVery Small Cat - pictures"}),
              searchFor("vsc"));
}

struct SlipCase {
    const char *typed;
    bool found;
};

TEST_F(CommandSearchTest, OneTypingSlipIsForgivenInLongerWordsBelowEveryExactMatch) {
    add("C:\\Start\\Firefox.lnk", 3, 5);
    const SlipCase cases[] = {
        {"firfox", true},   // a letter left out
        {"fiirefox", true}, // one too many
        {"firefix", true},  // one changed
        {"fierfox", true},  // neighbours swapped
        {"xirefox", true},  // even the first letter
        {"firf", true},     // the word begun, its last letter wrong
        {"frfx", false},    // two slips
        {"fix", false},     // three letters are too few to guess from
    };
    for (const SlipCase &c : cases)
        EXPECT_EQ(c.found, searchFor(c.typed) == Items{"C:\\Start\\Firefox.lnk"}) << c.typed;
    // Initials need no slip: their item comes first however often the other was launched.
    add("C:\\Start\\Fast Image Resizer Free.lnk", 3, 0);
    EXPECT_EQ((Items{"C:\\Start\\Fast Image Resizer Free.lnk", "C:\\Start\\Firefox.lnk"}), searchFor("firf"));
    // A word that begins a token is taken as typed: no slip is looked for.
    add("C:\\Start\\Firefix.lnk", 3, 0);
    EXPECT_EQ((Items{"C:\\Start\\Firefix.lnk"}), searchFor("firefix"));
}

TEST_F(CommandSearchTest, ALaunchPutsItsItemFirstForItsQueryAndLongerOnes) {
    add("C:\\Start\\Notebook Tool.lnk", 3, 4);
    add("C:\\Start\\Notepad Helper.lnk", 3, 0);
    ASSERT_EQ("C:\\Start\\Notebook Tool.lnk", searchFor("note").front());
    ASSERT_TRUE(catalogue_.launch(4, "Note")); // the second row
    EXPECT_EQ("C:\\Start\\Notepad Helper.lnk", fake_.opened.back().file);
    EXPECT_EQ("C:\\Start\\Notepad Helper.lnk", searchFor("note").front());
    EXPECT_EQ("C:\\Start\\Notepad Helper.lnk", searchFor("note h").front());
    EXPECT_EQ("C:\\Start\\Notebook Tool.lnk", searchFor("not").front()); // shorter: not learned
    EXPECT_EQ((Items{"C:\\Start\\Notebook Tool.lnk"}), searchFor("noteb"));
    // Another launch from the same query replaces the first.
    searchFor("note");
    ASSERT_TRUE(catalogue_.launch(4, "note"));
    EXPECT_EQ("C:\\Start\\Notebook Tool.lnk", searchFor("note").front());
    ASSERT_EQ(1u, catalogue_.queryMemory().entries().size());
}

TEST_F(CommandSearchTest, SearchLowersTheQueryBufferInPlace) {
    add("C:\\Windows\\Notepad.exe", 3);
    char buffer[260] = "NoTe PaD";
    EXPECT_FALSE(catalogue_.search(buffer)); // "pad" begins no word
    EXPECT_STREQ("note pad", buffer);
    EXPECT_TRUE(catalogue_.searchResults().empty());
}

TEST_F(CommandSearchTest, ResultsAreOrderedByUseCountThenBytes) {
    add("C:\\b\\Report.doc", 3, 0);
    add("C:\\a\\Report.doc", 3, 0);
    add("C:\\c\\Report.doc", 3, 2);
    add("C:\\d\\Report.doc", 3, 1);
    EXPECT_EQ((Items{"C:\\c\\Report.doc", "C:\\d\\Report.doc", "C:\\a\\Report.doc", "C:\\b\\Report.doc"}),
              searchFor("rep"));
}

TEST_F(CommandSearchTest, TitledItemsSharingATargetRankByItsCountWhenEverItAppears) {
    catalogue_.addItem("News Weather", "http://b.example/", 1, false);
    catalogue_.addItem("News Today", "http://a.example/", 1, false);
    catalogue_.addItem("News Archive", "http://a.example/", 1, false);
    EXPECT_EQ((Items{"http://a.example/\t\tNews Archive", "http://a.example/\t\tNews Today",
                     "http://b.example/\t\tNews Weather"}),
              searchFor("news"));
    // The first use of an address met before: every title of it moves up at once.
    catalogue_.noteUse("http://b.example/", true);
    EXPECT_EQ("http://b.example/\t\tNews Weather", searchFor("news").front());
    // A use noted before any item of the address exists counts for the items added later.
    catalogue_.noteUse("http://c.example/", true);
    catalogue_.noteUse("http://c.example/", true);
    catalogue_.addItem("News Later", "http://c.example/", 1, false);
    EXPECT_EQ((Items{"http://c.example/\t\tNews Later", "http://b.example/\t\tNews Weather",
                     "http://a.example/\t\tNews Archive", "http://a.example/\t\tNews Today"}),
              searchFor("news"));
}

TEST_F(CommandSearchTest, EveryWordMustMatchAndTheFirstWordsOrderStays) {
    add("C:\\Start\\Accessories\\Notepad.lnk", 3, 1);
    add("C:\\Start\\Accessories\\Calculator.lnk", 3, 5);
    add("C:\\Start\\Accessories\\Notes.txt", 1, 3);
    add("C:\\Docs\\Notes.txt", 1, 9);
    add("C:\\Accounts\\Note.doc", 3, 0);
    EXPECT_EQ((Items{"C:\\Start\\Accessories\\Notes.txt", "C:\\Start\\Accessories\\Notepad.lnk", "C:\\Accounts\\Note.doc"}),
              searchFor("acc note"));
    EXPECT_EQ(searchFor("acc note"), searchFor("note.acc"));
    std::string query = "acc zebra";
    EXPECT_FALSE(catalogue_.search(query));
    EXPECT_TRUE(catalogue_.searchResults().empty());
    query = "calc notes"; // both words match, but no item has both
    EXPECT_FALSE(catalogue_.search(query));
}

TEST_F(CommandSearchTest, LongPathsTitlesAndQueriesStayWhole) {
    const std::string longFolder = "C:\\" + std::string(300, 'f');
    const std::string longPath = longFolder + "\\" + std::string(280, 'n') + ".txt";
    // Longer than a block of the packed texts and tokens: it is stored apart and read back whole.
    const std::string longTitle = "title " + std::string(300000, 't');
    fake_.shortForms[longFolder] = "C:\\FFFFFF~1";
    add(longPath);
    catalogue_.addItem(longTitle, "http://long.example/" + std::string(500, 'p'), 2, false);
    EXPECT_EQ((Items{"C:\\FFFFFF~1\\" + std::string(280, 'n') + ".txt"}), searchFor(std::string(200, 'n')));
    searchFor("title");
    std::vector<std::string> rows, targets;
    catalogue_.buildDisplayList(rows, targets);
    ASSERT_EQ(4u, rows.size());
    EXPECT_EQ(longTitle.substr(0, 50) + "\t" + targets[3].substr(0, 55), rows[3]);
    EXPECT_EQ(longTitle, catalogue_.searchResults()[0].substr(catalogue_.searchResults()[0].find("\t\t") + 2));

    // The command window's buffer: 259 bytes and the terminating zero, lowered in place.
    char buffer[260];
    std::string typed = "TITLE " + std::string(253, 'T');
    std::memcpy(buffer, typed.c_str(), typed.size() + 1);
    ASSERT_EQ(259u, std::strlen(buffer));
    EXPECT_TRUE(catalogue_.search(buffer));
    EXPECT_EQ(1u, catalogue_.searchResults().size());
    EXPECT_EQ('t', buffer[258]);
    EXPECT_EQ('\0', buffer[259]);
}

TEST_F(CommandSearchTest, QueryOfSeparatorsOnlyHasNoWordsAndNoItems) {
    add("C:\\Tools\\Tool.exe", 3);
    std::string query = "-._";
    EXPECT_TRUE(catalogue_.search(query));
    EXPECT_TRUE(catalogue_.searchResults().empty());
}

TEST_F(CommandSearchTest, ProgramAndItsShortcutsGiveOneRowDocumentsAreKept) {
    add("C:\\Old\\Tool.exe", 3, 1);
    add("C:\\New\\Tool.exe", 3, 4);
    add("C:\\Start\\Tool.lnk", 3, 2);
    add("C:\\Docs\\Tool.txt", 1, 0);
    add("C:\\Docs\\Tool", 1, 0); // a folder
    EXPECT_EQ((Items{"C:\\New\\Tool.exe", "C:\\Docs\\Tool", "C:\\Docs\\Tool.txt"}), searchFor("tool"));
}

TEST_F(CommandSearchTest, ThirtyEqualMatchesGiveTheFirstTwentyFiveInByteOrder) {
    for (int i = 29; i >= 0; --i) {
        char name[32];
        snprintf(name, sizeof name, "C:\\Media\\clip%02d.avi", i);
        add(name);
    }
    add("C:\\Media\\clip.exe"); // launch key "clip"
    add("D:\\Other\\clip.lnk"); // same key: taken out
    Items results = searchFor("clip");
    ASSERT_EQ(25u, results.size());
    EXPECT_EQ("C:\\Media\\clip.exe", results[0]);
    EXPECT_EQ("C:\\Media\\clip00.avi", results[1]);
    EXPECT_EQ("C:\\Media\\clip23.avi", results[24]);
}

TEST_F(CommandSearchTest, OneLetterTakesTheFiftyHeaviestTokens) {
    // 60 tokens beginning with z, token zNN weighing NN+1; each in one item of its own.
    for (int i = 0; i < 60; ++i) {
        char name[32];
        snprintf(name, sizeof name, "C:\\x\\z%02d.txt", i);
        add(name, i + 1);
    }
    Items items;
    ASSERT_TRUE(catalogue_.matchToken("z", items));
    EXPECT_EQ(50u, items.size());
    EXPECT_EQ("C:\\x\\z10.txt", items.front()); // the ten lightest are left out
    EXPECT_EQ("C:\\x\\z59.txt", items.back());
}

TEST_F(CommandSearchTest, EveryItemOfTheChosenTokensIsMatchedHoweverMany) {
    for (int i = 0; i < 600; ++i) {
        catalogue_.addItem("alpha " + std::to_string(i), "http://a/" + std::to_string(i), 1, false);
        catalogue_.addItem("able " + std::to_string(i), "http://b/" + std::to_string(i), 2, false);
    }
    catalogue_.addItem("amber", "http://c/", 5000, false);
    Items items;
    ASSERT_TRUE(catalogue_.matchToken("a", items));
    EXPECT_EQ(1201u, items.size());
    // A second word keeps what it shares with a first word of many items, and a launch of the
    // last item added puts it first.
    EXPECT_EQ(Items{"http://c/\t\tamber"}, searchFor("a amb"));
    EXPECT_EQ(22u, searchFor("a 59").size()); // alpha and able 59, 590 to 599
    catalogue_.noteUse("http://c/", true);
    EXPECT_EQ("http://c/\t\tamber", searchFor("a").front());
}

TEST_F(CommandSearchTest, BusyLockFindsNothingWithoutWaiting) {
    add("C:\\Tools\\Tool.exe", 3);
    HarvestHoldingLock harvest(catalogue_.lock);
    Items items{"stale"};
    EXPECT_FALSE(catalogue_.matchToken("tool", items));
    EXPECT_TRUE(items.empty());
    std::string query = "tool";
    EXPECT_FALSE(catalogue_.search(query));
    harvest.letGo();
    EXPECT_EQ(Items{"C:\\Tools\\Tool.exe"}, searchFor("tool"));
}

TEST_F(CommandSearchTest, ResolveChoiceGivesSearchAddressesAndCountsResultRows) {
    add("C:\\Tools\\Tool.exe", 3);
    add("C:\\Tools\\Toolbox.exe", 3, 1);
    ASSERT_EQ(2u, searchFor("tool").size());
    std::string target;
    const std::string prefix = catalogue_.webSearchEntries()[1].urlPrefix;
    ASSERT_TRUE(catalogue_.resolveChoice(1, "Two Words", target));
    EXPECT_EQ(prefix + "Two+Words", target);
    ASSERT_TRUE(catalogue_.resolveChoice(1, "", target));
    EXPECT_EQ(prefix, target);
    EXPECT_EQ(1u, catalogue_.useCountTable().size()); // web searches are not counted

    ASSERT_TRUE(catalogue_.resolveChoice(4, "tool", target));
    EXPECT_EQ("C:\\Tools\\Tool.exe", target);
    EXPECT_EQ(1, catalogue_.useCount("C:\\Tools\\Tool.exe"));
    ASSERT_TRUE(catalogue_.resolveChoice(3, "tool", target));
    EXPECT_EQ("C:\\Tools\\Toolbox.exe", target);
    EXPECT_EQ(2, catalogue_.useCount("C:\\Tools\\Toolbox.exe"));

    EXPECT_FALSE(catalogue_.resolveChoice(-1, "tool", target));
    EXPECT_FALSE(catalogue_.resolveChoice(5, "tool", target));
    EXPECT_FALSE(catalogue_.resolveChoice(INT32_MAX, "tool", target));
    EXPECT_FALSE(catalogue_.resolveChoice(INT32_MIN, "tool", target));
}

TEST_F(CommandSearchTest, TitledResultOpensItsTargetAndCountsIt) {
    catalogue_.addItem("Daily News", "http://news.example/", 2, false);
    ASSERT_EQ(1u, searchFor("news").size());
    ASSERT_TRUE(catalogue_.launch(3, "news"));
    ASSERT_EQ(1u, fake_.opened.size());
    EXPECT_EQ("http://news.example/", fake_.opened[0].file);
    EXPECT_EQ("", fake_.opened[0].verb);
    EXPECT_EQ("", fake_.opened[0].parameters);
    EXPECT_EQ(1, catalogue_.useCount("http://news.example/\t\tDaily News"));
}

TEST_F(CommandSearchTest, TypedAddressOpensAsTypedWithoutCountingTheRow) {
    add("C:\\Tools\\Tool.exe", 3);
    searchFor("tool");
    ASSERT_TRUE(catalogue_.launch(3, "HTTPS://Example.org/Path?a=1&b=2"));
    ASSERT_TRUE(catalogue_.launch(99, "http://x.y/"));
    ASSERT_EQ(2u, fake_.opened.size());
    EXPECT_EQ("HTTPS://Example.org/Path?a=1&b=2", fake_.opened[0].file);
    EXPECT_EQ("http://x.y/", fake_.opened[1].file);
    EXPECT_TRUE(catalogue_.useCountTable().empty());

    // Only the two schemes: anything else is searched for.
    ASSERT_TRUE(catalogue_.launch(0, "www.example.org"));
    EXPECT_EQ(catalogue_.webSearchEntries()[0].urlPrefix + "www.example.org", fake_.opened[2].file);
    EXPECT_FALSE(catalogue_.launch(7, "tool"));
    EXPECT_EQ(3u, fake_.opened.size());
}

TEST_F(CommandSearchTest, WebSearchLaunchEncodesTheQuery) {
    ASSERT_TRUE(catalogue_.launch(0, "c# & c++"));
    EXPECT_EQ(catalogue_.webSearchEntries()[0].urlPrefix + "c%23+%26+c%2B%2B", fake_.opened.at(0).file);
    // Search engines read escapes as UTF-8: the ANSI letter is converted before it is escaped.
    ASSERT_TRUE(catalogue_.launch(1, "caf\xe9 cr\xe8me"));
    EXPECT_EQ(catalogue_.webSearchEntries()[1].urlPrefix + "caf%C3%A9+cr%C3%A8me", fake_.opened.at(1).file);
}

TEST_F(CommandSearchTest, LaunchWhileTheHarvestHoldsTheLockIsCountedLater) {
    add("C:\\Tools\\Tool.exe", 3);
    searchFor("tool");
    {
        HarvestHoldingLock harvest(catalogue_.lock);
        ASSERT_TRUE(catalogue_.launch(3, "tool")); // opens at once, does not wait
        EXPECT_EQ(1u, fake_.opened.size());
        harvest.letGo();
    }
    EXPECT_EQ(0, catalogue_.useCount("C:\\Tools\\Tool.exe"));
    searchFor("tool"); // the next search enters it
    EXPECT_EQ(1, catalogue_.useCount("C:\\Tools\\Tool.exe"));
}

TEST(CommandSearchPersistenceTest, CountsReadAtStartOrderItemsAddedLater) {
    ScratchFolder folder;
    const std::string path = folder.path("wordlark.cmd");
    {
        FakeLauncherPlatform fake;
        CommandCatalogue first(25, fake.platform(), path);
        first.noteUse("C:\\b\\Plan.doc", true);
        first.noteUse("C:\\b\\Plan.doc", true);
        first.noteUse("http://plan.example/", true);
    }
    FakeLauncherPlatform fake;
    CommandCatalogue catalogue(25, fake.platform(), path);
    catalogue.addItem("C:\\a\\Plan.doc", "", 3, false);
    catalogue.addItem("C:\\b\\Plan.doc", "", 3, false);
    catalogue.addItem("The plan", "http://plan.example/", 2, false);
    std::string query = "plan";
    ASSERT_TRUE(catalogue.search(query));
    EXPECT_EQ((Items{"C:\\b\\Plan.doc", "http://plan.example/\t\tThe plan", "C:\\a\\Plan.doc"}),
              catalogue.searchResults());
}

// The search ranks and narrows lazily; it must give exactly what the word-by-word definition
// gives: the first word's matchToken list, kept where every other word's matchToken list has
// the item, one per launch key, at most 25. The catalogue mixes files, titled items and visited
// pages, use counts above 0 and, from the file, below it; the queries match densely and sparsely,
// by word prefixes, initials ("ab" for Alpha Beta) and slips. The other words of a query match by
// word prefixes alone, so that the first word's order is the order of the whole query.
TEST(CommandSearchPersistenceTest, SearchAgreesWithTheWordByWordDefinition) {
    ScratchFolder folder;
    const char *words[] = {"Alpha", "Alps", "Beta", "Bet", "Gamma", "Game", "Delta", "Deal", "Tool", "Toy", "Tag"};
    const char *exts[] = {".exe", ".lnk", ".txt", ".doc"};
    uint32_t seed = 12345;
    auto next = [&seed](uint32_t bound) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 8) % bound;
    };
    std::vector<std::string> paths;
    for (int i = 0; i < 3000; ++i)
        paths.push_back(std::string("C:\\") + words[next(11)] + "\\" + words[next(11)] + " " + words[next(11)] +
                        std::to_string(next(3)) + exts[next(4)]);
    std::string counts;
    for (int i = 0; i < 3000; i += 13)
        counts += md5Hex(paths[i]) + "\t-" + std::to_string(1 + i % 3) + "\r\n";
    for (int i = 0; i < 3000; i += 45)
        counts += md5Hex("https://site" + std::to_string(i % 7) + ".example/" + std::to_string(i)) + "\t-1\r\n";
    writeBytes(folder.path("wordlark.cmd"), counts);

    FakeLauncherPlatform fake;
    CommandCatalogue catalogue(25, fake.platform(), folder.path("wordlark.cmd"));
    std::vector<TitledAddress> pages;
    for (int i = 0; i < 3000; ++i) {
        catalogue.addItem(paths[i], "", catalogue.typeWeight(paths[i]), next(50) == 0);
        for (uint32_t uses = next(40) == 0 ? next(20) : 0; uses > 0; --uses)
            catalogue.noteUse(paths[i], true);
        if (i % 10 == 0)
            catalogue.addItem(std::string(words[next(11)]) + " news " + std::to_string(i),
                              "http://news.example/" + std::to_string(i % 40), 2, false);
        if (i % 5 == 0)
            pages.push_back({"https://site" + std::to_string(i % 7) + ".example/" + std::to_string(i),
                             std::string(words[next(11)]) + " page " + words[next(11)]});
    }
    pages.push_back({"http://news.example/3", "A bookmark already"});
    catalogue.addVisitedPages(pages);
    for (int i = 0; i < 600; i += 50)
        catalogue.noteUse(pages[size_t(i)].address, next(2) == 0);

    const char *queries[] = {"a",      "t",       "al",     "ab",      "ga",    "be",      "bet",  "too",
                             "alpah",  "gmma",    "site",   "news",    "page",  "alpha0",  "gam del",
                             "a b",    "to to",   "t d g",  "bet page", "news del", "gam alpah", "al site",
                             "alps0 deal", "beta1 gamma tool", "game2 del", "toy1 toy", "ta", "page tag",
                             "site5 tag", "site5 alpha", "site5 toy"};
    auto agree = [&catalogue](const char *typed) {
        std::string lowered = typed;
        std::vector<std::string> queryWords = splitWords(lowered, 1);
        Items expected, wordItems;
        ASSERT_TRUE(catalogue.matchToken(queryWords[0], expected)) << typed;
        for (size_t w = 1; w < queryWords.size(); ++w) {
            catalogue.matchToken(queryWords[w], wordItems);
            const std::set<std::string> other(wordItems.begin(), wordItems.end());
            Items kept;
            for (const std::string &item : expected)
                if (other.count(item))
                    kept.push_back(item);
            expected = kept;
        }
        Items unique;
        std::set<std::string> keys;
        for (const std::string &item : expected)
            if (unique.size() < 25 && keys.insert(CommandCatalogue::launchKey(item)).second)
                unique.push_back(item);
        std::string query = typed;
        EXPECT_EQ(!expected.empty(), catalogue.search(query)) << typed;
        EXPECT_EQ(unique, catalogue.searchResults()) << typed;
    };
    for (const char *typed : queries)
        agree(typed);
    // A few items more, merged into the orders of thousands: first, last and between in bytes.
    catalogue.addItem("A:\\Alpha\\Tag Alps.exe", "", 3, false);
    catalogue.addItem("C:\\Game\\Gamma Beta1 between.doc", "", 3, true);
    catalogue.addItem("Z:\\Toy\\Tool Alpha.txt", "", 1, false);
    catalogue.addVisitedPages({{"https://late.example/", "Alpha page late"}});
    for (const char *typed : {"a", "ta", "al", "ga", "tag", "page", "gam be"})
        agree(typed);
}

TEST(CommandSearchPersistenceTest, LaunchPendingAtShutDownIsStillSaved) {
    ScratchFolder folder;
    const std::string path = folder.path("wordlark.cmd");
    FakeLauncherPlatform fake;
    {
        CommandCatalogue catalogue(25, fake.platform(), path);
        catalogue.addItem("C:\\Tools\\Tool.exe", "", 3, false);
        std::string query = "tool";
        catalogue.search(query);
        HarvestHoldingLock harvest(catalogue.lock);
        catalogue.launch(3, "tool");
        harvest.letGo();
    }
    FakeLauncherPlatform again;
    CommandCatalogue reloaded(25, again.platform(), path);
    EXPECT_EQ(1, reloaded.useCount("C:\\Tools\\Tool.exe"));
    ASSERT_EQ(1u, reloaded.queryMemory().entries().count("tool"));
}

// The query memory outlives the process: learned in one run, it orders the next one's items,
// which the harvest adds after the memory was read.
TEST(CommandSearchPersistenceTest, LaunchFromAQueryIsRememberedAcrossARestart) {
    ScratchFolder folder;
    const std::string path = folder.path("wordlark.cmd");
    auto harvest = [](CommandCatalogue &catalogue) {
        catalogue.addItem("C:\\Start\\Notebook Tool.lnk", "", 3, true);
        catalogue.addItem("C:\\Start\\Notepad Helper.lnk", "", 3, true);
    };
    {
        FakeLauncherPlatform fake;
        CommandCatalogue first(25, fake.platform(), path);
        harvest(first);
        for (int i = 0; i < 4; ++i)
            first.noteUse("C:\\Start\\Notebook Tool.lnk", true);
        std::string query = "note";
        first.search(query);
        ASSERT_EQ("C:\\Start\\Notepad Helper.lnk", first.searchResults().at(1));
        ASSERT_TRUE(first.launch(4, "note"));
    }
    FakeLauncherPlatform fake;
    CommandCatalogue second(25, fake.platform(), path);
    harvest(second);
    std::string query = "note";
    second.search(query);
    EXPECT_EQ("C:\\Start\\Notepad Helper.lnk", second.searchResults().front());
    query = "noteb";
    second.search(query);
    EXPECT_EQ("C:\\Start\\Notebook Tool.lnk", second.searchResults().front());
}

// A query memory file that is not in its form is reported and kept: what it holds is not lost by
// the next save, and the use counts are saved as ever.
TEST(CommandSearchPersistenceTest, DamagedQueryMemoryIsReportedAndNotOverwritten) {
    ScratchFolder folder;
    const std::string path = folder.path("wordlark.cmd");
    const std::string memoryPath = folder.path("wordlark.cmq");
    const std::string damaged = "wordlark query memory 1\r\n1700000000\tnot a key\tnote\r\n";
    writeBytes(memoryPath, damaged);
    {
        FakeLauncherPlatform fake;
        testing::internal::CaptureStderr();
        CommandCatalogue catalogue(25, fake.platform(), path);
        EXPECT_NE(std::string::npos, testing::internal::GetCapturedStderr().find("wordlark.cmq"));
        EXPECT_TRUE(catalogue.queryMemoryDamaged());
        catalogue.addItem("C:\\Tools\\Tool.exe", "", 3, false);
        catalogue.addItem("C:\\Tools\\Toolbox.exe", "", 3, false);
        for (int i = 0; i < 3; ++i)
            catalogue.noteUse("C:\\Tools\\Tool.exe", true);
        std::string query = "tool";
        catalogue.search(query);
        ASSERT_TRUE(catalogue.launch(4, "tool"));
        catalogue.search(query); // still learned for this run
        EXPECT_EQ("C:\\Tools\\Toolbox.exe", catalogue.searchResults().front());
    }
    EXPECT_EQ(damaged, readBytes(memoryPath));
    FakeLauncherPlatform fake;
    CommandCatalogue reloaded(25, fake.platform(), path);
    EXPECT_EQ(3, reloaded.useCount("C:\\Tools\\Tool.exe"));
    EXPECT_EQ(1, reloaded.useCount("C:\\Tools\\Toolbox.exe"));
}

TEST_F(CommandSearchTest, DisplayListFollowsTheResults) {
    add("C:\\Program Files\\Tool\\Tool.exe", 3, 2);
    catalogue_.addItem("Tool documentation", "http://tool.example/docs", 2, false);
    searchFor("tool");
    std::vector<std::string> rows, targets;
    ASSERT_TRUE(catalogue_.buildDisplayList(rows, targets));
    ASSERT_EQ(5u, rows.size());
    EXPECT_EQ("Tool.exe\t\\Program Files\\Tool\\", rows[3]);
    EXPECT_EQ("C:\\Program Files\\Tool\\Tool.exe", targets[3]);
    EXPECT_EQ("Tool documentation\thttp://tool.example/docs", rows[4]);
    EXPECT_EQ("http://tool.example/docs", targets[4]);
}

TEST_F(CommandSearchTest, SumShowsItsResultFirstAndEnterCopiesIt) {
    std::vector<std::string> copied;
    LauncherPlatform platform = fake_.platform();
    platform.copyText = [&copied](const std::string &text) {
        copied.push_back(text);
        return true;
    };
    CommandCatalogue catalogue(25, platform, folder_.path("sum.cmd"));
    catalogue.addItem("C:\\Docs\\2024 budget.xls", "", 3, false);
    std::string query = "2+3*4";
    catalogue.search(query);
    std::vector<std::string> rows, targets;
    ASSERT_TRUE(catalogue.buildDisplayList(rows, targets));
    ASSERT_EQ(4u, rows.size());
    EXPECT_EQ("= 14\tEnter copies the result", rows[0]);
    EXPECT_EQ("  Google Search", rows[1]);
    EXPECT_EQ(CommandRowKind::Calculation, catalogue.rowKind(0));
    EXPECT_EQ(CommandRowKind::WebSearch, catalogue.rowKind(1));
    EXPECT_EQ(4, catalogue.firstResultRow());
    ASSERT_TRUE(catalogue.launch(0, "2+3*4"));
    EXPECT_EQ((Items{"14"}), copied);
    EXPECT_TRUE(fake_.opened.empty());
    // Below the result the web-search rows search for the query as before.
    ASSERT_TRUE(catalogue.launch(1, "2+3*4"));
    ASSERT_EQ(1u, fake_.opened.size());
    EXPECT_EQ(0u, fake_.opened[0].file.find("http://"));
    // An error is shown but copies nothing; a query that is no sum has no such row.
    query = "1/0";
    catalogue.search(query);
    catalogue.buildDisplayList(rows, targets);
    EXPECT_EQ("Cannot divide by zero", rows[0]);
    EXPECT_FALSE(catalogue.launch(0, "1/0"));
    EXPECT_EQ(1u, copied.size());
    query = "2024";
    catalogue.search(query);
    EXPECT_EQ(CommandRowKind::WebSearch, catalogue.rowKind(0));
    EXPECT_EQ(3, catalogue.firstResultRow());
}

TEST_F(CommandSearchTest, OpenWindowsWhoseTitleMatchesComeBeforeTheOtherItems) {
    std::vector<uint64_t> shown;
    LauncherPlatform platform = fake_.platform();
    platform.showWindow = [&shown](uint64_t handle) {
        shown.push_back(handle);
        return true;
    };
    CommandCatalogue catalogue(25, platform, folder_.path("windows.cmd"));
    catalogue.addItem("C:\\Windows\\notepad.exe", "", 3, false);
    catalogue.addItem("C:\\Tools\\Notebook.exe", "", 3, false);
    catalogue.setOpenWindows({{0x101, "Untitled - Notepad", "C:\\Windows\\notepad.exe"},
                              {0x202, "Inbox - Mail", "C:\\Mail\\mail.exe"},
                              {0x303, "notes.txt - Notepad", "C:\\Windows\\notepad.exe"}});
    std::string query = "notep";
    catalogue.search(query);
    std::vector<std::string> rows, targets;
    catalogue.buildDisplayList(rows, targets);
    ASSERT_EQ(6u, rows.size());
    EXPECT_EQ("Untitled - Notepad\tnotepad.exe", rows[3]);
    EXPECT_EQ("C:\\Windows\\notepad.exe", targets[3]);
    EXPECT_EQ("notes.txt - Notepad\tnotepad.exe", rows[4]);
    EXPECT_EQ("notepad.exe\t\\Windows\\", rows[5]);
    ASSERT_TRUE(catalogue.launch(4, "notep"));
    EXPECT_EQ((std::vector<uint64_t>{0x303}), shown);
    EXPECT_TRUE(fake_.opened.empty()); // a window is brought forward, nothing is started
    EXPECT_EQ(0, catalogue.useCount("C:\\Windows\\notepad.exe"));
    // Every word must match: the title's words, its initials or its program's name.
    query = "mail inb";
    catalogue.search(query);
    ASSERT_EQ(1u, catalogue.windowResults().size());
    EXPECT_EQ(0x202u, catalogue.windowResults()[0].handle);
    query = "un";
    catalogue.search(query);
    ASSERT_EQ(1u, catalogue.windowResults().size());
    query = "mail notepad";
    catalogue.search(query);
    EXPECT_TRUE(catalogue.windowResults().empty());
    // The item launched from a query stays above the windows.
    query = "note";
    catalogue.search(query);
    ASSERT_EQ(CommandRowKind::Item, catalogue.rowKind(5));
    catalogue.buildDisplayList(rows, targets);
    const int32_t notebookRow = rows[5].compare(0, 8, "Notebook") == 0 ? 5 : 6;
    ASSERT_TRUE(catalogue.launch(notebookRow, "note"));
    catalogue.search(query);
    catalogue.buildDisplayList(rows, targets);
    EXPECT_EQ(0u, rows[3].find("Notebook.exe"));
    EXPECT_EQ(CommandRowKind::Window, catalogue.rowKind(4));
    // A window that matches nothing, or no window at all, leaves the rows as they were.
    catalogue.setOpenWindows({});
    catalogue.search(query);
    EXPECT_EQ(CommandRowKind::Item, catalogue.rowKind(4));
}

TEST_F(CommandSearchTest, SettingsPagesAreFoundByTheirWordsAndOpenedWithTheirArguments) {
    catalogue_.addTitledItem("Bluetooth & devices", "ms-settings:bluetooth", "pair connect headphones", 2);
    catalogue_.addTitledItem("Devices and Printers", "control.exe /name Microsoft.DevicesAndPrinters",
                             "printers control panel", 2);
    EXPECT_EQ((Items{"ms-settings:bluetooth\t\tBluetooth & devices"}), searchFor("headph"));
    EXPECT_EQ((Items{"control.exe /name Microsoft.DevicesAndPrinters\t\tDevices and Printers"}),
              searchFor("printers"));
    // The keywords find the page but are not shown.
    std::vector<std::string> rows, targets;
    searchFor("pair");
    catalogue_.buildDisplayList(rows, targets);
    EXPECT_EQ("Bluetooth & devices\tms-settings:bluetooth", rows[3]);
    ASSERT_TRUE(catalogue_.launch(3, "pair"));
    searchFor("printers");
    ASSERT_TRUE(catalogue_.launch(3, "printers"));
    ASSERT_EQ(2u, fake_.opened.size());
    EXPECT_EQ("ms-settings:bluetooth", fake_.opened[0].file);
    EXPECT_EQ("", fake_.opened[0].parameters);
    EXPECT_EQ("control.exe", fake_.opened[1].file);
    EXPECT_EQ("/name Microsoft.DevicesAndPrinters", fake_.opened[1].parameters);
    EXPECT_EQ(1, catalogue_.useCount("ms-settings:bluetooth\t\tBluetooth & devices"));
}

TEST_F(CommandSearchTest, VisitedPagesRankBelowOtherItemsAndNeverCrowdTheirWordsOut) {
    add("C:\\Start\\Gopher.exe", 1);
    catalogue_.addItem("Go tutorial", "https://go.example/tour", 2, false);
    std::vector<TitledAddress> pages = {{"https://news.example/a", "Gossip of the day"},
                                        {"https://go.example/tour", "Go tour (a bookmark already)"},
                                        {"https://www.gitlab.example/x", "Good readme"}};
    // Far more words than programs have, each on many pages.
    for (int i = 0; i < 300; ++i)
        pages.push_back({"https://site" + std::to_string(i) + ".example/", "go" + std::to_string(i) + " gone goal"});
    catalogue_.addVisitedPages(pages);
    const Items found = searchFor("go");
    ASSERT_EQ(25u, found.size());
    EXPECT_EQ("C:\\Start\\Gopher.exe", found[0]);
    EXPECT_EQ("https://go.example/tour\t\tGo tutorial", found[1]);
    EXPECT_EQ("https://news.example/a\t\tGossip of the day", found[2]); // the harvest's order
    EXPECT_EQ("https://www.gitlab.example/x\t\tGood readme", found[3]);
    // Found by their host too, but not by their initials.
    EXPECT_EQ((Items{"https://www.gitlab.example/x\t\tGood readme"}), searchFor("gitlab"));
    EXPECT_TRUE(searchFor("gotd").empty());
    // A launched page rises among the pages, not above the other items.
    searchFor("good");
    ASSERT_TRUE(catalogue_.launch(3, "good"));
    EXPECT_EQ("https://www.gitlab.example/x\t\tGood readme", searchFor("go")[2]);
    EXPECT_EQ(-1, catalogue_.tokenWeight("gossip"));
}

} // namespace
