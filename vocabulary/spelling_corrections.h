#pragma once

#include "vocabulary/word_trie.h"

#include <cstdint>
#include <string>
#include <vector>

// Words the typed letters were probably meant as: words whose beginning the letters spell despite
// a slip or one of the common sound-alike spellings of English. The trie is walked letter by
// letter along the typed letters, so nothing is stored beside the vocabularies.
//
// What a spelling may stray by is counted in steps. A sound-alike spelling is one step: ph for f
// and back, c for k or s and back, ie for ei, a single letter for a double one and back, a silent
// letter left out (wr, kn, gn, mb, ps, wh, gh, h), one vowel for another. Any other slip is two: a
// letter changed, left out or added, or two neighbours swapped.

struct Correction {
    std::string text; // as stored
    int32_t count;    // in the vocabulary it was found in
    double weight;    // kStepWeight to the power of the steps its spelling strays by
    bool whole;       // the typed letters spell the whole word, not only its beginning nor it
                      // and more ("account" for "accounts" is not whole)
};

// How many steps the typed letters may stray by: none below three letters (where nearly every
// word lies one slip away), else two: one slip, or two sound-alikes.
int correctionSteps(int typedLength);

// The weight of one step: a word met through one slip ranks like a word of 1/50 of its count.
// Tuned on codespell's list of common misspellings (README.md, "Spelling corrections").
extern const double kStepWeight;

// Finds corrections; keeps its scratch space from one search to the next, so that a keystroke
// allocates next to nothing. Not safe for concurrent use.
class SpellingCorrector {
public:
    SpellingCorrector();
    ~SpellingCorrector();
    SpellingCorrector(const SpellingCorrector &) = delete;
    SpellingCorrector &operator=(const SpellingCorrector &) = delete;

    // Fills out with the words of vocabulary that lowerTyped (the typed letters in lower case)
    // begins despite slips within correctionSteps: the max best by count times weight, best
    // first, each word once with its best spelling. Words that begin with the typed letters
    // themselves (whatever their case) are the listing's own and are left out. Case is compared
    // through lowerAscii; bytes 0x80 to 0xFF take part in slips like any letter.
    void find(const WordTrie &vocabulary, const std::string &lowerTyped, int max, std::vector<Correction> &out);

private:
    struct Seen;
    void visit(TriePlace at, std::size_t i, int steps);
    void follow(TriePlace at, const char *spelled, std::size_t i, int steps);
    bool firstVisit(TriePlace at, std::size_t i, int steps);
    bool cannotReach(TriePlace at, int steps) const;
    static double weightOf(int steps);
    void gather(TriePlace at, int steps);
    void collect(TriePlace at, std::size_t agreed, int max, std::vector<Correction> &out);
    void offer(const char *rest, int32_t count, bool whole, int max, std::vector<Correction> &out);

    const WordTrie *trie_ = nullptr;
    std::string typed_;
    int budget_ = 0;
    int max_ = 0;
    std::vector<Correction> *out_ = nullptr;
    std::vector<uint64_t> soundsAt_; // per typed position: the sound-alikes whose typed side is there
    std::string path_;               // the word's letters along the walk, as stored
    std::vector<Seen> seen_;         // states of the walk, by place and typed position
    uint32_t generation_ = 0;
    std::size_t seenCount_ = 0;
    double weight_ = 1.0;       // of the place being gathered
    std::size_t hitLength_ = 0; // the path's length where a word is spelled whole; npos: none
};
