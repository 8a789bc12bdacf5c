#pragma once

#include "common/thread_mutex.h"
#include "vocabulary/learned_pairs.h"
#include "vocabulary/pair_model.h"
#include "vocabulary/spelling_corrections.h"
#include "vocabulary/word_trie.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

// Every vocabulary that word completion draws on (the base vocabulary, the user's custom word
// list, one learned vocabulary per program) and the state of the word being typed: its
// suggestions, the highlighted one and the page shown.
//
// Context: for each program the store remembers the last word finished there. Once a word has
// been finished, the candidates for the typed letters are ranked by how likely each is right
// after it, from the shipped pair model and the pairs learned in that program, mixed with each
// word's own count; with no word before (or none either source knows) the order is by count.
// Learned pairs live in "<programKey>.pairs" beside the program's ".vob" (learned_pairs.h).
//
// Threads: every operation runs on the UI thread except the destructor (worker thread, after the
// message loop has ended). The keystroke operations only try the lock and give up at once when
// another thread holds it; the constructor and loadWordList wait for it. The lock is recursive
// for its holder. selectNext and selectPrevious take no lock.
class WordStore {
public:
    // Loads the base vocabulary from basePath (a missing file gives an empty one, created at
    // shut-down). maxSuggestions bounds the list; pageSize is the number of rows shown at once.
    // Learned vocabularies are "<programKey>.vob" files in learnedFolder (ending with a folder
    // separator; empty for the current directory, tests only).
    WordStore(const std::string &basePath, int maxSuggestions, int pageSize, const std::string &learnedFolder = "");
    // Writes the base vocabulary, the custom word list and every learned vocabulary (key order).
    ~WordStore();
    WordStore(const WordStore &) = delete;
    WordStore &operator=(const WordStore &) = delete;

    // Adds ch to the current word (8 is Backspace) and recomputes the suggestions: the program's
    // learned words as typed, then the custom and base words as typed and in lower case. When
    // these leave rows of the first page free, the free rows take corrections: the words the
    // typed letters probably meant (spelling_corrections.h), ranked like the others by count and
    // context. True when there is at least one suggestion; false also when the lock is busy.
    bool feedCharacter(char ch, const std::string &programKey, bool offerTypedWord);
    // Takes the row of the shown page that digit names (1 first, 0 the tenth, wrapping): learns
    // the word where learningAllowed and resets. A word that begins with the typed letters sets
    // remainder to its untyped rest and erase to 0; a correction sets erase to the number of typed
    // characters, which the caller erases first, and remainder to the whole word with the user's
    // capitals (correctionAsTyped). False when the lock is busy or nothing was taken.
    bool completeSuggestion(int digit, std::string &remainder, int &erase, const std::string &programKey,
                            bool learningAllowed);
    // Whether completeSuggestion would take a row for digit now; false also when the lock is busy.
    bool canComplete(int digit);
    // A word of 5 or more characters ended without a pick: learned when allowed, bumped in the
    // base vocabulary and custom list when they know it. The caller resets afterwards. A word no
    // vocabulary knows that a correction on the list spells whole (one the user finished by hand
    // while the list offered the word meant) is taken as a misspelling: it stays the context of
    // the next word but is never learned, bumped or paired.
    void learnTypedWord(const std::string &programKey, bool learningAllowed);
    // Deletes suggestion index from every vocabulary that holds it (count 0), then resets.
    void deleteSuggestion(int index, const std::string &programKey);
    // An empty word, capitals mode on, no suggestions, nothing highlighted.
    void reset();
    void selectNext();
    void selectPrevious();
    // Writes the current custom word list back and replaces it by the file at path. A list that
    // cannot be read (or has a line too long to be a word) is refused, its file left untouched,
    // and the store keeps no custom list; the result is then false.
    bool loadWordList(const std::string &path);
    // Drops the program's learned vocabulary and pairs from memory without writing them, and its
    // context.
    void forgetProgram(const std::string &programKey);
    // Replaces the shipped pair model by the file at path (waits for the lock); false, and no
    // model, when it cannot be read whole and well-formed.
    bool loadPairModel(const std::string &path);
    // The word finished in the program becomes the one its next word is ranked after; nothing
    // is learned. learnTypedWord and completeSuggestion do this themselves.
    void noteFinishedWord(const std::string &programKey, const std::string &word);
    // Where the program is typed in (a number that changes with the focus window and the caret
    // line): a word finished at another place than this one is no context any more.
    void placeContext(const std::string &programKey, long long place);
    // The program's next word has no word before it (Enter ended the line).
    void dropContext(const std::string &programKey);
    // The vocabulary files found since the last call that could not be read whole and so will
    // not be written back (what is learned in them is not saved). Each file is reported once.
    // False when the lock is busy.
    bool takeUnsavableFiles(std::vector<std::string> &paths);

