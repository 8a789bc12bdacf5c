// Drives the word store with arbitrary keystroke operations and checks the list and page
// invariants after each one. Nothing is written: every path is cleared before destruction.
#include "vocabulary/word_store.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

const char *const kPrograms[] = {"one.exe", "two.exe"};

const std::string &basePath() {
    static const std::string path = [] {
        char pattern[] = "/tmp/wl_fuzz_store_XXXXXX";
        const char *made = mkdtemp(pattern);
        if (!made || chdir(made) != 0)
            std::abort();
        std::string base = std::string(made) + "/english.voc";
        std::FILE *file = std::fopen(base.c_str(), "wb");
        if (!file)
            std::abort();
        std::fputs("hello 50\r\nhelp 40\r\nHelsinki 30\r\nworld 20\r\nword 10\r\nwork 9\r\nabcde 3\r\n"
                   "\xe9t\xe9s 4\r\nwore 8\r\nworm 7\r\nworn 6\r\nwort 5\r\nHELLO 2\r\n",
                   file);
        std::fclose(file);
        return base;
    }();
    return path;
}

void check(const WordStore &store) {
    int size = static_cast<int>(store.suggestions().size());
    if (size > store.maxSuggestions() || store.pageStart() < 0 || store.pageStart() > store.pageEnd() ||
        store.pageEnd() > size || store.selectedIndex() < -1 || store.selectedIndex() >= (size ? size : 1) ||
        store.typedLength() != static_cast<int>(store.currentWord().size()) ||
        store.typedLength() > WordStore::kMaxTypedLength)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    WordStore store(basePath(), 25, 10);
    std::string rest;
    for (size_t i = 0; i + 1 < size; i += 2) {
        uint8_t operation = data[i];
        uint8_t value = data[i + 1];
        const std::string program = kPrograms[operation >> 7];
        switch (operation % 9) {
        case 0:
        case 1:
            store.feedCharacter(static_cast<char>(value), program, value & 1);
            break;
        case 2:
            store.feedCharacter(8, program, true);
            break;
        case 3:
            store.completeSuggestion(value % 12, rest, program, (value & 16) != 0);
            break;
        case 4:
            store.learnTypedWord(program, value & 1);
            break;
        case 5:
            store.deleteSuggestion(static_cast<int>(value % 30) - 2, program);
            break;
        case 6:
            store.selectNext();
            break;
        case 7:
            store.selectPrevious();
            break;
        default:
            if (value & 1)
                store.forgetProgram(program);
            else
                store.reset();
            break;
        }
        check(store);
    }
    store.baseVocabulary().setPath(nullptr);
    for (const char *program : kPrograms)
        if (WordTrie *learned = store.learnedVocabulary(program))
            learned->setPath(nullptr);
    return 0;
}
