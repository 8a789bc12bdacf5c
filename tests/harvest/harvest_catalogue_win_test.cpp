#include "harvest/harvest_catalogue_win.h"

#include "common/file_contents.h"
#include "launcher/command_catalogue.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

const char kTestKey[] = "Software\\WordlarkHarvestTest";

std::string tempFolder(const std::string &name) {
    char buffer[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, buffer);
    std::string folder = std::string(buffer) + name;
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

void writeFile(const std::string &path, const std::string &content = "x") {
    std::ofstream out(path, std::ios::binary);
    out << content;
}

void removeTree(const std::string &folder) {
    // SHFileOperation would do, but a two-level test tree is quicker to remove by hand.
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::string name = data.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string path = folder + "\\" + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                removeTree(path);
            else
                DeleteFileA(path.c_str());
        } while (FindNextFileA(find, &data));
        FindClose(find);
    }
    RemoveDirectoryA(folder.c_str());
}

// A catalogue with the real services of this build and a use-count file of its own.
class HarvestTest : public testing::Test {
protected:
    HarvestTest() : catalogue(25, defaultLauncherPlatform(), tempFolder("wl_harvest_test_counts") + "\\counts.cmd") {}

    std::vector<std::string> find(std::string query) {
        catalogue.search(query);
        return catalogue.searchResults();
    }

    CommandCatalogue catalogue;
};

class RegistryWalkTest : public HarvestTest {
protected:
    void SetUp() override {
        RegDeleteTreeA(HKEY_CURRENT_USER, kTestKey);
        addValue("", "HTTP://Capital.Example/page");
        addValue("", "C:\\Tools\\harvesttool.exe");
        addValue("", "C:\\Tools\\harvestlib.dll");
        addValue("", "harvestbare.exe");
        addValue("Nested\\Deeper", "https://nested.example/");
        addValue("CLASSES", "https://hidden.example/");
        addValue("Nested\\cLaSsEs\\Deep", "C:\\Deep\\hiddendeep.exe");
        // A class name longer than MAX_PATH, as some installers leave.
        addValue("LongClass\\Inner", "C:\\Tools\\innertool.exe", std::string(300, 'c'));
        addValue("LongClass", "C:\\Tools\\classtool.exe");
    }
    void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, kTestKey); }

    void addValue(const std::string &subkey, const std::string &name, std::string keyClass = std::string()) {
        std::string path = subkey.empty() ? kTestKey : std::string(kTestKey) + "\\" + subkey;
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, keyClass.empty() ? nullptr : &keyClass[0], 0,
                                  KEY_WRITE, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        // The data is never read; give it something that would be catalogued if it were.
        const char data[] = "C:\\data\\fromdata.exe";
        RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE *>(data), sizeof(data));
        RegCloseKey(key);
    }
};

TEST_F(RegistryWalkTest, AddressesAndCataloguedPathsByNameOnlyAndNoClassesSubtree) {
    RegistryKey key;
    ASSERT_TRUE(key.openForReading(HKEY_CURRENT_USER, kTestKey));
    harvestRegistryKey(catalogue, std::move(key));

    EXPECT_EQ(find("capital"), std::vector<std::string>{"HTTP://Capital.Example/page"});
    EXPECT_EQ(find("nested"), std::vector<std::string>{"https://nested.example/"});
    EXPECT_EQ(find("harvesttool"), std::vector<std::string>{"C:\\Tools\\harvesttool.exe"});
    EXPECT_TRUE(find("harvestlib").empty());  // its extension has no weight
    EXPECT_TRUE(find("harvestbare").empty()); // no backslash: not a path
    EXPECT_TRUE(find("hidden").empty());      // below a classes key, in any capitals
    EXPECT_TRUE(find("hiddendeep").empty());
    EXPECT_TRUE(find("fromdata").empty());    // value data is never read
    // A key's class name is not read, so however long it is, the key is walked.
    EXPECT_EQ(find("classtool").size(), 1u);
    EXPECT_EQ(find("innertool").size(), 1u);
}

TEST_F(HarvestTest, SearchPathReadsTheTopOfEveryFolderAndSkipsEmptyPieces) {
    std::string first = tempFolder("wl_path_first");
    std::string second = tempFolder("wl_path_second");
    CreateDirectoryA((first + "\\pathsub").c_str(), nullptr);
    writeFile(first + "\\pathalpha.exe");
    writeFile(first + "\\pathalpha.dll");
    writeFile(first + "\\pathsub\\pathbeta.exe");
    writeFile(second + "\\pathgamma.txt");

    const char *old = std::getenv("PATH");
    std::string saved = old ? old : "";
    _putenv((";" + first + ";;" + second + ";").insert(0, "PATH=").c_str());
    harvestSearchPath(catalogue);
    _putenv(("PATH=" + saved).c_str());

    std::vector<std::string> alpha = find("pathalpha");
    ASSERT_EQ(alpha.size(), 1u);
    EXPECT_NE(alpha[0].find("\\pathalpha.exe"), std::string::npos);
    EXPECT_EQ(find("pathgamma").size(), 1u);
    // The subfolder is an item of its own but is not read.
    EXPECT_EQ(find("pathsub").size(), 1u);
    EXPECT_TRUE(find("pathbeta").empty());

    removeTree(first);
    removeTree(second);
}