    // What the suggestion window reads; hold lock() (tryWait) around reading these.
    ThreadMutex &lock() { return lock_; }
    const std::vector<suggestion> &suggestions() const { return suggestions_; }
    const std::string &currentWord() const { return currentWord_; }
    int typedLength() const { return typedLength_; }
    bool capitalsMode() const { return capitalsMode_; }
    int selectedIndex() const { return selectedIndex_; }
    int pageStart() const { return pageStart_; }
    int pageEnd() const { return pageEnd_; }
    int maxSuggestions() const { return maxSuggestions_; }
    int pageSize() const { return pageSize_; }
    // Whether suggestion index is a correction rather than a word beginning with the typed letters.
    bool isCorrection(int index) const { return index >= correctionsFrom_; }
    // A correction as its pick types it: in capitals in capitals mode after more than one letter,
    // else with a capital first letter when the user typed one.
    std::string correctionAsTyped(const std::string &word) const;

    // The longest current word; the next character starts a new word.
    static const int kMaxTypedLength = 47;

    // For tests and tools: the vocabularies themselves (custom and learned may be null).
    WordTrie &baseVocabulary() { return *base_; }
    WordTrie *customWordList() { return custom_.get(); }
    WordTrie *learnedVocabulary(const std::string &programKey);
    LearnedPairs *learnedPairs(const std::string &programKey);
    const PairModel &pairModel() const { return pairModel_; }

    // A pair is learned only when its following word has at least this many characters, the
    // shortest that the base vocabulary holds.
    static const int kShortestPairWord = 4;

private:
    struct Context {
        std::string previous; // lower case; empty for none
        int modelWord = -1;   // previous in the pair model
        bool placed = false;
        long long place = 0;
    };

    WordTrie &obtainLearned(const std::string &programKey);
    LearnedPairs &obtainPairs(const std::string &programKey);
    void finishWordLocked(const std::string &programKey, const std::string &word, bool learnPair);
    // What ranks a word after the program's previous word: the pairs learned in the program and
    // the shipped model. likelihoodOf is false when there is no such word or neither source knows it.
    struct Likelihood;
    bool likelihoodOf(const std::string &programKey, Likelihood &out);
    void rankByContext(const std::string &programKey);
    void addCorrections(const std::string &programKey);
    int32_t ownCount(const std::string &word, WordTrie &learned);
    bool knownWord(const std::string &word, WordTrie &learned);
    int32_t suggestibleCount(const std::string &word, WordTrie &learned);
    void searchCustomAndBase(const std::string &word);
    void mergeSecondary();
    void resetLocked();
    int pickIndexLocked(int digit) const;
    void noteIfUnsavable(bool refuses, const std::string &path);

    std::unique_ptr<WordTrie> base_;
    std::unique_ptr<WordTrie> custom_;
    std::string currentWord_;
    std::string lowerWord_;
    int typedLength_;
    bool capitalsMode_;
    int selectedIndex_;
    int pageStart_;
    int pageEnd_;
    std::vector<suggestion> suggestions_;
    std::vector<suggestion> secondary_;
    int correctionsFrom_;        // suggestions from this index on are corrections
    bool wholeCorrectionListed_; // one of them is spelled whole by the typed letters
    SpellingCorrector corrector_;
    std::vector<Correction> found_; // scratch of the correction search
    ThreadMutex lock_;
    std::map<std::string, std::unique_ptr<WordTrie>> learned_;
    std::map<std::string, std::unique_ptr<LearnedPairs>> pairs_;
    std::map<std::string, Context> contexts_;
    PairModel pairModel_;
    int maxSuggestions_;
    int pageSize_;
    std::string learnedFolder_;
    std::vector<std::string> unsavable_;      // not yet reported
    std::vector<std::string> reportedUnsavable_;
};
