#include "bench/keystroke_savings.h"

#include "completion/key_handler.h"
#include "common/ascii_case.h"
#include "config/settings.h"
#include "vocabulary/word_store.h"

#include <algorithm>

namespace {

const char kProgram[] = "typist.exe";
const char kProgramPath[] = "C:\\typist\\typist.exe";
const int kMaxSuggestions = 25;
const int kPageSize = 10;

bool isLetter(char ch) { return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z'); }
char upperLetter(char ch) { return ch >= 'a' && ch <= 'z' ? static_cast<char>(ch - 'a' + 'A') : ch; }
char lowerLetter(char ch) { return ch >= 'A' && ch <= 'Z' ? static_cast<char>(ch - 'A' + 'a') : ch; }

// Calls take(word, ender) for each run of letters; ender is the character after it, 0 at the end.
template <typename Take> void forEachWord(const std::string &text, Take take) {
    std::size_t i = 0;
    while (i < text.size()) {
        if (!isLetter(text[i])) {
            ++i;
            continue;
        }
        std::size_t start = i;
        while (i < text.size() && isLetter(text[i]))
            ++i;
        take(text.substr(start, i - start), i < text.size() ? text[i] : '\0');
    }
}

// What a pick of stored after typed would put on the screen: the store types the stored word's
// rest after as many characters as were typed, in capitals while every typed letter was one.
std::string completion(const std::string &typed, const std::string &stored, bool capitalsMode) {
    std::string rest = stored.size() > typed.size() ? stored.substr(typed.size()) : std::string();
    if (capitalsMode && typed.size() != 1)
        std::transform(rest.begin(), rest.end(), rest.begin(), upperLetter);
    return typed + rest;
}

// The row of the visible page whose pick makes word, or -1. A correction replaces the typed letters.
int rowMaking(WordStore &store, const std::string &word) {
    const std::vector<suggestion> &all = store.suggestions();
    for (int i = store.pageStart(); i < store.pageEnd(); ++i) {
        std::string made = store.isCorrection(i) ? store.correctionAsTyped(all[i].text)
                                                 : completion(store.currentWord(), all[i].text, store.capitalsMode());
        if (made == word)
            return i - store.pageStart();
    }
    return -1;
}

// Whether the visible page offers word, whatever its case.
bool pageOffers(WordStore &store, const std::string &word) {
    const std::vector<suggestion> &all = store.suggestions();
    for (int i = store.pageStart(); i < store.pageEnd(); ++i)
        if (equalIgnoringAsciiCase(all[i].text, word))
            return true;
    return false;
}

bool isWordByte(char ch) { return isLetter(ch) || static_cast<unsigned char>(ch) >= 0x80; }

// One program typed into: the store, the settings that say whether it may learn, and seams that
// keep what the handler would type and whether the list is up.
class Typist {
public:
    Typist(const std::string &vocPath, const std::string &pairsPath, bool learning)
        : store_(vocPath, kMaxSuggestions, kPageSize), settings_("typist.cfg"), learning_(learning),
          context_(!pairsPath.empty()) {
        store_.baseVocabulary().setPath(nullptr); // the shipped file is only read
        if (context_)
            store_.loadPairModel(pairsPath);
        if (learning)
            settings_.putProgram(kProgram, kProgramPath, true);
        seams_.focusedProgram = [](std::string &name, std::string &path) {
            name = kProgram;
            path = kProgramPath;
        };
        seams_.sendImeChar = [this](unsigned char ch) { sent_ += static_cast<char>(ch); };
        seams_.eraseTyped = [this](int count) { erased_ += count; };
        seams_.hideList = [this] { shown_ = false; };
        seams_.showListAtCaret = [this] { shown_ = true; };
        seams_.typingPlace = [this] { return line_; };
    }
    ~Typist() {
        store_.forgetProgram(kProgram); // learned words are not written anywhere
        settings_.programs.clear();     // and no learned file is deleted
    }

    void type(const std::string &word, char ender, TypingTally &tally) {
        ++tally.words;
        tally.letters += static_cast<long>(word.size());
        if (!context_)
            store_.dropContext(kProgram);
        for (std::size_t typed = 1; typed <= word.size(); ++typed) {
            key(static_cast<unsigned char>(word[typed - 1]));
            ++tally.lettersTyped;
            if (typed == word.size() || store_.typedLength() != static_cast<int>(typed))
                continue; // nothing left to take, or a word too long for the store
            int row = rowMaking(store_, word);
            if (row < 0)
                continue;
            ++tally.picks;
            pick(row, word, tally);
            key(forwarded_key::kEscape); // the hook ends the empty word at the next other key
            finishWithoutLearning(word, ender);
            return;
        }
        // Enter reaches the handler only while the list is up; any other key ends the word as Escape.
        key(ender == '\n' && shown_ ? forwarded_key::kEnter : forwarded_key::kEscape);
        finishWithoutLearning(word, ender);
    }

private:
    // Without learning no key ends the word (it would count), so the store is told of it directly;
    // the ender's own line break then moves the caret.
    void finishWithoutLearning(const std::string &word, char ender) {
        if (!learning_) {
            store_.reset();
            store_.noteFinishedWord(kProgram, word);
            store_.placeContext(kProgram, line_);
        }
        if (ender == '\n')
            ++line_;
    }

    void key(int k) {
        if (!learning_ && (k == forwarded_key::kEscape || k == forwarded_key::kEnter))
            return; // ending a word would bump the base vocabulary
        handleKey(store_, settings_, seams_, k);
    }

    void pick(int row, const std::string &word, TypingTally &tally) {
        if (!learning_) {
            store_.reset();
            return;
        }
        std::string typed = store_.currentWord();
        sent_.clear();
        erased_ = 0;
        // Row 1 is Shift+Space or Ctrl+1; the others Ctrl and their digit, 0 for the tenth.
        key(row == 0 ? forwarded_key::kSpace : '0' + (row + 1) % 10);
        if (erased_ > static_cast<int>(typed.size()) || typed.substr(0, typed.size() - erased_) + sent_ != word)
            ++tally.wrongPicks;
    }

public:
    // Types a misspelling as a word of its own; true when the page offered meant meanwhile.
    bool offers(const std::string &misspelled, const std::string &meant) {
        store_.reset();
        store_.dropContext(kProgram);
        bool offered = false;
        for (char ch : misspelled) {
            key(static_cast<unsigned char>(ch));
            offered = offered || pageOffers(store_, meant);
        }
        store_.reset();
        return offered;
    }

private:

    WordStore store_;
    Settings settings_;
    KeyHandlerSeams seams_;
    bool learning_;
    bool context_;
    bool shown_ = false;
    long long line_ = 0;
    std::string sent_;
    int erased_ = 0;
};

std::string lower(const std::string &word) {
    std::string out = word;
    std::transform(out.begin(), out.end(), out.begin(), lowerLetter);
    return out;
}

} // namespace

double TypingTally::savingsPercent() const {
    return letters == 0 ? 0.0 : 100.0 * static_cast<double>(letters - lettersTyped - picks) / letters;
}

double TypingTally::pickPercent() const { return words == 0 ? 0.0 : 100.0 * static_cast<double>(picks) / words; }

TypingTally typeTexts(const std::string &vocPath, const std::string &pairsPath, const std::vector<std::string> &texts,
                      bool learning) {
    TypingTally tally;
    Typist typist(vocPath, pairsPath, learning);
    for (const std::string &text : texts)
        forEachWord(text, [&](const std::string &word, char ender) { typist.type(word, ender, tally); });
    return tally;
}

TypingTally oracleTally(const std::string &vocPath, const std::vector<std::string> &texts) {
    WordTrie vocabulary(vocPath.c_str());
    vocabulary.setPath(nullptr);
    TypingTally tally;
    for (const std::string &text : texts) {
        forEachWord(text, [&](const std::string &word, char) {
            ++tally.words;
            tally.letters += static_cast<long>(word.size());
            // The store finds a word as typed and in lower case; a pick only pays with two letters left.
            std::string stored[2] = {word, lower(word)};
            for (std::size_t typed = 1; typed + 2 <= word.size(); ++typed) {
                std::string prefix = word.substr(0, typed);
                bool capitals = std::none_of(prefix.begin(), prefix.end(), [](char ch) { return ch >= 'a' && ch <= 'z'; });
                for (const std::string &candidate : stored) {
                    if (vocabulary.countOf(candidate.c_str()) > 0 && completion(prefix, candidate, capitals) == word) {
                        tally.lettersTyped += static_cast<long>(typed);
                        ++tally.picks;
                        return;
                    }
                }
            }
            tally.lettersTyped += static_cast<long>(word.size());
        });
    }
    return tally;
}

double MisspellingTally::offeredPercent() const { return pairs == 0 ? 0.0 : 100.0 * offered / pairs; }

double MisspellingTally::earlyOfferedPercent() const {
    return earlyPairs == 0 ? 0.0 : 100.0 * earlyOffered / earlyPairs;
}

bool parseMisspellings(const std::string &contents, std::vector<std::pair<std::string, std::string>> &pairs,
                       long &badLine) {
    pairs.clear();
    badLine = 0;
    long number = 0;
    std::size_t at = 0;
    while (at < contents.size()) {
        std::size_t end = contents.find('\n', at);
        if (end == std::string::npos)
            end = contents.size();
        std::string line = contents.substr(at, end - at);
        at = end + 1;
        ++number;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        std::vector<std::string> words;
        std::size_t i = 0;
        while (i < line.size()) {
            while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
                ++i;
            std::size_t start = i;
            while (i < line.size() && line[i] != ' ' && line[i] != '\t')
                ++i;
            if (i > start)
                words.push_back(line.substr(start, i - start));
        }
        if (words.empty() || words[0][0] == '#')
            continue;
        bool wellFormed = words.size() == 2;
        for (const std::string &word : words)
            wellFormed = wellFormed && word.size() <= static_cast<std::size_t>(WordStore::kMaxTypedLength) &&
                         std::all_of(word.begin(), word.end(), isWordByte);
        if (!wellFormed) {
            badLine = number;
            pairs.clear();
            return false;
        }
        pairs.emplace_back(words[0], words[1]);
    }
    return true;
}

MisspellingTally typeMisspellings(const std::string &vocPath, const std::string &pairsPath,
                                  const std::vector<std::pair<std::string, std::string>> &pairs, long &skipped) {
    MisspellingTally tally;
    skipped = 0;
    WordTrie vocabulary(vocPath.c_str());
    vocabulary.setPath(nullptr);
    Typist typist(vocPath, pairsPath, false);
    for (const auto &pair : pairs) {
        const std::string &meant = pair.second;
        if (vocabulary.countOf(meant.c_str()) < 1 && vocabulary.countOf(lower(meant).c_str()) < 1) {
            ++skipped;
            continue;
        }
        std::size_t shared = 0;
        while (shared < pair.first.size() && shared < meant.size() &&
               lowerAscii(pair.first[shared]) == lowerAscii(meant[shared]))
            ++shared;
        bool offered = typist.offers(pair.first, meant);
        ++tally.pairs;
        tally.offered += offered;
        if (shared < 3) {
            ++tally.earlyPairs;
            tally.earlyOffered += offered;
        }
    }
    return tally;
}