void makeFile(const std::string &path, const std::string &content) {
    SHCreateDirectoryExA(nullptr, path.substr(0, path.find_last_of('\\')).c_str(), nullptr);
    writeFile(path, content);
}

// A jsonlz4 file whose block holds the text as literals only (the texts here are longer than 15
// bytes and shorter than 270).
std::string literalMozLz4(const std::string &text) {
    std::string file("mozLz40\0", 8);
    for (int shift = 0; shift < 32; shift += 8)
        file += static_cast<char>(text.size() >> shift & 0xff);
    return file + '\xf0' + static_cast<char>(text.size() - 15) + text;
}

// Firefox's exported file and its newest backup under a roaming folder of the test's own, and an
// Edge profile under a local one whose "Bookmarks" the browser holds open, as it does while it
// runs.
TEST_F(HarvestTest, BrowserBookmarksAreTitledItemsFoundByTheirTitles) {
    std::string roaming = tempFolder("wl_roaming");
    std::string local = tempFolder("wl_local");
    std::string firefox = roaming + "\\Mozilla\\Firefox\\";
    makeFile(firefox + "profiles.ini", "[Profile0]\r\nIsRelative=1\r\nPath=Profiles/t.default\r\n");
    makeFile(firefox + "Profiles\\t.default\\bookmarks.html",
             "<DL><p>\r\n"
             "<DT><A HREF=\"http://bookmarked.example/\" ADD_DATE=\"1\">Harvest Marks</A>\r\n"
             "<DT><A HREF=\"http://x/\">Broken\r\n"
             "line</A>\r\n");
    makeFile(firefox + "Profiles\\t.default\\bookmarkbackups\\bookmarks-2024-05-01_1_abc.jsonlz4",
             literalMozLz4(R"({"type":"text/x-moz-place-container","root":"placesRoot","children":[)"
                           R"({"title":"Harvest Backup Caf\u00e9","type":"text/x-moz-place",)"
                           R"("uri":"https://backup.example/"}]})"));
    std::string edgeBookmarks = local + "\\Microsoft\\Edge\\User Data\\Default\\Bookmarks";
    makeFile(edgeBookmarks, R"({"roots":{"bookmark_bar":{"children":[{"name":"Harvest Edge","type":"url",)"
                            R"("url":"https://edge.example/"}],"type":"folder"}},"version":1})");
    HANDLE held = CreateFileA(edgeBookmarks.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    std::string bytes;
    EXPECT_FALSE(readFileContents(edgeBookmarks, bytes)); // an open without every share mode fails

    harvestBrowserBookmarksUnder(catalogue, roaming, local);
    CloseHandle(held);

    EXPECT_EQ(find("harvest marks"), std::vector<std::string>{"http://bookmarked.example/\t\tHarvest Marks"});
    EXPECT_EQ(find("harvest edge"), std::vector<std::string>{"https://edge.example/\t\tHarvest Edge"});
    std::vector<std::string> backup = find("harvest backup");
    ASSERT_EQ(backup.size(), 1u);
    // The UTF-8 title in the ANSI code page; this prefix's is Windows-1252.
    if (GetACP() == 1252) {
        EXPECT_EQ(backup[0], "https://backup.example/\t\tHarvest Backup Caf\xe9");
    }
    // Bookmarks are found by their titles, not by their addresses.
    EXPECT_TRUE(find("bookmarked").empty());
    EXPECT_TRUE(find("broken").empty());
    removeTree(roaming);
    removeTree(local);
}

bool lockFreeForOtherThreads(CommandCatalogue &catalogue) {
    bool free = false;
    std::thread other([&] {
        free = catalogue.lock.tryWait();
        if (free)
            catalogue.lock.release();
    });
    other.join();
    return free;
}

// Searches on the user-interface thread only try the lock: every step must give it back. (The
// whole harvest is not run here: under Wine the desktop and documents folders are the Unix home
// folder, read six levels deep.)
TEST_F(HarvestTest, EveryStepGivesTheLockBack) {
    harvestSpecialFolder(catalogue, CSIDL_FAVORITES, 6, 1000, true);
    EXPECT_TRUE(lockFreeForOtherThreads(catalogue));
    harvestSpecialFolder(catalogue, 0x7fff, 6, 1000, true); // no such folder
    EXPECT_TRUE(lockFreeForOtherThreads(catalogue));
    harvestSearchPath(catalogue);
    EXPECT_TRUE(lockFreeForOtherThreads(catalogue));
    harvestBrowserBookmarks(catalogue);
    EXPECT_TRUE(lockFreeForOtherThreads(catalogue));
    harvestRegistry(catalogue);
    EXPECT_TRUE(lockFreeForOtherThreads(catalogue));
    // Every prefix has the Windows folder on its PATH, which holds programs.
    EXPECT_FALSE(find("exe").empty());
}

} // namespace
