// Memory and load time of the base vocabulary in the 32-bit build: loads english.voc from the
// program folder (beside the wordlark.exe given as argument) and prints how much the process's
// private memory and its heap grew.
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
    return 0;
}
