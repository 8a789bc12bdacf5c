#include "launcher/command_catalogue.h"

#include "launcher/md5.h"
#include "launcher_test_support.h"
#include "support/scratch_folder.h"
#include "vocabulary/word_trie.h"

#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

namespace {

class CommandCatalogueTest : public ::testing::Test {
protected:
    CommandCatalogueTest() : catalogue_(25, fake_.platform(), folder_.path("wordlark.cmd")) {}

    int32_t tokenCount(const char *token) { return catalogue_.tokenWeight(token); }
    std::vector<std::string> tokenItems(const char *token) { return catalogue_.tokenItems(token); }

    FakeLauncherPlatform fake_;
    ScratchFolder folder_;
    CommandCatalogue catalogue_;
};

TEST_F(CommandCatalogueTest, FileTypeTableHasItsEightyRows) {
    const auto &types = catalogue_.fileTypeTable();
    EXPECT_EQ(80u, types.size());
    int perWeight[4] = {};
    for (const auto &row : types)
        ++perWeight[row.second];
    EXPECT_EQ(7, perWeight[3]);
    EXPECT_EQ(15, perWeight[2]);
    EXPECT_EQ(58, perWeight[1]);
}

TEST_F(CommandCatalogueTest, TypeWeightFollowsTheLastFullStopOfTheWholePath) {
    EXPECT_EQ(3, catalogue_.typeWeight("C:\\Tools\\Tool.EXE"));
    EXPECT_EQ(2, catalogue_.typeWeight("song.Mp3"));
    EXPECT_EQ(1, catalogue_.typeWeight("C:\\src\\main.c"));
    EXPECT_EQ(0, catalogue_.typeWeight("C:\\windows\\system32\\kernel32.dll"));
    EXPECT_EQ(0, catalogue_.typeWeight("C:\\My.Folder\\README"));
    EXPECT_EQ(0, catalogue_.typeWeight("C:\\noextension"));
    EXPECT_EQ(0, catalogue_.typeWeight("C:\\trailing."));
    EXPECT_EQ(0, catalogue_.typeWeight(""));
}

TEST_F(CommandCatalogueTest, PathItemIsIndexedByEveryLongWordWithShortFolder) {
    fake_.shortForms["C:\\Program Files\\Tool"] = "C:\\PROGRA~1\\Tool";
    catalogue_.addItem("C:\\Program Files\\Tool\\Tool.exe", "", 3, false);
    const std::string item = "C:\\PROGRA~1\\Tool\\Tool.exe";
    EXPECT_EQ(3, tokenCount("program"));
    EXPECT_EQ(3, tokenCount("files"));
    EXPECT_EQ(3, tokenCount("exe"));
    EXPECT_EQ(6, tokenCount("tool"));
    EXPECT_EQ(-1, tokenCount("c"));
    EXPECT_EQ(-1, tokenCount("progra~1"));
    EXPECT_EQ(ItemList{item}, tokenItems("tool"));
    EXPECT_EQ(ItemList{item}, tokenItems("program"));
    EXPECT_TRUE(catalogue_.useCountTable().empty());
}

TEST_F(CommandCatalogueTest, PathWithoutShortFormOrBackslashStaysAsGiven) {
    catalogue_.addItem("D:\\Missing Folder\\Notes.txt", "", 1, false);
    catalogue_.addItem("notepad.exe", "", 3, false);
    EXPECT_EQ(ItemList{"D:\\Missing Folder\\Notes.txt"}, tokenItems("notes"));
    EXPECT_EQ(ItemList{"notepad.exe"}, tokenItems("notepad"));
}

TEST_F(CommandCatalogueTest, TitledItemIsFoundByItsTitleOnly) {
    catalogue_.addItem("Weather Forecast - Today", "http://weather.example.org/today", 2, false);
    const std::string item = "http://weather.example.org/today\t\tWeather Forecast - Today";
    EXPECT_EQ(ItemList{item}, tokenItems("weather"));
    EXPECT_EQ(2, tokenCount("forecast"));
    EXPECT_EQ(-1, tokenCount("http"));
    EXPECT_EQ(-1, tokenCount("example"));
}

TEST_F(CommandCatalogueTest, SameItemFromTwoSourcesIsListedOnceUnderEachOfItsWordsButWeighsTwice) {
    catalogue_.addItem("C:\\Start\\Editor.lnk", "", 3, false);
    catalogue_.addItem("C:\\Start\\Editor.lnk", "", 3, false);
    EXPECT_EQ(ItemList{"C:\\Start\\Editor.lnk"}, tokenItems("editor"));
    EXPECT_EQ(6, tokenCount("editor"));

    // The folder walk finds a program by its long path, a registry value names it by its short one.
    fake_.shortForms["C:\\Program Files\\Tool"] = "C:\\PROGRA~1\\Tool";
    fake_.shortForms["C:\\PROGRA~1\\Tool"] = "C:\\PROGRA~1\\Tool";
    fake_.shortForms["C:\\PROGRA~1\\Other"] = "C:\\PROGRA~1\\Other";
    catalogue_.addItem("C:\\Program Files\\Tool\\Tool.exe", "", 3, false);
    catalogue_.addItem("C:\\PROGRA~1\\Other\\Other.exe", "", 3, false);
    catalogue_.addItem("C:\\PROGRA~1\\Tool\\Tool.exe", "", 3, false);
    const std::string tool = "C:\\PROGRA~1\\Tool\\Tool.exe";
    EXPECT_EQ((ItemList{tool, "C:\\PROGRA~1\\Other\\Other.exe"}), tokenItems("progra~1"));
    EXPECT_EQ(6, tokenCount("progra~1"));
    EXPECT_EQ(ItemList{tool}, tokenItems("tool"));
    EXPECT_EQ(ItemList{tool}, tokenItems("program"));
    EXPECT_EQ(12, tokenCount("tool"));
}

TEST_F(CommandCatalogueTest, CountUseStartsAtOneAndLaunchesIncrement) {
    const std::string target = "C:\\Start\\Editor.lnk";
    catalogue_.addItem(target, "", 3, true);
    EXPECT_EQ(1, catalogue_.useCount(target));
    EXPECT_EQ(1, catalogue_.useCountTable().at(md5Hex(target)));
    catalogue_.noteUse(target, true);
    catalogue_.noteUse(target, true);
    EXPECT_EQ(3, catalogue_.useCount(target));
    catalogue_.addItem(target, "", 3, true); // a second source does not reset or raise it
    EXPECT_EQ(3, catalogue_.useCount(target));
    catalogue_.noteUse("", true);
    EXPECT_EQ(1u, catalogue_.useCountTable().size());
    EXPECT_EQ(0, catalogue_.useCount("C:\\never\\used.exe"));
}

TEST_F(CommandCatalogueTest, UseCountOfTitledItemBelongsToItsTarget) {
    catalogue_.addItem("Title", "http://a.example/", 2, true);
    EXPECT_EQ(1, catalogue_.useCount("http://a.example/\t\tTitle"));
    EXPECT_EQ(1, catalogue_.useCount("http://a.example/\t\tAnother title"));
    EXPECT_EQ(1, catalogue_.useCountTable().count(md5Hex("http://a.example/")));
}

class FolderWalkTest : public CommandCatalogueTest {
protected:
    FolderWalkTest() {
        fake_.listings["C:\\Menu\\*"] = {{"Zed.lnk", false},  {"Games", true},   {"readme", false},
                                         {"lib.dll", false}, {"Office", true},  {"Alpha.exe", false}};
        fake_.listings["C:\\Menu\\Games\\*"] = {{"Chess.lnk", false}, {"Deep", true}};
        fake_.listings["C:\\Menu\\Games\\Deep\\*"] = {{"Maze.exe", false}};
        fake_.listings["C:\\Menu\\Office\\*"] = {{"Letter.doc", false}};
    }
};

TEST_F(FolderWalkTest, FilesAndSubfolderItemsComeBeforeSubfoldersAreEntered) {
    catalogue_.addFolder("C:\\Menu", -1, -1, false);
    EXPECT_EQ((std::vector<std::string>{"C:\\Menu\\*", "C:\\Menu\\Games\\*", "C:\\Menu\\Games\\Deep\\*",
                                        "C:\\Menu\\Office\\*"}),
              fake_.listed);
    // The index keeps items in the order they arrived.
    EXPECT_EQ((ItemList{"C:\\Menu\\Zed.lnk", "C:\\Menu\\Games", "C:\\Menu\\Office", "C:\\Menu\\Alpha.exe",
                        "C:\\Menu\\Games\\Chess.lnk", "C:\\Menu\\Games\\Deep", "C:\\Menu\\Games\\Deep\\Maze.exe",
                        "C:\\Menu\\Office\\Letter.doc"}),
              tokenItems("menu"));
    EXPECT_EQ(1 + 3 + 1 + 3, tokenCount("games")); // folder, Chess.lnk, Deep, Maze.exe
    EXPECT_EQ(1 + 3, tokenCount("office"));
    EXPECT_EQ(-1, tokenCount("readme")); // no extension
    EXPECT_EQ(-1, tokenCount("lib"));    // no row for dll
}

TEST_F(FolderWalkTest, TrailingBackslashIsNotDoubled) {
    catalogue_.addFolder("C:\\Menu\\", 1, -1, false);
    EXPECT_EQ((std::vector<std::string>{"C:\\Menu\\*"}), fake_.listed);
    EXPECT_EQ(ItemList{"C:\\Menu\\Zed.lnk"}, tokenItems("zed"));
}

TEST_F(FolderWalkTest, DepthOneListsSubfoldersWithoutEnteringThemAndDepthZeroNothing) {
    catalogue_.addFolder("C:\\Menu", 0, -1, true);
    EXPECT_TRUE(fake_.listed.empty());
    catalogue_.addFolder("C:\\Menu", 1, -1, false);
    EXPECT_EQ((std::vector<std::string>{"C:\\Menu\\*"}), fake_.listed);
    EXPECT_EQ(ItemList{"C:\\Menu\\Games"}, tokenItems("games"));
    EXPECT_EQ(1, tokenCount("games"));
    EXPECT_EQ(-1, tokenCount("chess"));
    catalogue_.addFolder("", 5, -1, false); // an empty folder adds nothing
    EXPECT_EQ(1u, fake_.listed.size());
}

TEST_F(FolderWalkTest, SubfolderCapEntersOnlyTheFirstFoundButListsAll) {
    catalogue_.addFolder("C:\\Menu", 6, 1, false);
    EXPECT_EQ((std::vector<std::string>{"C:\\Menu\\*", "C:\\Menu\\Games\\*", "C:\\Menu\\Games\\Deep\\*"}),
              fake_.listed);
    EXPECT_EQ(ItemList{"C:\\Menu\\Office"}, tokenItems("office"));
    EXPECT_EQ(-1, tokenCount("letter"));
}

TEST_F(FolderWalkTest, CountUseReachesOnlyTheTopFoldersFiles) {
    catalogue_.addFolder("C:\\Menu", 3, -1, true);
    EXPECT_EQ(1, catalogue_.useCount("C:\\Menu\\Zed.lnk"));
    EXPECT_EQ(1, catalogue_.useCount("C:\\Menu\\Alpha.exe"));
    EXPECT_EQ(0, catalogue_.useCount("C:\\Menu\\Games")); // folders are never counted
    EXPECT_EQ(0, catalogue_.useCount("C:\\Menu\\Games\\Chess.lnk"));
    EXPECT_EQ(0, catalogue_.useCount("C:\\Menu\\Office\\Letter.doc"));
    EXPECT_EQ(2u, catalogue_.useCountTable().size());
}

// The ANSI file functions give a '?' for every character outside the code page: such a name opens
// nothing, its short name does.
TEST_F(CommandCatalogueTest, NamesThatLostCharactersAreReachedByTheirShortNames) {
    fake_.listings["C:\\Docs\\*"] = {{"R?sum? 2024.doc", false, "RSUM20~1.DOC"},
                                      {"F?tos", true, "FTOS~1"},
                                      {"???.txt", false, "7F3A~1.TXT"},
                                      {"plain name.txt", false, "PLAINN~1.TXT"}};
    fake_.listings["C:\\Docs\\FTOS~1\\*"] = {{"Beach.jpg", false, ""}};
    catalogue_.addFolder("C:\\Docs", 2, -1, false);

    const std::string resume = "C:\\Docs\\RSUM20~1.DOC\t\tR?sum? 2024.doc";
    EXPECT_EQ(ItemList{resume}, tokenItems("sum"));
    EXPECT_EQ(ItemList{resume}, tokenItems("2024"));
    EXPECT_EQ(ItemList{"C:\\Docs\\FTOS~1\t\tF?tos"}, tokenItems("tos"));
    EXPECT_EQ(ItemList{"C:\\Docs\\FTOS~1\\Beach.jpg"}, tokenItems("beach")); // the walk goes on inside
    EXPECT_EQ(ItemList{"C:\\Docs\\7F3A~1.TXT"}, tokenItems("7f3a~1"));     // nothing left to read
    EXPECT_EQ(ItemList{"C:\\Docs\\plain name.txt"}, tokenItems("plain"));
    EXPECT_EQ(-1, tokenCount("r?sum?"));

    // The row shows the long name; choosing it opens the short one.
    std::string query = "2024";
    catalogue_.search(query);
    std::vector<std::string> rows, targets;
    catalogue_.buildDisplayList(rows, targets);
    ASSERT_EQ(4u, rows.size());
    EXPECT_EQ("R?sum? 2024.doc\tC:\\Docs\\RSUM20~1.DOC", rows[3]);
    ASSERT_TRUE(catalogue_.launch(3, "2024"));
    EXPECT_EQ("C:\\Docs\\RSUM20~1.DOC", fake_.opened.at(0).file);
}

TEST_F(FolderWalkTest, UnlistableFolderAddsNothing) {
    catalogue_.addFolder("C:\\Nowhere", 6, 1000, true);
    EXPECT_EQ(1u, fake_.listed.size());
    EXPECT_TRUE(catalogue_.useCountTable().empty());
    EXPECT_EQ(-1, tokenCount("nowhere"));
}

TEST(CommandCataloguePersistenceTest, UseCountsAreLoadedAtConstructionAndSavedAtDestruction) {
    ScratchFolder folder;
    const std::string path = folder.path("wordlark.cmd");
    {
        std::ofstream file(path, std::ios::binary);
        file << md5Hex("C:\\b.exe") << "\t4\r\n"
             << "ignored line\r\n"
             << md5Hex("C:\\a.exe") << "\t2\n";
    }
    FakeLauncherPlatform fake;
    {
        CommandCatalogue catalogue(25, fake.platform(), path);
        EXPECT_EQ(4, catalogue.useCount("C:\\b.exe"));
        EXPECT_EQ(2, catalogue.useCount("C:\\a.exe"));
        catalogue.noteUse("C:\\c.exe", true);
        catalogue.noteUse("C:\\a.exe", true);
    }
    std::ifstream file(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    UseCountMap expected{{md5Hex("C:\\a.exe"), 3}, {md5Hex("C:\\b.exe"), 4}, {md5Hex("C:\\c.exe"), 1}};
    EXPECT_EQ(formatUseCounts(expected), bytes);
    EXPECT_EQ(3u * 36u, bytes.size()); // 32 digits, tab, one digit, CR LF
}

TEST(CommandCataloguePersistenceTest, CountStopsAtTheTopInsteadOfWrapping) {
    ScratchFolder folder;
    const std::string path = folder.path("wordlark.cmd");
    {
        std::ofstream file(path, std::ios::binary);
        file << md5Hex("x") << "\t2147483647\r\n";
    }
    FakeLauncherPlatform fake;
    CommandCatalogue catalogue(25, fake.platform(), path);
    catalogue.noteUse("x", true);
    EXPECT_EQ(INT32_MAX, catalogue.useCount("x"));
}

} // namespace
