// Per-keystroke cost of Quick Search and Launch at 100,000 items and 20,000 visited pages of a
// browser's history: the catalogue's search plus its display rows, beside SQLite FTS5 (token-prefix
// match ordered by launch count, limit 25) and a plain sorted-token posting-list index, all on the
// same items, pages, launch counts and queries. The two yardsticks match word prefixes only and
// rank pages like any item: for the initials and slip classes they do less work.
//
// Run under callgrind (--instr-atstart=no), each benchmark also counts the instructions of every
// keystroke of its class once, a measure that other programs on the machine cannot disturb; see
// bench/keystroke_instructions.py.
#include "launcher/command_catalogue.h"
#include "launcher/command_items.h"
#include "synthetic_catalogue.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <malloc.h>
#include <map>
#include <memory>
#include <sqlite3.h>
#include <unordered_set>
#include <valgrind/callgrind.h>

namespace {

// 100,000 items; WL_BENCH_ITEMS sets another count for a quicker look.
size_t itemCount() {
    static const size_t count = [] {
        const char *value = std::getenv("WL_BENCH_ITEMS");
        return value && std::atol(value) > 0 ? size_t(std::atol(value)) : size_t(100000);
    }();
    return count;
}

// 20,000 visited pages; WL_BENCH_PAGES sets another count (0: none, the catalogue as before).
size_t pageCount() {
    static const size_t count = [] {
        const char *value = std::getenv("WL_BENCH_PAGES");
        return value && std::atol(value) >= 0 ? size_t(std::atol(value)) : size_t(20000);
    }();
    return count;
}

const std::vector<std::string> &queries(int queryClass) {
    static const std::vector<std::string> kClasses[] = {
        {"a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k", "l", "m",
         "n", "o", "p", "q", "r", "s", "t", "u", "v", "w", "x", "y", "z"},
        {"pr", "mi", "do", "ph", "re", "wi", "no", "in", "co", "se", "ma", "st", "ca",
         "pi", "mu", "ho", "le", "bu", "ga", "sy", "ka", "lo", "ad", "fi", "im", "20"},
        {"pro", "mic", "doc", "pho", "rep", "win", "not", "inv", "set", "mus", "hol", "let", "bud",
         "gam", "sys", "ado", "fin", "cal", "pic", "img", "kal", "ven", "sum", "jan", "tax", "199"},
        {"pro fi", "my doc", "sta pro", "rep 20", "hol pho", "mic off", "not tx", "inv pdf", "mus mp",
         "win ex", "bud xls", "img jp", "news weather", "ka lo", "tax return", "src cpp", "set up",
         "all start", "my pic", "docu fin", "pla mar", "cal exe", "res cov", "june 2005", "ado rea", "lo mi"},
        // Initials of names ("rbj" for Report budget january 2005.doc); some are word prefixes too.
        {"mp", "ws", "oe", "rbj", "bsm", "pnj", "sra", "ibj", "mmf", "tra", "np", "wmp", "cu",
         "ab", "rba", "nmj", "fr2", "ha", "ssa", "pp", "ew", "sb", "hpa", "gs", "ue", "wf"},
        // One typing slip in a word that begins no token: a letter left out, added, changed or swapped.
        {"micrsoft", "adboe", "reprot", "budegt", "notepda", "calculatr", "phtoshop", "janaury", "invioce",
         "summray", "scheudle", "prnter", "outlok", "mesenger", "solitare", "explroer", "firewlal", "antivirsu",
         "minesweper", "recipse", "wedidng", "trainnig", "insurnace", "newsleter", "itinerray", "quartelry"},
    };
    return kClasses[queryClass];
}

const char *const kClassNames[] = {"one_letter", "two_letters", "three_letters", "two_words", "initials", "one_slip"};

// Heap blocks and the large allocations that malloc maps on their own (an index's big arrays):
// counting the first alone would miss exactly the arrays that a compact index is made of.
size_t heapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

struct Fixture {
    std::vector<SyntheticItem> items = syntheticItems(itemCount());
    std::vector<std::pair<size_t, int32_t>> launches = syntheticLaunches(itemCount());
    std::vector<SyntheticPage> pages = syntheticPages(pageCount());
    std::vector<TitledAddress> pageItems = [this] {
        std::vector<TitledAddress> converted;
        for (const SyntheticPage &page : pages)
            converted.push_back({page.url, page.title});
        return converted;
    }();
};

// The words a visited page is found by: its title's and its host's.
std::string pageWords(const SyntheticPage &page) { return page.title + " " + addressHost(page.url); }

const Fixture &fixture() {
    static Fixture data;
    return data;
}

// --- The catalogue -------------------------------------------------------------------------------

struct CatalogueUnderTest {
    std::unique_ptr<CommandCatalogue> catalogue;
    size_t indexBytes = 0;
    double buildSeconds = 0;
};

CatalogueUnderTest &catalogueUnderTest() {
    static CatalogueUnderTest built = [] {
        CatalogueUnderTest result;
        LauncherPlatform platform;
        platform.shortPath = [](const std::string &folder, std::string &shortForm) {
            shortForm = syntheticShortPath(folder);
            return true;
        };
        fixture(); // made before the measurement, which is of the index alone
        size_t before = heapInUse();
        auto start = std::chrono::steady_clock::now();
        result.catalogue.reset(new CommandCatalogue(25, platform, "/nonexistent/bench-wordlark.cmd"));
        for (const SyntheticItem &item : fixture().items)
            result.catalogue->addItem(item.text, item.target, item.weight, item.countUse);
        result.catalogue->addVisitedPages(fixture().pageItems);
        result.catalogue->settle(); // what the first search would otherwise sort, measured with the index
        result.indexBytes = heapInUse() - before;
        result.buildSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        for (const auto &launch : fixture().launches) {
            const SyntheticItem &item = fixture().items[launch.first];
            std::string target = item.target.empty() ? item.text : item.target;
            if (item.target.empty()) {
                size_t slash = target.rfind('\\');
                target = syntheticShortPath(target.substr(0, slash)) + target.substr(slash);
            }
            for (int32_t i = 0; i < launch.second; ++i)
                result.catalogue->noteUse(target, true);
        }
        result.catalogue->settle(); // what a launch from the strip does after counting it
        return result;
    }();
    return built;
}

// --- SQLite FTS5 ---------------------------------------------------------------------------------

struct Fts5UnderTest {
    sqlite3 *db = nullptr;
    sqlite3_stmt *query = nullptr;
    int64_t indexBytes = 0;
};

std::string tokenText(const std::string &text) {
    std::string lowered = text;
    lowerAscii(lowered);
    std::string joined;
    for (const std::string &word : splitWords(lowered, 2))
        joined += (joined.empty() ? "" : " ") + word;
    return joined;
}

Fts5UnderTest &fts5UnderTest() {
    static Fts5UnderTest built = [] {
        Fts5UnderTest result;
        CommandCatalogue &catalogue = *catalogueUnderTest().catalogue;
        int64_t before = sqlite3_memory_used();
        sqlite3_open(":memory:", &result.db);
        sqlite3_exec(result.db,
                     "CREATE VIRTUAL TABLE items USING fts5(words, item UNINDEXED, uses UNINDEXED, "
                     "prefix='1 2 3', tokenize='ascii')",
                     nullptr, nullptr, nullptr);
        sqlite3_exec(result.db, "BEGIN", nullptr, nullptr, nullptr);
        sqlite3_stmt *insert = nullptr;
        sqlite3_prepare_v2(result.db, "INSERT INTO items(words, item, uses) VALUES(?, ?, ?)", -1, &insert, nullptr);
        std::unordered_set<std::string> seen;
        for (const SyntheticItem &source : fixture().items) {
            std::string item;
            if (!source.target.empty()) {
                item = source.target + "\t\t" + source.text;
            } else {
                size_t slash = source.text.rfind('\\');
                item = syntheticShortPath(source.text.substr(0, slash)) + source.text.substr(slash);
            }
            if (!seen.insert(item).second)
                continue;
            std::string words = tokenText(source.text);
            sqlite3_bind_text(insert, 1, words.c_str(), int(words.size()), SQLITE_TRANSIENT);
            sqlite3_bind_text(insert, 2, item.c_str(), int(item.size()), SQLITE_TRANSIENT);
            sqlite3_bind_int(insert, 3, catalogue.useCount(item));
            sqlite3_step(insert);
            sqlite3_reset(insert);
        }
        for (const SyntheticPage &page : fixture().pages) {
            const std::string item = page.url + "\t\t" + page.title;
            if (!seen.insert(item).second)
                continue;
            std::string words = tokenText(pageWords(page));
            sqlite3_bind_text(insert, 1, words.c_str(), int(words.size()), SQLITE_TRANSIENT);
            sqlite3_bind_text(insert, 2, item.c_str(), int(item.size()), SQLITE_TRANSIENT);
            sqlite3_bind_int(insert, 3, 0);
            sqlite3_step(insert);
            sqlite3_reset(insert);
        }
        sqlite3_finalize(insert);
        sqlite3_exec(result.db, "COMMIT", nullptr, nullptr, nullptr);
        result.indexBytes = sqlite3_memory_used() - before;
        sqlite3_prepare_v2(result.db, "SELECT item FROM items WHERE items MATCH ? ORDER BY uses DESC LIMIT 25", -1,
                           &result.query, nullptr);
        return result;
    }();
    return built;
}

size_t fts5Keystroke(Fts5UnderTest &fts, const std::string &typed, std::vector<DisplayRow> &rows) {
    std::string lowered = typed;
    lowerAscii(lowered);
    std::string match;
    for (const std::string &word : splitWords(lowered, 1))
        match += (match.empty() ? "\"" : " AND \"") + word + "\"*";
    rows.clear();
    if (match.empty())
        return 0;
    sqlite3_bind_text(fts.query, 1, match.c_str(), int(match.size()), SQLITE_TRANSIENT);
    while (sqlite3_step(fts.query) == SQLITE_ROW)
        rows.push_back(displayRowForItem(reinterpret_cast<const char *>(sqlite3_column_text(fts.query, 0))));
    sqlite3_reset(fts.query);
    return rows.size();
}

// --- Sorted tokens with posting lists ------------------------------------------------------------

struct PostingIndex {
    std::vector<std::string> items;
    std::vector<int32_t> uses;
    std::vector<std::pair<std::string, std::vector<uint32_t>>> tokens; // sorted by token
    size_t indexBytes = 0;

