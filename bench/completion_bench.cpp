// The keystroke handler's decisions on the shipped english.voc, natively: one letter fed through
// handleKey (with the desktop seams doing nothing), a whole word typed and ended, and the rows
// of a page formatted. The same under Wine, with the real window, is bench/win32.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>

#include "completion/key_handler.h"
#include "completion/suggestion_rows.h"
#include "config/settings.h"
#include "vocabulary/word_store.h"

namespace {

namespace fs = std::filesystem;

// A copy of the shipped vocabulary: the store rewrites its file when it goes.
struct Completion {
    Completion() {
        folder = fs::temp_directory_path() / "wl-completion-bench";
        fs::create_directories(folder);
        fs::copy_file(fs::path(WL_SOURCE_DIR) / "vocabulary/data/english.voc", folder / "english.voc",
                      fs::copy_options::overwrite_existing);
        store = std::make_unique<WordStore>((folder / "english.voc").string(), 25, 10);
        settings = std::make_unique<Settings>((folder / "missing" / "wordlark.cfg").string());
        seams.focusedProgram = [](std::string &name, std::string &path) {
            name = "notepad.exe";
            path = "C:\\windows\\notepad.exe";
        };
        seams.sendImeChar = [](unsigned char) {};
        seams.eraseTyped = [](int) {};
        seams.hideList = [] {};
        seams.showListAtCaret = [] {};
    }
    ~Completion() {
        store->baseVocabulary().setPath(nullptr);
        store.reset();
        settings.reset();
        fs::remove_all(folder);
    }
    fs::path folder;
    std::unique_ptr<WordStore> store;
    std::unique_ptr<Settings> settings;
    KeyHandlerSeams seams;
};

Completion &fixture() {
    static Completion c;
    return c;
}

const char *const kWords[] = {"the", "information", "considering", "shall", "water", "people", "xylophone", "quiet"};

void BM_HandleKeyPerLetter(benchmark::State &state) {
    Completion &c = fixture();
    size_t w = 0, i = 0;
    for (auto _ : state) {
        const char *word = kWords[w];
        handleKey(*c.store, *c.settings, c.seams, word[i]);
        if (!word[++i]) {
            state.PauseTiming();
            handleKey(*c.store, *c.settings, c.seams, forwarded_key::kEscape);
            i = 0;
            w = (w + 1) % (sizeof kWords / sizeof kWords[0]);
            state.ResumeTiming();
        }
    }
}
BENCHMARK(BM_HandleKeyPerLetter);

void BM_FormatSuggestionsAfterTwoLetters(benchmark::State &state) {
    Completion &c = fixture();
    handleKey(*c.store, *c.settings, c.seams, 't');
    handleKey(*c.store, *c.settings, c.seams, 'h');
    for (auto _ : state) {
        std::string text;
        benchmark::DoNotOptimize(formatSuggestions(*c.store, text));
    }
    handleKey(*c.store, *c.settings, c.seams, forwarded_key::kEscape);
}
BENCHMARK(BM_FormatSuggestionsAfterTwoLetters);

} // namespace

BENCHMARK_MAIN();
