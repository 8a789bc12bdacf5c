// Drives the word store, with a small pair model, through arbitrary keystroke and context
// operations, spelling corrections among them, and checks the list and page invariants after each
// one. Nothing is written: every path is cleared before destruction.
#include "vocabulary/word_store.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

const char *const kPrograms[] = {"one.exe", "two.exe"};

// A pair model (tools/make_english_pairs.py's format): "hello" is followed by "word" and "world",
// "the" by "help" and "world".
const char kPairModel[] =
    "\x57\x4c\x50\x41\x49\x52\x53\x31\x05\x00\x00\x00\x04\x00\x00\x00\x1a\x00\x00\x00\x80\x72\xa4\xff"
    "\x40\x42\x0f\x00\x00\x00\x00\x00\x00\x00\x00\x00\x0c\xfe\x06\x00\x00\x00\x02\x00\x00\x00\x00\x00"
    "\x0b\x00\x00\x00\x02\x00\x00\x00\x0c\xfe\x0f\x00\x00\x00\x04\x00\x00\x00\x00\x00\x14\x00\x00\x00"
    "\x04\x00\x00\x00\x00\x00\x03\x00\x00\x00\x14\x04\x00\x00\x00\x0a\x01\x00\x00\x00\x28\x04\x00\x00"
    "\x00\x32\x68\x65\x6c\x6c\x6f\x00\x68\x65\x6c\x70\x00\x74\x68\x65\x00\x77\x6f\x72\x64\x00\x77\x6f"
    "\x72\x6c\x64\x00";

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
        file = std::fopen((std::string(made) + "/english.pairs").c_str(), "wb");
        if (!file)
            std::abort();
        std::fwrite(kPairModel, 1, sizeof kPairModel - 1, file);
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
    // Corrections only fill the first page, after the words that begin with the typed letters,
    // and never repeat one of them.
    for (int i = 0; i < size; ++i) {
        if (!store.isCorrection(i))
            continue;
        if (size > store.pageSize() || store.typedLength() < 3)
            std::abort();
        for (int j = 0; j < size; ++j)
            if (j != i && store.suggestions()[j].text == store.suggestions()[i].text)
                std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    WordStore store(basePath(), 25, 10);
    if (!store.loadPairModel("english.pairs"))
        std::abort();
    std::string rest;
    int erase = 0;
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
        case 3: {
            // A correction replaces every typed character with a whole word; any other pick erases
            // nothing.
            const int typed = store.typedLength();
            bool anyCorrection = false;
            for (int row = 0; row < static_cast<int>(store.suggestions().size()); ++row)
                anyCorrection = anyCorrection || store.isCorrection(row);
            if (store.completeSuggestion(value % 12, rest, erase, program, (value & 16) != 0) && erase != 0 &&
                (!anyCorrection || erase != typed || rest.empty()))
                std::abort();
            break;
        }
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
            else if (value & 2)
                store.placeContext(program, value >> 4);
            else if (value & 4)
                store.dropContext(program);
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
    for (const char *program : kPrograms)
        if (LearnedPairs *pairs = store.learnedPairs(program))
            pairs->setPath(std::string());
    return 0;
}
