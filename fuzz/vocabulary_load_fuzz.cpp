// Feeds arbitrary bytes to the vocabulary loader as a file, lists a few prefixes, saves, and
// checks that the program can read every file it writes.
#include "vocabulary/word_trie.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

std::string scratchPath(const char *name) {
    static const std::string folder = [] {
        char pattern[] = "/tmp/wl_fuzz_vocab_XXXXXX";
        const char *made = mkdtemp(pattern);
        if (!made)
            std::abort();
        return std::string(made);
    }();
    return folder + "/" + name;
}

void writeFile(const std::string &path, const uint8_t *data, size_t size) {
    std::FILE *file = std::fopen(path.c_str(), "wb");
    if (!file)
        std::abort();
    std::fwrite(data, 1, size, file);
    std::fclose(file);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::string input = scratchPath("input.voc");
    const std::string output = scratchPath("output.voc");
    writeFile(input, data, size);
    std::remove(output.c_str());
    {
        WordTrie trie(input.c_str());
        std::vector<suggestion> out;
        std::string prefix;
        for (size_t i = 0; i < size && i < 4; ++i) {
            prefix.push_back(static_cast<char>(data[i]));
            trie.collectPrefix(prefix.c_str(), out, 25, true);
            for (size_t k = 1; k < out.size(); ++k)
                if (out[k - 1].count < out[k].count)
                    std::abort();
        }
        bool unreadable = trie.loadFailed;
        trie.setPath(output.c_str());
        if (unreadable)
            trie.setPath(nullptr);
    }
    std::FILE *saved = std::fopen(output.c_str(), "rb");
    if (saved) {
        std::fclose(saved);
        WordTrie again(output.c_str());
        if (again.loadFailed)
            std::abort(); // the program could not read its own file
        again.setPath(nullptr);
    }
    return 0;
}
