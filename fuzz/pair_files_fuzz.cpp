// Feeds arbitrary bytes to both pair-file readers: the shipped pair model's loader (then looks a
// few words and prefixes up in what it accepted) and the learned pair file's parser (then checks
// that what it accepted is written back as the same bytes).
#include "vocabulary/learned_pairs.h"
#include "vocabulary/pair_model.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::string bytes(reinterpret_cast<const char *>(data), size);

    PairModel model;
    if (model.loadBytes(bytes)) {
        // Words and prefixes taken from the input's tail reach every branch of the lookups.
        std::string probe = bytes.substr(bytes.size() > 12 ? bytes.size() - 12 : 0);
        for (std::size_t cut = 0; cut <= probe.size(); cut += 3) {
            std::string prefix = probe.substr(0, cut);
            int word = model.find(prefix);
            for (int previous : {word, 0, 1}) {
                model.backoffLog10(previous);
                model.forEachFollower(previous, prefix, [](const char *text, double log10Probability) {
                    if (!text[0] || log10Probability > 0.0)
                        std::abort();
                });
            }
        }
    }

    LearnedPairs::Pairs pairs;
    if (LearnedPairs::parse(bytes, pairs) && LearnedPairs::format(pairs) != bytes)
        std::abort();
    return 0;
}
