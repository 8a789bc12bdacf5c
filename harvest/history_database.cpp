#include "harvest/history_database.h"

#include <sqlite3.h>

namespace {

const size_t kMaxAddressBytes = 2048;
const size_t kMaxTitleBytes = 300;
// Chromium counts time from 1601; this many seconds lie between then and 1970.
const int64_t kSeconds1601To1970 = 11644473600;
const int64_t kMicroseconds = 1000000;

const char kChromiumQuery[] = "SELECT url, title, visit_count, last_visit_time FROM urls "
                              "WHERE hidden = 0 AND visit_count > 0 AND (url LIKE 'http://%' OR "
                              "url LIKE 'https://%' OR url LIKE 'file://%') "
                              "ORDER BY visit_count DESC, last_visit_time DESC LIMIT ?";
const char kFirefoxQuery[] = "SELECT url, title, visit_count, last_visit_date FROM moz_places "
                             "WHERE hidden = 0 AND visit_count > 0 AND (url LIKE 'http://%' OR "
                             "url LIKE 'https://%' OR url LIKE 'file://%') "
                             "ORDER BY visit_count DESC, last_visit_date DESC LIMIT ?";

// A connection closed on every path.
class Database {
public:
    ~Database() { sqlite3_close(db_); }
    sqlite3 **out() { return &db_; }
    sqlite3 *get() const { return db_; }

private:
    sqlite3 *db_ = nullptr;
};

class Statement {
public:
    ~Statement() { sqlite3_finalize(statement_); }
    sqlite3_stmt **out() { return &statement_; }
    sqlite3_stmt *get() const { return statement_; }

private:
    sqlite3_stmt *statement_ = nullptr;
};

std::string columnText(sqlite3_stmt *statement, int column) {
    const unsigned char *text = sqlite3_column_text(statement, column);
    if (!text)
        return std::string();
    return std::string(reinterpret_cast<const char *>(text), size_t(sqlite3_column_bytes(statement, column)));
}

bool plainAddress(const std::string &url) {
    if (url.empty() || url.size() > kMaxAddressBytes)
        return false;
    for (unsigned char ch : url)
        if (ch <= ' ' || ch == 0x7f)
            return false;
    return true;
}

std::string cleanTitle(std::string title) {
    if (title.size() > kMaxTitleBytes) {
        size_t cut = kMaxTitleBytes;
        while (cut > 0 && (static_cast<unsigned char>(title[cut]) & 0xC0) == 0x80)
            --cut; // never inside a character
        title.resize(cut);
    }
    for (char &ch : title)
        if (static_cast<unsigned char>(ch) < ' ' || ch == 0x7f)
            ch = ' ';
    return title;
}

int64_t unixSeconds(int64_t stamp, HistoryFormat format) {
    if (stamp <= 0)
        return 0;
    const int64_t seconds = stamp / kMicroseconds;
    if (format == HistoryFormat::Firefox)
        return seconds;
    return seconds > kSeconds1601To1970 ? seconds - kSeconds1601To1970 : 0;
}

bool fail(sqlite3 *db, const char *what, std::string &problem) {
    problem = std::string(what) + ": " + (db ? sqlite3_errmsg(db) : "out of memory");
    return false;
}

} // namespace

bool readHistoryDatabase(const std::string &path, HistoryFormat format, size_t limit, std::vector<VisitedPage> &pages,
                         std::string &problem) {
    pages.clear();
    problem.clear();
    Database db;
    if (sqlite3_open_v2(path.c_str(), db.out(), SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
        return fail(db.get(), "cannot open", problem);
    // The copy is this connection's alone: with exclusive locking from the first read on, SQLite
    // keeps the log's index in memory and leaves no "-shm" file beside it.
    if (sqlite3_exec(db.get(), "PRAGMA locking_mode=EXCLUSIVE", nullptr, nullptr, nullptr) != SQLITE_OK)
        return fail(db.get(), "cannot lock", problem);
    Statement statement;
    if (sqlite3_prepare_v2(db.get(), format == HistoryFormat::Chromium ? kChromiumQuery : kFirefoxQuery, -1,
                           statement.out(), nullptr) != SQLITE_OK)
        return fail(db.get(), "not a history database", problem);
    sqlite3_bind_int64(statement.get(), 1, static_cast<sqlite3_int64>(limit));
    std::vector<VisitedPage> found;
    int step;
    while ((step = sqlite3_step(statement.get())) == SQLITE_ROW) {
        VisitedPage page;
        page.url = columnText(statement.get(), 0);
        if (!plainAddress(page.url))
            continue;
        page.title = cleanTitle(columnText(statement.get(), 1));
        page.visits = sqlite3_column_int64(statement.get(), 2);
        page.lastVisit = unixSeconds(sqlite3_column_int64(statement.get(), 3), format);
        found.push_back(std::move(page));
    }
    // A database damaged further in gives nothing rather than what lay before the damage.
    if (step != SQLITE_DONE)
        return fail(db.get(), "damaged", problem);
    pages = std::move(found);
    return true;
}
