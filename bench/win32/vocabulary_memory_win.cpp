// Memory and load time of the base vocabulary in each Windows build: loads english.voc from the
// program folder (beside the wordlark.exe given as argument) and prints how much the process's
// private memory and its heap grew; then the same for the word store with the pair model, as the
// program starts it, and what typing misspelled words (with their corrections) adds to that.
#include "vocabulary/word_store.h"
#include "vocabulary/word_trie.h"

#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <string>

namespace {

SIZE_T privateBytes() {
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS *>(&counters),
                         sizeof(counters));
    return counters.PagefileUsage;
}

// Bytes in use, with their overhead, in every heap of the process (the C runtime's malloc has a
// heap of its own).
SIZE_T heapBytesInUse() {
    HANDLE heaps[64];
    DWORD count = GetProcessHeaps(64, heaps);
    SIZE_T used = 0;
    for (DWORD i = 0; i < count && i < 64; ++i) {
        PROCESS_HEAP_ENTRY entry = {};
        HeapLock(heaps[i]);
        while (HeapWalk(heaps[i], &entry))
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY)
                used += entry.cbData + entry.cbOverhead;
        HeapUnlock(heaps[i]);
    }
    return used;
}

double milliseconds(const LARGE_INTEGER &start, const LARGE_INTEGER &end) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return (end.QuadPart - start.QuadPart) * 1000.0 / frequency.QuadPart;
}

// Common misspellings, each typed letter by letter and ended as a space ends it.
const char *const kMisspellings[] = {"acomodate", "freind", "wich", "adress", "recieve", "definately", "seperate",
                                     "occured", "untill", "beleive", "goverment", "tommorow", "neccessary"};

void measureWordStore(const std::string &folder) {
    SIZE_T privateBefore = privateBytes();
    LARGE_INTEGER start, loaded, typed;
    QueryPerformanceCounter(&start);
    WordStore *store = new WordStore(folder + "english.voc", 25, 10, folder);
    bool model = store->loadPairModel(folder + "english.pairs");
    QueryPerformanceCounter(&loaded);
    store->baseVocabulary().setPath(nullptr);
    SIZE_T privateLoaded = privateBytes();
    for (int pass = 0; pass < 20; ++pass)
        for (const char *word : kMisspellings) {
            for (const char *ch = word; *ch; ++ch)
                store->feedCharacter(*ch, "bench.exe", false);
            store->learnTypedWord("bench.exe", false);
            store->reset();
        }
    QueryPerformanceCounter(&typed);
    SIZE_T privateTyped = privateBytes();
    std::printf("word store%s: load %.1f ms, private memory +%.2f MB; %d misspelled words typed in %.1f ms, "
                "private memory +%.2f MB more\n",
                model ? " with english.pairs" : " WITHOUT english.pairs", milliseconds(start, loaded),
                (privateLoaded - privateBefore) / 1048576.0,
                20 * static_cast<int>(sizeof kMisspellings / sizeof kMisspellings[0]), milliseconds(loaded, typed),
                (privateTyped - privateLoaded) / 1048576.0);
    store->forgetProgram("bench.exe");
    delete store;
}

} // namespace

int main(int argc, char **argv) {
    std::string folder = ".\\";
    if (argc > 1) {
        folder = argv[1];
        folder = folder.substr(0, folder.find_last_of("\\/") + 1);
    }
    std::string path = folder + "english.voc";
    SIZE_T privateBefore = privateBytes();
    SIZE_T heapBefore = heapBytesInUse();
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    WordTrie *trie = new WordTrie(path.c_str());
    QueryPerformanceCounter(&end);
    trie->setPath(nullptr);
    SIZE_T heapAfter = heapBytesInUse();
    SIZE_T privateAfter = privateBytes();
    std::printf("english.voc %s: load %.1f ms, heap +%.2f MB, private memory +%.2f MB\n",
                trie->loadFailed ? "NOT LOADED" : "loaded",
                (end.QuadPart - start.QuadPart) * 1000.0 / frequency.QuadPart, (heapAfter - heapBefore) / 1048576.0,
                (privateAfter - privateBefore) / 1048576.0);
    delete trie;
    measureWordStore(folder);
    return 0;
}
