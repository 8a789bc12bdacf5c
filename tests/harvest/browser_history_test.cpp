#include "harvest/browser_history.h"

#include "support/scratch_folder.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

namespace fs = std::filesystem;

const int64_t kNow = 1750000000;     // the harvest's time, seconds since 1970
const int64_t kDay = 24 * 60 * 60;
const int64_t k1601 = 11644473600;   // seconds from 1601 to 1970, Chromium's origin

// The harvest joins Windows paths; here they name the test's folders.
std::string native(std::string path) {
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

std::string fileBytes(const std::string &path) {
    std::ifstream in(native(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A browser's database, created by the test and kept open as the running browser keeps it.
class BrowserDatabase {
public:
    BrowserDatabase(const std::string &path, const char *schema, bool writeAheadLog) {
        fs::create_directories(fs::path(native(path)).parent_path());
        EXPECT_EQ(SQLITE_OK, sqlite3_open(native(path).c_str(), &db_));
        if (writeAheadLog) // nothing checkpointed into the database: the pages are in the log alone
            exec("PRAGMA journal_mode=WAL; PRAGMA wal_autocheckpoint=0;");
        exec(schema);
    }
    ~BrowserDatabase() { sqlite3_close(db_); }
    void exec(const std::string &sql) {
        char *error = nullptr;
        EXPECT_EQ(SQLITE_OK, sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &error)) << (error ? error : sql);
        sqlite3_free(error);
    }

private:
    sqlite3 *db_ = nullptr;
};

const char kChromiumSchema[] = "CREATE TABLE urls(id INTEGER PRIMARY KEY, url LONGVARCHAR, title LONGVARCHAR, "
                               "visit_count INTEGER DEFAULT 0 NOT NULL, typed_count INTEGER DEFAULT 0 NOT NULL, "
                               "last_visit_time INTEGER NOT NULL, hidden INTEGER DEFAULT 0 NOT NULL);";
const char kFirefoxSchema[] = "CREATE TABLE moz_places(id INTEGER PRIMARY KEY, url LONGVARCHAR, title LONGVARCHAR, "
                              "rev_host LONGVARCHAR, visit_count INTEGER DEFAULT 0, hidden INTEGER DEFAULT 0 NOT NULL, "
                              "typed INTEGER DEFAULT 0 NOT NULL, frecency INTEGER DEFAULT -1 NOT NULL, "
                              "last_visit_date INTEGER, guid TEXT);";

std::string chromiumPage(const std::string &url, const std::string &title, int visits, int64_t daysAgo,
                         int hidden = 0) {
    return "INSERT INTO urls(url, title, visit_count, last_visit_time, hidden) VALUES('" + url + "', '" + title +
           "', " + std::to_string(visits) + ", " + std::to_string((kNow - daysAgo * kDay + k1601) * 1000000) + ", " +
           std::to_string(hidden) + ");";
}

std::string firefoxPage(const std::string &url, const std::string &title, int visits, int64_t daysAgo) {
    return "INSERT INTO moz_places(url, title, visit_count, last_visit_date) VALUES('" + url + "', " +
           (title.empty() ? std::string("NULL") : "'" + title + "'") + ", " + std::to_string(visits) + ", " +
           std::to_string((kNow - daysAgo * kDay) * 1000000) + ");";
}

class BrowserHistoryTest : public ::testing::Test {
protected:
    BrowserHistoryTest()
        : roaming_(folder_.path("Roaming")), local_(folder_.path("Local")),
          firefox_(roaming_ + "\\Mozilla\\Firefox\\"), edge_(local_ + "\\Microsoft\\Edge\\User Data") {}

    HistoryFileAccess access() {
        HistoryFileAccess access;
        access.readFile = [](const std::string &path, std::string &bytes) {
            if (!fs::is_regular_file(native(path)))
                return false;
            bytes = fileBytes(path);
            return true;
        };
        access.listDirectory = [](const std::string &pattern, std::vector<DirectoryEntry> &entries) {
            std::error_code error;
            const fs::path folder = native(pattern.substr(0, pattern.size() - 2));
            entries.clear();
            for (const auto &entry : fs::directory_iterator(folder, error))
                entries.push_back({entry.path().filename().string(), entry.is_directory()});
            return !error;
        };
        access.copyFile = [this](const std::string &from, const std::string &to) {
            if (!fs::exists(native(from)))
                return HistoryFileAccess::Copy::Missing;
            if (from == locked_)
                return HistoryFileAccess::Copy::Failed; // as a file its browser opened without sharing
            // Through the C library, which shares the file with its writer as a browser lets
            // readers share it; std::filesystem's copy asks for more on Windows.
            std::ofstream(to, std::ios::binary | std::ios::trunc) << fileBytes(from);
            return HistoryFileAccess::Copy::Done;
        };
        access.removeFile = [](const std::string &path) { fs::remove(path); };
        access.copyPath = folder_.path("copy");
        access.titleToAnsi = [](const std::string &utf8) { return "ansi:" + utf8; };
        access.note = [this](const std::string &text) { notes_.push_back(text); };
        return access;
    }
    void firefoxProfiles(const std::string &paths) {
        fs::create_directories(native(firefox_));
        std::ofstream(native(firefox_ + "profiles.ini"), std::ios::binary) << "[General]\r\nStartWithLastProfile=1\r\n" << paths;
    }

    ScratchFolder folder_;
    std::string roaming_, local_, firefox_, edge_;
    std::vector<std::string> notes_;
    std::string locked_;
};

TEST_F(BrowserHistoryTest, PagesComeFromCopiesOfTheDatabasesAndTheirLogsWhileTheBrowsersHoldThem) {
    firefoxProfiles("[Profile0]\r\nPath=Profiles/a.default\r\n");
    const std::string places = firefox_ + "Profiles/a.default/places.sqlite";
    BrowserDatabase firefox(places, kFirefoxSchema, true);
    firefox.exec(firefoxPage("https://docs.example/guide", "Guide", 3, 1) +
                 firefoxPage("https://old.example/", "Old favourite", 40, 200) +
                 firefoxPage("https://shared.example/", "", 2, 2) + firefoxPage("place:sort=8", "A query", 9, 1) +
                 firefoxPage("javascript:alert(1)", "Script", 9, 1));
    // The browser is in the middle of writing: its lock is held while the harvest reads.
    firefox.exec("BEGIN IMMEDIATE; " + firefoxPage("https://unsaved.example/", "Not committed", 99, 0));
    const std::string history = edge_ + "\\Default\\History";
    BrowserDatabase edge(history, kChromiumSchema, false);
    edge.exec(chromiumPage("https://shared.example/", "Shared page", 3, 10) +
              chromiumPage("https://hidden.example/", "Hidden", 50, 1, 1) +
              chromiumPage("https://news.example/", "News\ttoday", 5, 20));
    const std::string placesBefore = fileBytes(places), logBefore = fileBytes(places + "-wal");
    ASSERT_FALSE(logBefore.empty());

    const std::vector<VisitedPage> pages = gatherBrowserHistory(roaming_, local_, access(), kNow);

    // Visits weighed by how lately: 3 x 100, 40 x 10, 2 + 3 visits at 2 days x 100, 5 x 50.
    ASSERT_EQ(4u, pages.size());
    EXPECT_EQ("https://shared.example/", pages[0].url);
    EXPECT_EQ(5, pages[0].visits); // met in both browsers: one page, its visits added up
    EXPECT_EQ(kNow - 2 * kDay, pages[0].lastVisit);
    EXPECT_EQ("ansi:Shared page", pages[0].title); // Firefox had none
    EXPECT_EQ("https://old.example/", pages[1].url);
    EXPECT_EQ("https://docs.example/guide", pages[2].url);
    EXPECT_EQ("ansi:Guide", pages[2].title);
    EXPECT_EQ("ansi:News today", pages[3].title);
    EXPECT_TRUE(notes_.empty()) << notes_.front();
    // The browsers' own files were only read, and every copy is gone again.
    EXPECT_EQ(placesBefore, fileBytes(places));
    EXPECT_EQ(logBefore, fileBytes(places + "-wal"));
    for (const char *suffix : {"", "-wal", "-journal", "-shm"})
        EXPECT_FALSE(fs::exists(folder_.path(std::string("copy") + suffix))) << suffix;
}

TEST_F(BrowserHistoryTest, DamagedLockedAndMissingDatabasesAreSkippedWithANote) {
    firefoxProfiles("[Profile0]\r\nPath=Profiles/garbage\r\n[Profile1]\r\nPath=Profiles/gone\r\n"
                    "[Profile2]\r\nPath=Profiles/cut\r\n[Profile3]\r\nPath=Profiles/good\r\n");
    fs::create_directories(native(firefox_ + "Profiles/garbage"));
    std::ofstream(native(firefox_ + "Profiles/garbage/places.sqlite")) << std::string(5000, 'x');
    {
        BrowserDatabase cut(firefox_ + "Profiles/cut/places.sqlite", kFirefoxSchema, false);
        for (int i = 0; i < 300; ++i)
            cut.exec(firefoxPage("https://cut.example/" + std::to_string(i), std::string(200, 'c'), 1, 1));
    }
    const std::string cutPath = native(firefox_ + "Profiles/cut/places.sqlite");
    fs::resize_file(cutPath, fs::file_size(cutPath) / 2);
    BrowserDatabase good(firefox_ + "Profiles/good/places.sqlite", kFirefoxSchema, false);
    good.exec(firefoxPage("https://good.example/", "Good", 1, 1));
    // A browser that opened its file without sharing, and another that was never installed fully.
    locked_ = edge_ + "\\Profile 1\\History";
    BrowserDatabase locked(locked_, kChromiumSchema, false);
    fs::create_directories(native(edge_ + "\\Profile 2"));

    const std::vector<VisitedPage> pages = gatherBrowserHistory(roaming_, local_, access(), kNow);

    ASSERT_EQ(1u, pages.size());
    EXPECT_EQ("https://good.example/", pages[0].url);
    ASSERT_EQ(3u, notes_.size());
    EXPECT_NE(std::string::npos, notes_[0].find("Profiles/garbage/places.sqlite is skipped")) << notes_[0];
    EXPECT_NE(std::string::npos, notes_[1].find("Profiles/cut/places.sqlite is skipped")) << notes_[1];
    EXPECT_NE(std::string::npos, notes_[2].find("could not be read")) << notes_[2];
}

TEST_F(BrowserHistoryTest, AProfileGivesItsMostVisitedPagesOnly) {
    const std::string path = folder_.path("History");
    BrowserDatabase edge(path, kChromiumSchema, false);
    edge.exec(chromiumPage("https://a.example/", "A", 1, 1) + chromiumPage("https://b.example/", "B", 7, 300) +
              chromiumPage("https://c.example/", "C", 7, 2) + chromiumPage("https://d.example/", "D", 3, 1));
    std::vector<VisitedPage> pages;
    std::string problem;
    ASSERT_TRUE(readHistoryDatabase(path, HistoryFormat::Chromium, 3, pages, problem)) << problem;
    ASSERT_EQ(3u, pages.size());
    EXPECT_EQ("https://c.example/", pages[0].url); // as many visits, the later first
    EXPECT_EQ("https://b.example/", pages[1].url);
    EXPECT_EQ("https://d.example/", pages[2].url);
    EXPECT_EQ(kNow - 300 * kDay, pages[1].lastVisit);
}

} // namespace
