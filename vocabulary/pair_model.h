#pragma once

#include <cstdint>
#include <string>

// The shipped model of word pairs: how likely a word is right after another, for the previous
// words common enough to be worth it, and for the others a fall-back through each word's own count.
// Read from one compact file that tools/make_english_pairs.py writes (its head describes the
// bytes); the file is held as it is and read in place, so loading is one read and one check.
//
// Not safe for concurrent loading and reading; the word store serialises both under its lock.
class PairModel {
public:
    // Replaces the model by the file at path. False, and an empty model, when the file cannot be
    // read or is not a whole, well-formed model.
    bool load(const std::string &path);
    // The same for the bytes of a model file (the fuzz target's entry).
    bool loadBytes(std::string bytes);
    bool empty() const { return wordCount_ == 0; }
    std::size_t memoryBytes() const { return data_.capacity(); }

    // The word whose lower-case form is lowerWord, -1 when the model does not know it.
    int find(const std::string &lowerWord) const;
    // log10 of the share of probability a previous word leaves to the words it has no pair with.
    double backoffLog10(int previous) const;
    // log10 of the probability of a word seen on its own, from its vocabulary count.
    double ownLog10(int32_t count) const;
    // Calls take(text, log10 probability) for each pair of previous whose following word, in
    // lower case, begins with lowerPrefix; in the order of the following words.
    template <typename Take> void forEachFollower(int previous, const std::string &lowerPrefix, Take take) const;

private:
    uint32_t firstPair(uint32_t word) const;
    const char *text(uint32_t word) const;
    // <0, 0 or >0 as the lower-case form of word sorts before, at the start of, or after prefix.
    int comparePrefix(uint32_t word, const std::string &lowerPrefix) const;

    std::string data_;
    uint32_t wordCount_ = 0;
    uint32_t pairCount_ = 0;
    double intercept_ = 0.0;
    double slope_ = 0.0;
    std::size_t wordsAt_ = 0, pairsAt_ = 0, textAt_ = 0;
};

// Each pair: the index of the following word and its probability in steps of 1/32 of a decade.
template <typename Take>
void PairModel::forEachFollower(int previous, const std::string &lowerPrefix, Take take) const {
    if (previous < 0 || static_cast<uint32_t>(previous) >= wordCount_)
        return;
    uint32_t begin = firstPair(previous);
    uint32_t end = static_cast<uint32_t>(previous) + 1 < wordCount_ ? firstPair(previous + 1) : pairCount_;
    auto followerOf = [this](uint32_t pair) {
        const unsigned char *at = reinterpret_cast<const unsigned char *>(data_.data()) + pairsAt_ + 5 * pair;
        return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 | static_cast<uint32_t>(at[2]) << 16 |
               static_cast<uint32_t>(at[3]) << 24;
    };
    // The pairs are ordered by following word, so the ones beginning with the prefix are a run.
    uint32_t low = begin, high = end;
    while (low < high) {
        uint32_t middle = low + (high - low) / 2;
        if (comparePrefix(followerOf(middle), lowerPrefix) < 0)
            low = middle + 1;
        else
            high = middle;
    }
    for (uint32_t pair = low; pair < end; ++pair) {
        uint32_t follower = followerOf(pair);
        if (comparePrefix(follower, lowerPrefix) != 0)
            break;
        unsigned steps = static_cast<unsigned char>(data_[pairsAt_ + 5 * pair + 4]);
        take(text(follower), -static_cast<double>(steps) / 32.0);
    }
}
