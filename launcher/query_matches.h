#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// How the words of one query matched the catalogue's items: a byte per word and item, filled from
// the tokens' item lists and the initials. One word, the driver, is the one expected to match the
// fewest items: every item that all words match is among its items, so a search that needs the
// matches one by one reads those rather than the whole catalogue.
class QueryMatches {
public:
    // How a word matched an item, from the best to the worst; an item matched by several words
    // ranks by its worst.
    enum Kind : uint8_t { kNoMatch = 0, kWordPrefix = 1, kInitials = 2, kOneSlip = 3 };

    // driverItemsAtMost: how many items the driver can match at most (its tokens' lists and
    // initials, counted with repeats).
    QueryMatches(size_t itemCount, size_t wordCount, size_t driver, size_t driverItemsAtMost)
        : itemCount_(itemCount), wordCount_(wordCount), driver_(driver), driverItemsAtMost_(driverItemsAtMost),
          kinds_(itemCount * wordCount, kNoMatch) {}

    // The bytes of word, one per item: kNoMatch, or how word matched the item.
    uint8_t *row(size_t word) { return kinds_.data() + word * itemCount_; }
    // Records that word matched item as kind, unless it matched it better already.
    void mark(size_t word, uint32_t item, Kind kind) {
        uint8_t &current = row(word)[item];
        if (current == kNoMatch || kind < current)
            current = kind;
    }
    // The worst way a word matched item; kNoMatch unless every word matched it.
    Kind worst(uint32_t item) const {
        if (wordCount_ == 1)
            return Kind(kinds_[item]);
        uint8_t result = kNoMatch;
        for (size_t word = 0; word < wordCount_; ++word) {
            const uint8_t kind = kinds_[word * itemCount_ + item];
            if (kind == kNoMatch)
                return kNoMatch;
            result = kind > result ? kind : result;
        }
        return Kind(result);
    }
    size_t driverItemsAtMost() const { return driverItemsAtMost_; }
    // Whether the query can match items of a group of the rank at all: slipped or exact matches,
    // visited pages or other items. All can, unless told otherwise.
    void setPossible(bool slip, bool page, bool possible) { possible_[slip][page] = possible; }
    bool possible(bool slip, bool page) const { return possible_[slip][page]; }
    // The items the driver matched, ascending; listed at the first call, once every word is marked.
    const std::vector<uint32_t> &driverItems() const;

private:
    size_t itemCount_;
    size_t wordCount_;
    size_t driver_;
    size_t driverItemsAtMost_;
    std::vector<uint8_t> kinds_; // word by word, a byte per item
    mutable std::vector<uint32_t> driverItems_;
    mutable bool driverListed_ = false;
    bool possible_[2][2] = {{true, true}, {true, true}};
};
