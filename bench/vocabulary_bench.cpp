// Speed and memory of the vocabulary on the shipped english.voc: loading, top-25 prefix listings
// for every prefix of words drawn by frequency (against a sorted vector with binary search and
// against marisa-trie's predictive search, on the same queries), and the word store per keystroke
// while typing English text. Latency percentiles are reported as counters.
#include "vocabulary/word_store.h"
#include "vocabulary/word_trie.h"

#include <benchmark/benchmark.h>
#include <marisa.h>

#include <algorithm>
#include <ctime>
#include <cstdio>
#include <fstream>
#include <malloc.h>
#include <random>
#include <sstream>
#include <unistd.h>

namespace {

const std::string kVocabulary = std::string(WL_SOURCE_DIR) + "/vocabulary/data/english.voc";
const std::string kPairModel = std::string(WL_SOURCE_DIR) + "/vocabulary/data/english.pairs";
const int kTop = 25;

// Latencies are read from the thread's CPU clock: the machine is shared, and wall time would
// mostly measure the other processes.
double cpuNanoseconds() {
    timespec now;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1e9 + now.tv_nsec;
}

struct Entry {
    std::string word;
    int32_t count;
};

std::vector<Entry> readVocabulary() {
    std::vector<Entry> entries;
    std::ifstream in(kVocabulary, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        std::size_t space = line.rfind(' ');
        entries.push_back({line.substr(0, space), static_cast<int32_t>(std::atoi(line.c_str() + space + 1))});
    }
    return entries;
}

const std::vector<Entry> &vocabulary() {
    static const std::vector<Entry> entries = readVocabulary();
    return entries;
}

// Every prefix of 2000 words drawn by their counts (fixed seed); one-letter prefixes apart.
struct Queries {
    std::vector<std::string> single;
    std::vector<std::string> longer;
};

const Queries &queries() {
    static const Queries drawn = [] {
        Queries q;
        std::vector<double> weights;
        for (const Entry &entry : vocabulary())
            weights.push_back(entry.count);
        std::mt19937 random(2024);
        std::discrete_distribution<std::size_t> pick(weights.begin(), weights.end());
        for (int i = 0; i < 2000; ++i) {
            const std::string &word = vocabulary()[pick(random)].word;
            q.single.push_back(word.substr(0, 1));
            for (std::size_t length = 2; length <= word.size(); ++length)
                q.longer.push_back(word.substr(0, length));
        }
        return q;
    }();
    return drawn;
}

bool better(const suggestion &a, const suggestion &b) {
    return a.count != b.count ? a.count > b.count : a.text < b.text;
}

void offer(std::vector<suggestion> &heap, const std::string &word, int32_t count) {
    suggestion candidate{word, count};
    if (static_cast<int>(heap.size()) < kTop) {
        heap.push_back(candidate);
        std::push_heap(heap.begin(), heap.end(), better);
    } else if (better(candidate, heap.front())) {
        std::pop_heap(heap.begin(), heap.end(), better);
        heap.back() = candidate;
        std::push_heap(heap.begin(), heap.end(), better);
    }
}

// Baseline 1: the words sorted by their bytes; binary search, then a bounded heap over the range.
struct SortedVector {
    std::vector<Entry> entries;
    SortedVector() : entries(vocabulary()) {
        std::sort(entries.begin(), entries.end(), [](const Entry &a, const Entry &b) { return a.word < b.word; });
    }
    void top(const std::string &prefix, std::vector<suggestion> &out) const {
        out.clear();
        auto it = std::lower_bound(entries.begin(), entries.end(), prefix,
                                   [](const Entry &e, const std::string &p) { return e.word < p; });
        for (; it != entries.end() && it->word.compare(0, prefix.size(), prefix) == 0; ++it)
            offer(out, it->word, it->count);
        std::sort_heap(out.begin(), out.end(), better);
    }
};

// Baseline 2: marisa-trie's predictive search, counts looked up by key id.
struct MarisaIndex {
    marisa::Trie trie;
    std::vector<int32_t> counts;
    MarisaIndex() {
        marisa::Keyset keys;
        for (const Entry &entry : vocabulary())
            keys.push_back(entry.word.c_str(), entry.word.size());
        trie.build(keys);
        counts.resize(trie.num_keys());
        marisa::Agent agent;
        for (const Entry &entry : vocabulary()) {
            agent.set_query(entry.word.c_str(), entry.word.size());
            if (trie.lookup(agent))
                counts[agent.key().id()] = entry.count;
        }
    }
    void top(const std::string &prefix, std::vector<suggestion> &out) const {
        out.clear();
        marisa::Agent agent;
        agent.set_query(prefix.c_str(), prefix.size());
        while (trie.predictive_search(agent))
            offer(out, std::string(agent.key().ptr(), agent.key().length()), counts[agent.key().id()]);
        std::sort_heap(out.begin(), out.end(), better);
    }
};

WordTrie &loadedTrie() {
    static WordTrie *trie = [] {
        WordTrie *t = new WordTrie(kVocabulary.c_str());
        t->setPath(nullptr); // never written back
        return t;
    }();
    return *trie;
}

void reportLatencies(benchmark::State &state, std::vector<double> &nanoseconds, const char *label) {
    std::sort(nanoseconds.begin(), nanoseconds.end());
    double sum = 0;
    for (double value : nanoseconds)
        sum += value;
    std::string name(label);
    state.counters[name + "mean_us"] = sum / nanoseconds.size() / 1000.0;
    state.counters[name + "p99_us"] = nanoseconds[nanoseconds.size() * 99 / 100] / 1000.0;
    state.counters[name + "max_us"] = nanoseconds.back() / 1000.0;
}

template <typename Lister> void runQueries(benchmark::State &state, Lister list) {
    std::vector<suggestion> out;
    std::vector<double> single, longer;
    for (auto _ : state) {
        single.clear();
        longer.clear();
        for (const std::string &prefix : queries().single) {
            double start = cpuNanoseconds();
            list(prefix, out);
            single.push_back(cpuNanoseconds() - start);
            benchmark::DoNotOptimize(out.data());
        }
        for (const std::string &prefix : queries().longer) {
            double start = cpuNanoseconds();
            list(prefix, out);
            longer.push_back(cpuNanoseconds() - start);
            benchmark::DoNotOptimize(out.data());
        }
    }
    reportLatencies(state, longer, "");
    reportLatencies(state, single, "one_letter_");
    state.counters["queries"] = static_cast<double>(queries().single.size() + queries().longer.size());
}

void BM_LoadEnglishVoc(benchmark::State &state) {
    std::size_t bytes = 0;
    for (auto _ : state) {
        std::size_t before = mallinfo2().uordblks;
        WordTrie trie(kVocabulary.c_str());
        bytes = mallinfo2().uordblks - before;
        trie.setPath(nullptr);
        benchmark::DoNotOptimize(trie.loadFailed);
    }
    state.counters["heap_MB"] = bytes / 1048576.0;
}
BENCHMARK(BM_LoadEnglishVoc)->Unit(benchmark::kMillisecond);

// What start-up loads for word completion: the base vocabulary and the pair model.
void BM_LoadEnglishVocAndPairModel(benchmark::State &state) {
    std::size_t bytes = 0, modelBytes = 0;
    for (auto _ : state) {
        std::size_t before = mallinfo2().uordblks;
        WordStore store(kVocabulary, 25, 10);
        bool loaded = store.loadPairModel(kPairModel);
        bytes = mallinfo2().uordblks - before;
        modelBytes = store.pairModel().memoryBytes();
        store.baseVocabulary().setPath(nullptr);
        if (!loaded)
            state.SkipWithError("no pair model");
    }
    state.counters["heap_MB"] = bytes / 1048576.0;
    state.counters["pair_model_MB"] = modelBytes / 1048576.0;
}
BENCHMARK(BM_LoadEnglishVocAndPairModel)->Unit(benchmark::kMillisecond);

void BM_TopPrefix_WordTrie(benchmark::State &state) {
    WordTrie &trie = loadedTrie();
    runQueries(state, [&](const std::string &p, std::vector<suggestion> &out) {
        trie.collectPrefix(p.c_str(), out, kTop, true);
    });
}
BENCHMARK(BM_TopPrefix_WordTrie)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_TopPrefix_SortedVector(benchmark::State &state) {
    static SortedVector sorted;
    runQueries(state, [&](const std::string &p, std::vector<suggestion> &out) { sorted.top(p, out); });
}
BENCHMARK(BM_TopPrefix_SortedVector)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_TopPrefix_Marisa(benchmark::State &state) {
    static MarisaIndex marisa;
    runQueries(state, [&](const std::string &p, std::vector<suggestion> &out) { marisa.top(p, out); });
}
BENCHMARK(BM_TopPrefix_Marisa)->Unit(benchmark::kMillisecond)->Iterations(3);

// The three listings must agree word for word, or the timings compare different work.
void BM_TopPrefix_AllAgree(benchmark::State &state) {
    static SortedVector sorted;
    static MarisaIndex marisa;
    std::vector<suggestion> a, b, c;
    int64_t mismatches = 0;
    for (auto _ : state) {
        for (const std::vector<std::string> *list : {&queries().single, &queries().longer})
            for (const std::string &prefix : *list) {
                loadedTrie().collectPrefix(prefix.c_str(), a, kTop, true);
                sorted.top(prefix, b);
                marisa.top(prefix, c);
                for (std::size_t i = 0; i < a.size() || i < b.size() || i < c.size(); ++i)
                    if (a.size() != b.size() || a.size() != c.size() || a[i].text != b[i].text ||
                        a[i].text != c[i].text || a[i].count != b[i].count) {
                        ++mismatches;
                        break;
                    }
            }
    }
    state.counters["mismatches"] = static_cast<double>(mismatches);
}
BENCHMARK(BM_TopPrefix_AllAgree)->Iterations(1)->Unit(benchmark::kMillisecond);

// Original text, typed letter by letter; other characters end the word as the key handler does.
const char kText[] =
    "Every morning the harbour wakes slowly. Fishermen carry their nets along the stone walls, "
    "children run towards the school with their breakfast still in their hands, and the baker "
    "opens his windows to let the smell of fresh bread travel through the narrow streets. "
    "Visitors often believe that nothing important ever happens here, but the people who live "
    "in the village know better. They remember the winter when the storm destroyed the bridge, "
    "the summer when the river nearly disappeared, and the evening when everybody gathered in "
    "the market square to celebrate the return of the lighthouse keeper after a long journey "
    "across the ocean. Those stories are told again and again, and every generation adds "
    "something of its own, so that the history of the place becomes a conversation between "
    "grandparents, parents and children that never really ends.";

void BM_FeedCharacter(benchmark::State &state) {
    char folder[] = "/tmp/wl_bench_store_XXXXXX";
    if (!mkdtemp(folder) || chdir(folder) != 0) {
        state.SkipWithError("no scratch folder");
        return;
    }
    std::vector<double> nanoseconds;
    for (auto _ : state) {
        WordStore store(kVocabulary, 25, 10);
        store.loadPairModel(kPairModel); // the words before rank the candidates
        nanoseconds.clear();
        for (int pass = 0; pass < 5; ++pass)
            for (const char *ch = kText; *ch; ++ch) {
                bool letter = (*ch >= 'a' && *ch <= 'z') || (*ch >= 'A' && *ch <= 'Z');
                if (!letter) {
                    store.learnTypedWord("editor.exe", true);
                    store.reset();
                    continue;
                }
                double start = cpuNanoseconds();
                store.feedCharacter(*ch, "editor.exe", true);
                nanoseconds.push_back(cpuNanoseconds() - start);
            }
        store.baseVocabulary().setPath(nullptr);
        store.learnedVocabulary("editor.exe")->setPath(nullptr);
        store.learnedPairs("editor.exe")->setPath(std::string());
    }
    reportLatencies(state, nanoseconds, "");
    state.counters["keystrokes"] = static_cast<double>(nanoseconds.size());
}
BENCHMARK(BM_FeedCharacter)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