    void postingsOf(const std::string &word, std::vector<uint32_t> &out) const {
        out.clear();
        auto at = std::lower_bound(tokens.begin(), tokens.end(), word,
                                   [](const auto &entry, const std::string &w) { return entry.first < w; });
        for (; at != tokens.end() && at->first.compare(0, word.size(), word) == 0; ++at)
            out.insert(out.end(), at->second.begin(), at->second.end());
        std::sort(out.begin(), out.end());
        out.erase(std::unique(out.begin(), out.end()), out.end());
    }
};

PostingIndex &postingIndex() {
    static PostingIndex built = [] {
        PostingIndex index;
        CommandCatalogue &catalogue = *catalogueUnderTest().catalogue;
        size_t before = heapInUse();
        std::map<std::string, uint32_t> itemIds;
        std::map<std::string, std::vector<uint32_t>> postings;
        for (const SyntheticItem &source : fixture().items) {
            std::string item;
            if (!source.target.empty()) {
                item = source.target + "\t\t" + source.text;
            } else {
                size_t slash = source.text.rfind('\\');
                item = syntheticShortPath(source.text.substr(0, slash)) + source.text.substr(slash);
            }
            auto id = itemIds.emplace(item, uint32_t(index.items.size()));
            if (id.second) {
                index.items.push_back(item);
                index.uses.push_back(catalogue.useCount(item));
            }
            std::string lowered = source.text;
            lowerAscii(lowered);
            for (const std::string &word : splitWords(lowered, 2)) {
                std::vector<uint32_t> &list = postings[word];
                if (list.empty() || list.back() != id.first->second)
                    list.push_back(id.first->second);
            }
        }
        for (const SyntheticPage &page : fixture().pages) {
            auto id = itemIds.emplace(page.url + "\t\t" + page.title, uint32_t(index.items.size()));
            if (!id.second)
                continue;
            index.items.push_back(id.first->first);
            index.uses.push_back(0);
            std::string lowered = pageWords(page);
            lowerAscii(lowered);
            for (const std::string &word : splitWords(lowered, 2)) {
                std::vector<uint32_t> &list = postings[word];
                if (list.empty() || list.back() != id.first->second)
                    list.push_back(id.first->second);
            }
        }
        index.tokens.assign(postings.begin(), postings.end());
        postings.clear();
        itemIds.clear();
        index.indexBytes = heapInUse() - before;
        return index;
    }();
    return built;
}

size_t postingKeystroke(const PostingIndex &index, const std::string &typed, std::vector<DisplayRow> &rows) {
    std::string lowered = typed;
    lowerAscii(lowered);
    std::vector<std::string> words = splitWords(lowered, 1);
    rows.clear();
    if (words.empty())
        return 0;
    std::vector<uint32_t> matched, next, both;
    index.postingsOf(words[0], matched);
    for (size_t w = 1; w < words.size() && !matched.empty(); ++w) {
        index.postingsOf(words[w], next);
        both.clear();
        std::set_intersection(matched.begin(), matched.end(), next.begin(), next.end(), std::back_inserter(both));
        matched.swap(both);
    }
    auto better = [&index](uint32_t a, uint32_t b) {
        return index.uses[a] != index.uses[b] ? index.uses[a] > index.uses[b] : index.items[a] < index.items[b];
    };
    size_t head = std::min<size_t>(matched.size(), 200);
    std::partial_sort(matched.begin(), matched.begin() + head, matched.end(), better);
    std::unordered_set<std::string> keys;
    for (size_t i = 0; i < head && rows.size() < 25; ++i)
        if (keys.insert(launchKey(index.items[matched[i]])).second)
            rows.push_back(displayRowForItem(index.items[matched[i]]));
    return rows.size();
}

// --- Timing --------------------------------------------------------------------------------------

// The machine is shared with other builds, so a keystroke is timed by the processor time of this
// thread (what the keystroke itself costs); the wall-clock 99th percentile is reported beside it.
double threadMicros() {
    timespec now;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e6 + double(now.tv_nsec) / 1e3;
}

// Under callgrind: the instructions of each keystroke of the class, one profile dump each, named
// "keystroke:<benchmark>/<class>/<query>" (spaces in the query as '+'). Nothing otherwise.
template <typename Keystroke>
void countInstructions(const char *benchmark, int queryClass, Keystroke keystroke) {
    if (!RUNNING_ON_VALGRIND)
        return;
    for (const std::string &query : queries(queryClass)) {
        std::string name = std::string("keystroke:") + benchmark + "/" + kClassNames[queryClass] + "/" + query;
        std::replace(name.begin(), name.end(), ' ', '+');
        CALLGRIND_ZERO_STATS;
        CALLGRIND_START_INSTRUMENTATION;
        keystroke(query);
        CALLGRIND_STOP_INSTRUMENTATION;
        CALLGRIND_DUMP_STATS_AT(name.c_str());
    }
}

// Times every query of the class once per iteration, each query as one keystroke, and reports
// the mean, 99th percentile and maximum of the single keystrokes.
template <typename Keystroke>
void timeKeystrokes(benchmark::State &state, const char *benchmark, Keystroke keystroke) {
    const std::vector<std::string> &typed = queries(int(state.range(0)));
    countInstructions(benchmark, int(state.range(0)), keystroke);
    std::vector<double> micros, wallMicros;
    size_t found = 0;
    for (auto _ : state) {
        for (const std::string &query : typed) {
            auto start = std::chrono::steady_clock::now();
            double cpuStart = threadMicros();
            found += keystroke(query);
            micros.push_back(threadMicros() - cpuStart);
            auto end = std::chrono::steady_clock::now();
            wallMicros.push_back(std::chrono::duration<double, std::micro>(end - start).count());
        }
    }
    std::sort(micros.begin(), micros.end());
    std::sort(wallMicros.begin(), wallMicros.end());
    state.counters["wall_p99_us"] = wallMicros[std::min(wallMicros.size() - 1, size_t(double(wallMicros.size()) * 0.99))];
    double sum = 0;
    for (double m : micros)
        sum += m;
    state.counters["mean_us"] = sum / double(micros.size());
    state.counters["p99_us"] = micros[std::min(micros.size() - 1, size_t(double(micros.size()) * 0.99))];
    state.counters["max_us"] = micros.back();
    state.counters["rows_avg"] = double(found) / double(micros.size());
    state.SetLabel(kClassNames[state.range(0)]);
}

void BM_Catalogue(benchmark::State &state) {
    CatalogueUnderTest &under = catalogueUnderTest();
    std::vector<std::string> rows, targets;
    timeKeystrokes(state, "Catalogue", [&](const std::string &query) {
        std::string text = query;
        under.catalogue->search(text);
        under.catalogue->buildDisplayList(rows, targets);
        return rows.size() - 3;
    });
    state.counters["index_MB"] = double(under.indexBytes) / 1e6;
    state.counters["build_s"] = under.buildSeconds;
    state.counters["pages"] = double(pageCount());
}

void BM_Fts5(benchmark::State &state) {
    Fts5UnderTest &fts = fts5UnderTest();
    std::vector<DisplayRow> rows;
    timeKeystrokes(state, "Fts5", [&](const std::string &query) { return fts5Keystroke(fts, query, rows); });
    state.counters["index_MB"] = double(fts.indexBytes) / 1e6;
}

void BM_PostingList(benchmark::State &state) {
    const PostingIndex &index = postingIndex();
    std::vector<DisplayRow> rows;
    timeKeystrokes(state, "PostingList",
                   [&](const std::string &query) { return postingKeystroke(index, query, rows); });
    state.counters["index_MB"] = double(index.indexBytes) / 1e6;
}

BENCHMARK(BM_Catalogue)->DenseRange(0, 5)->Iterations(20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Fts5)->DenseRange(0, 5)->Iterations(20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PostingList)->DenseRange(0, 5)->Iterations(20)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
