// bench_keystroke_savings: how many keys word completion saves when plain texts are typed through
// the real word store, ranked by the words before (the pair model) or by counts alone, with and
// without learning, and what a perfect ranking of the same vocabulary would save.
//
//   bench_keystroke_savings [--voc FILE] [--pairs FILE] [--text FILE]...
//   bench_keystroke_savings [--voc FILE] [--pairs FILE] --misspellings FILE
//
// Without --text it types the written-English texts named in kDefaultTexts that are installed
// (./dev setup installs their packages). The last line is "keystroke savings: P%": the pair model,
// no learning.
//
// With --misspellings it types instead each misspelling of the file ("misspelled correct", one
// pair a line) and reports how often the correct word showed on the page meanwhile, over all
// pairs and over those whose slip lies in the first three letters; the last line is
// "misspellings offered: P%" (all pairs).
#include "bench/keystroke_savings.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// Prose of three kinds from Debian packages: mixed fiction and reporting (dasher-data), quotations
// from literature (fortunes-min) and a licence (base-files).
const char *const kDefaultTexts[] = {
    "/usr/share/dasher/training_english_GB.txt",
    "/usr/share/games/fortunes/literature",
    "/usr/share/common-licenses/GPL-3",
};

bool readFile(const std::string &path, std::string &contents) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    contents.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

// The learned vocabulary is read from and named after the current directory; an empty one of our
// own keeps the runs apart from whatever lies where the tool was started.
class WorkFolder {
public:
    WorkFolder() : previous_(fs::current_path()) {
        std::random_device seed;
        folder_ = fs::temp_directory_path() / ("wl-keystroke-savings-" + std::to_string(seed()));
        fs::create_directories(folder_);
        fs::current_path(folder_);
    }
    ~WorkFolder() {
        std::error_code ignored;
        fs::current_path(previous_, ignored);
        fs::remove_all(folder_, ignored);
    }

private:
    fs::path previous_;
    fs::path folder_;
};

void printTally(const char *what, const TypingTally &tally) {
    std::printf("%s: %.1f%% (%ld words, %ld letters, %ld typed, %ld picks)\n", what, tally.savingsPercent(), tally.words,
                tally.letters, tally.lettersTyped, tally.picks);
}

int usage() {
    std::fprintf(stderr, "usage: bench_keystroke_savings [--voc FILE] [--pairs FILE] [--text FILE]...\n"
                         "       bench_keystroke_savings [--voc FILE] [--pairs FILE] --misspellings FILE\n");
    return 2;
}

// Makes both paths absolute, as the typing runs in a work folder of its own; false, and said, when
// either file is missing.
bool findModel(std::string &vocPath, std::string &pairsPath) {
    vocPath = fs::absolute(vocPath).string();
    pairsPath = fs::absolute(pairsPath).string();
    if (fs::exists(vocPath) && fs::exists(pairsPath))
        return true;
    std::fprintf(stderr, "no vocabulary at %s or no pair model at %s\n", vocPath.c_str(), pairsPath.c_str());
    return false;
}

int measureMisspellings(std::string vocPath, std::string pairsPath, const std::string &path) {
    std::string contents;
    if (!readFile(path, contents)) {
        std::fprintf(stderr, "cannot read %s\n", path.c_str());
        return 2;
    }
    std::vector<std::pair<std::string, std::string>> pairs;
    long badLine = 0;
    if (!parseMisspellings(contents, pairs, badLine)) {
        std::fprintf(stderr, "%s:%ld: not a pair of words \"misspelled correct\"\n", path.c_str(), badLine);
        return 2;
    }
    if (!findModel(vocPath, pairsPath))
        return 2;
    std::printf("misspellings: %s\nvocabulary: %s\n", path.c_str(), vocPath.c_str());
    WorkFolder work;
    long skipped = 0;
    MisspellingTally tally = typeMisspellings(vocPath, pairsPath, pairs, skipped);
    if (skipped > 0)
        std::printf("%ld pairs skipped: their correct word is not in the vocabulary\n", skipped);
    std::printf("misspellings offered, slip in the first three letters: %.1f%% (%ld of %ld)\n",
                tally.earlyOfferedPercent(), tally.earlyOffered, tally.earlyPairs);
    std::printf("misspellings offered, all pairs: %ld of %ld\n", tally.offered, tally.pairs);
    std::printf("misspellings offered: %.1f%%\n", tally.offeredPercent());
    return 0;
}

} // namespace

int main(int argc, char **argv) {
    std::string vocPath = std::string(WL_SOURCE_DIR) + "/vocabulary/data/english.voc";
    std::string pairsPath = std::string(WL_SOURCE_DIR) + "/vocabulary/data/english.pairs";
    std::vector<std::string> textPaths;
    std::string misspellingsPath;
    for (int i = 1; i < argc; ++i) {
        if (i + 1 < argc && std::strcmp(argv[i], "--voc") == 0)
            vocPath = argv[++i];
        else if (i + 1 < argc && std::strcmp(argv[i], "--pairs") == 0)
            pairsPath = argv[++i];
        else if (i + 1 < argc && std::strcmp(argv[i], "--text") == 0)
            textPaths.push_back(argv[++i]);
        else if (i + 1 < argc && std::strcmp(argv[i], "--misspellings") == 0)
            misspellingsPath = argv[++i];
        else
            return usage();
    }
    if (!misspellingsPath.empty() && !textPaths.empty())
        return usage();
    if (!misspellingsPath.empty())
        return measureMisspellings(vocPath, pairsPath, misspellingsPath);
    if (textPaths.empty()) {
        for (const char *path : kDefaultTexts) {
            if (fs::exists(path))
                textPaths.push_back(path);
        }
    }
    if (textPaths.empty()) {
        std::fprintf(stderr, "no text to type: name one with --text\n");
        return 2;
    }
    if (!findModel(vocPath, pairsPath))
        return 2;

    std::vector<std::string> texts;
    for (const std::string &path : textPaths) {
        std::string contents;
        if (!readFile(path, contents)) {
            std::fprintf(stderr, "cannot read %s\n", path.c_str());
            return 2;
        }
        std::printf("text: %s\n", path.c_str());
        texts.push_back(contents);
    }
    std::printf("vocabulary: %s\npair model: %s\n", vocPath.c_str(), pairsPath.c_str());

    WorkFolder work;
    TypingTally oracle = oracleTally(vocPath, texts);
    printTally("oracle (every word the vocabulary can complete, taken at once)", oracle);
    for (std::size_t i = 0; i < texts.size(); ++i) {
        TypingTally one = typeTexts(vocPath, pairsPath, {texts[i]}, false);
        printTally(("words before, no learning, " + textPaths[i]).c_str(), one);
    }
    TypingTally counts = typeTexts(vocPath, std::string(), texts, false);
    TypingTally countsLearning = typeTexts(vocPath, std::string(), texts, true);
    TypingTally contextLearning = typeTexts(vocPath, pairsPath, texts, true);
    TypingTally context = typeTexts(vocPath, pairsPath, texts, false);
    for (const TypingTally *run : {&countsLearning, &contextLearning}) {
        if (run->wrongPicks != 0) {
            std::fprintf(stderr, "%ld picks typed something else than the word\n", run->wrongPicks);
            return 1;
        }
    }
    printTally("counts alone, no learning", counts);
    printTally("counts alone, learning", countsLearning);
    printTally("words before, learning", contextLearning);
    printTally("words before, no learning", context);
    std::printf("words taken by a pick (words before, learning): %.1f%%\n", contextLearning.pickPercent());
    std::printf("keystroke savings: %.1f%%\n", context.savingsPercent());
    return 0;
}
