#pragma once

#include "launcher/compact_strings.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The catalogue's tokens: each lower-case word with its weight (the sum of the weights it was
// added with) and the numbers of the items it occurs in, ascending and each once. The lists are
// held as differences in 7-bit groups (mostly one or two bytes an item), a list of one item needs
// no heap block at all, and the tokens are found by prefix through one sorted array of numbers.
//
// New tokens wait in a short unsorted tail until settle() merges them in; the harvest adds a
// source at a time, and a search settles first. Not synchronised: the catalogue's lock covers it.
class TokenTable {
public:
    static constexpr uint32_t kNone = TextKeyedSet::kNone;
    // The weight of a word of visited pages (addVisited). Their words are kept apart from the
    // others, under a mark no typed word begins with, and found by visitedWithPrefix alone: the
    // many words of a browser's history neither crowd the words of programs and documents out of
    // the heaviest tokens of a prefix nor lengthen their item lists.
    static constexpr int32_t kVisitedOnly = -1;

    TokenTable() = default;
    ~TokenTable();
    TokenTable(const TokenTable &) = delete;
    TokenTable &operator=(const TokenTable &) = delete;

    // Adds weight to token (created if new) and returns its number. As the vocabulary's counts do,
    // a weight of 0 or below leaves the token with weight 0, which no search finds.
    uint32_t add(std::string_view token, int32_t weight);
    // The number of the token for a word of a visited page (weight kVisitedOnly), made if new.
    uint32_t addVisited(std::string_view word);
    // Records that token occurs in item, unless it is recorded already.
    void post(uint32_t token, uint32_t item);

    uint32_t find(std::string_view token) const;
    std::string_view text(uint32_t token) const { return texts_.at(refs_[token]); }
    int32_t weight(uint32_t token) const { return weights_[token]; }
    // How many items token occurs in.
    uint32_t itemCount(uint32_t token) const { return postings_[token].count; }
    // The items of token, ascending.
    void items(uint32_t token, std::vector<uint32_t> &out) const {
        out.clear();
        forEachItem(token, [&out](uint32_t item) { out.push_back(item); });
    }
    // Calls visit with each item of token, ascending, without a copy of the list.
    template <typename Visit> void forEachItem(uint32_t token, Visit visit) const {
        const Postings &list = postings_[token];
        if (!list.bytes) {
            if (list.count == 1)
                visit(list.last);
            return;
        }
        uint32_t value = 0;
        for (const uint8_t *at = list.bytes, *end = list.bytes + list.used; at < end;) {
            uint32_t delta = *at++;
            if (delta & 0x80) { // most gaps between a token's items take one byte
                delta &= 0x7f;
                for (int shift = 7;; shift += 7) {
                    const uint8_t byte = *at++;
                    delta |= uint32_t(byte & 0x7f) << shift;
                    if (!(byte & 0x80))
                        break;
                }
            }
            value += delta;
            visit(value);
        }
    }

    // Merges the tokens added since the last call into the sorted order.
    void settle();
    // The (at most max) heaviest tokens of weight 1 or more that begin with prefix, heaviest first,
    // equal weights in byte order. Settled tokens only.
    void heaviestWithPrefix(std::string_view prefix, size_t max, std::vector<uint32_t> &out) const;
    // The same for the tokens that begin with a text at one edit from word (a letter left out,
    // added, changed, or two neighbours swapped): the words a typing slip would have been meant as.
    void heaviestWithinOneEdit(std::string_view word, size_t max, std::vector<uint32_t> &out) const;
    // The (at most max) tokens of weight kVisitedOnly that begin with prefix, those whose first
    // (lowest numbered) item comes first, then in byte order: visited pages are numbered in the
    // order they rank, so the tokens of the pages that rank highest are taken. Settled tokens only.
    void visitedWithPrefix(std::string_view prefix, size_t max, std::vector<uint32_t> &out) const;

private:
    struct Postings {
        uint8_t *bytes = nullptr; // null while the list holds one item (then `last`)
        uint32_t used = 0;
        uint32_t capacity = 0;
        uint32_t last = 0;
        uint32_t count = 0;
    };

    static void appendNumber(Postings &list, uint32_t value);
    uint32_t firstItem(uint32_t token) const;
    void collectPrefix(std::string_view prefix, std::vector<uint32_t> &out, size_t cap, bool visitedOnly) const;
    void keepHeaviest(std::vector<uint32_t> &tokens, size_t max) const;

    CompactStrings texts_;
    TextKeyedSet byText_;
    std::vector<uint32_t> refs_;
    std::vector<int32_t> weights_;
    std::vector<Postings> postings_;
    std::vector<uint32_t> sorted_;  // settled token numbers in byte order of their texts
    size_t settledCount_ = 0;       // tokens numbered below this are in sorted_
};
