// The harvest of a browser's history: a profile's database of 20,000 visited pages (Chromium's
// "History" and Firefox's "places.sqlite", each in the schema of its browser and with its
// pages' rows spread as visits leave them), copied with its log and read, as the harvest reads
// every profile, and the pages then added to a catalogue of 100,000 items.
#include "harvest/browser_history.h"
#include "launcher/command_catalogue.h"
#include "synthetic_catalogue.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

const size_t kPages = 20000;

fs::path workFolder() {
    static const fs::path folder = [] {
        fs::path path = fs::temp_directory_path() / ("wl_history_bench_" + std::to_string(::getpid()));
        fs::create_directories(path);
        return path;
    }();
    return folder;
}

// A database of kPages pages and as many again visited once long ago, written through a
// write-ahead log that the browser has not folded back yet.
std::string makeDatabase(HistoryFormat format) {
    const fs::path path = workFolder() / (format == HistoryFormat::Chromium ? "History" : "places.sqlite");
    if (fs::exists(path))
        return path.string();
    sqlite3 *db = nullptr;
    sqlite3_open(path.string().c_str(), &db);
    sqlite3_exec(db, "PRAGMA journal_mode=WAL; PRAGMA wal_autocheckpoint=0;", nullptr, nullptr, nullptr);
    const bool chromium = format == HistoryFormat::Chromium;
    sqlite3_exec(db,
                 chromium ? "CREATE TABLE urls(id INTEGER PRIMARY KEY, url LONGVARCHAR, title LONGVARCHAR, "
                            "visit_count INTEGER DEFAULT 0 NOT NULL, typed_count INTEGER DEFAULT 0 NOT NULL, "
                            "last_visit_time INTEGER NOT NULL, hidden INTEGER DEFAULT 0 NOT NULL)"
                          : "CREATE TABLE moz_places(id INTEGER PRIMARY KEY, url LONGVARCHAR, title LONGVARCHAR, "
                            "rev_host LONGVARCHAR, visit_count INTEGER DEFAULT 0, hidden INTEGER DEFAULT 0 NOT NULL, "
                            "typed INTEGER DEFAULT 0 NOT NULL, frecency INTEGER DEFAULT -1 NOT NULL, "
                            "last_visit_date INTEGER, guid TEXT)",
                 nullptr, nullptr, nullptr);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt *insert = nullptr;
    sqlite3_prepare_v2(db,
                       chromium ? "INSERT INTO urls(url, title, visit_count, last_visit_time) VALUES(?, ?, ?, ?)"
                                : "INSERT INTO moz_places(url, title, visit_count, last_visit_date) VALUES(?, ?, ?, ?)",
                       -1, &insert, nullptr);
    const std::vector<SyntheticPage> pages = syntheticPages(2 * kPages);
    for (size_t i = 0; i < pages.size(); ++i) {
        const int64_t visits = i < kPages ? int64_t(kPages * 4 / (i + 1)) + 1 : 1;
        const int64_t when = (chromium ? int64_t(13300000000) : int64_t(1700000000)) - int64_t(i) * 600;
        sqlite3_bind_text(insert, 1, pages[i].url.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 2, pages[i].title.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int64(insert, 3, i < kPages ? visits : 1);
        sqlite3_bind_int64(insert, 4, when * 1000000);
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    // Left open: the log stays, as beside a running browser. Closed at exit by the process.
    return path.string();
}

HistoryFileAccess plainAccess() {
    HistoryFileAccess access;
    access.copyFile = [](const std::string &from, const std::string &to) {
        std::error_code error;
        if (!fs::exists(from))
            return HistoryFileAccess::Copy::Missing;
        fs::copy_file(from, to, fs::copy_options::overwrite_existing, error);
        return error ? HistoryFileAccess::Copy::Failed : HistoryFileAccess::Copy::Done;
    };
    access.removeFile = [](const std::string &path) { fs::remove(path); };
    access.copyPath = (workFolder() / "copy").string();
    access.note = [](const std::string &text) { std::fprintf(stderr, "%s\n", text.c_str()); };
    return access;
}

void BM_ReadProfile(benchmark::State &state) {
    const HistoryFormat format = state.range(0) == 0 ? HistoryFormat::Chromium : HistoryFormat::Firefox;
    const std::string path = makeDatabase(format);
    const HistoryFileAccess access = plainAccess();
    std::vector<VisitedPage> pages;
    for (auto _ : state) {
        readBrowserHistoryFile(path, format, access, pages);
        benchmark::DoNotOptimize(pages.data());
    }
    state.counters["pages"] = double(pages.size());
    state.counters["file_MB"] = double(fs::file_size(path) + fs::file_size(path + "-wal")) / 1e6;
    state.SetLabel(format == HistoryFormat::Chromium ? "Chromium History" : "Firefox places.sqlite");
}

void BM_AddToCatalogue(benchmark::State &state) {
    static const std::vector<SyntheticItem> items = syntheticItems(100000);
    std::vector<TitledAddress> pages;
    for (const SyntheticPage &page : syntheticPages(kPages))
        pages.push_back({page.url, page.title});
    for (auto _ : state) {
        state.PauseTiming();
        auto catalogue = std::make_unique<CommandCatalogue>(25, LauncherPlatform(), "/nonexistent/bench.cmd");
        for (const SyntheticItem &item : items)
            catalogue->addItem(item.text, item.target, item.weight, item.countUse);
        catalogue->settle();
        state.ResumeTiming();
        catalogue->addVisitedPages(pages);
        catalogue->settle();
        state.PauseTiming();
        catalogue.reset();
        state.ResumeTiming();
    }
    state.counters["pages"] = double(pages.size());
}

BENCHMARK(BM_ReadProfile)->Arg(0)->Arg(1)->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AddToCatalogue)->Iterations(3)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
