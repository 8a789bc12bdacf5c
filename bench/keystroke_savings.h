#pragma once

#include <string>
#include <utility>
#include <vector>

// How much typing word completion saves: plain texts are typed into one program letter by letter
// through the real word store and keystroke handler, and each word is taken with one pick as soon
// as it shows on the visible page of the list.

// What one way of typing the texts cost. A word is a run of the letters A-Z and a-z, the keys the
// hook library forwards; every other character ends the word.
struct TypingTally {
    long words = 0;
    long letters = 0;      // letters of all words
    long lettersTyped = 0; // letters the user pressed
    long picks = 0;        // Ctrl+digit or Shift+Space, one key each
    long wrongPicks = 0;   // picks whose typed rest did not make the word (a fault of the store)

    // Keys saved over letters of words, in percent: a pick saves the letters it types, less itself.
    double savingsPercent() const;
    double pickPercent() const;
};

// Types the texts one after another into one program through a word store over the base
// vocabulary at vocPath (never written back), ranking by the words before with the pair model at
// pairsPath, or by counts alone when pairsPath is empty (no pairs learned either). Each line of a
// text is typed on a line of its own, so a word at the start of a line has no word before it. With learning the program may learn: words ended
// without a pick are learned, picks are learned, and the base vocabulary's counts are bumped, as
// in use. Without it the vocabularies stay as loaded: a word that shows on the page counts as
// picked and the word is simply dropped. The learned vocabulary is named after the program and
// read from the current directory, so run this in an empty one.
TypingTally typeTexts(const std::string &vocPath, const std::string &pairsPath, const std::vector<std::string> &texts,
                      bool learning);

// The limit of single-word completion with this vocabulary: every word the base vocabulary can
// complete is taken with one pick after its first letter (or as few as its case needs).
TypingTally oracleTally(const std::string &vocPath, const std::vector<std::string> &texts);

// How often a misspelled word brings the word meant onto the visible page of the list while it is
// typed letter by letter: over all pairs, and over those whose slip lies in the first three letters
// (the misspelling and the word share fewer than three first letters, case aside).
struct MisspellingTally {
    long pairs = 0;
    long offered = 0;
    long earlyPairs = 0;
    long earlyOffered = 0;

    double offeredPercent() const;
    double earlyOfferedPercent() const;
};

// One pair a line, "misspelled correct", the two words separated by blanks; empty lines and lines
// beginning with # are skipped. False, with the number of the first bad line, when a line is not
// two words of letters (A-Z, a-z, or bytes 0x80 to 0xFF) of at most 47 characters.
bool parseMisspellings(const std::string &contents, std::vector<std::pair<std::string, std::string>> &pairs,
                       long &badLine);

// Types each misspelling into a fresh word with nothing before it, through a word store over the
// vocabulary at vocPath and the pair model at pairsPath (never written back), without learning.
// Pairs whose correct word the vocabulary does not hold are not counted; skipped counts them.
MisspellingTally typeMisspellings(const std::string &vocPath, const std::string &pairsPath,
                                  const std::vector<std::pair<std::string, std::string>> &pairs, long &skipped);
