#pragma once

#include "launcher/compact_strings.h"

#include <climits>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The catalogue's items, each held once and known by a number, with, per item, the use count of
// its target and the initials of its name (see name_initials.h), which are found by prefix.
//
// A search on a large catalogue meets tens of thousands of items per keystroke; as numbers they
// are gathered, de-duplicated and ranked without copying, hashing or comparing their texts: the
// table keeps the items in byte order of their texts (and each item's place in it), so items of
// equal use are ranked by comparing two numbers, and the first of them are read off in order.
// Items are never removed, so a number stays valid for the table's life. The texts lie packed in
// blocks and the items of one target are chained, so an item costs its bytes and a few numbers.
//
// Not synchronised: the catalogue's lock covers every call.
class CatalogueItemTable {
public:
    using Id = uint32_t;
    static constexpr Id kNone = TextKeyedSet::kNone;

    // The number of item, which is added with its target (a prefix of item) unless present; second
    // is true when it was added now. A visited page of the browsers' history is not found by its
    // initials (its title's would only add noise and memory) and ranks by its number, not its bytes
    // (the harvest adds the pages in their order), so it is left out of the byte order.
    std::pair<Id, bool> add(const std::string &item, const std::string &target, bool visitedPage = false);

    std::string_view text(Id id) const {
        const std::string_view whole = record(id);
        return whole.substr(1 + uint8_t(whole[0]));
    }
    std::string_view initials(Id id) const {
        const std::string_view whole = record(id);
        return whole.substr(1, uint8_t(whole[0]));
    }
    size_t size() const { return refs_.size(); }
    bool isVisitedPage(Id id) const {
        for (const auto &range : pageRanges_)
            if (id >= range.first && id < range.second)
                return true;
        return false;
    }
    // The visited pages, as ranges [first, end) of numbers in ascending order.
    const std::vector<std::pair<Id, Id>> &pageRanges() const { return pageRanges_; }

    // Whether target belongs to an item already in the table.
    bool hasTarget(const std::string &target) const { return firstOfTarget(target) != kNone; }
    // The first item of target, kNone when there is none; nextOfTarget walks the others.
    Id firstOfTarget(std::string_view target) const;
    Id nextOfTarget(Id id) const { return nextOfTarget_[id]; }
    // Makes count the use count of target's items, present and future. The count is read at every
    // ranking, so it must stay where it is (a node of the use-count map). Called again whenever the
    // count changes, so that the next settle() puts the counted items in order again.
    void bindCount(const std::string &target, const int32_t *count);
    // The use count of item id's target, 0 when it has none.
    int32_t useCount(Id id) const {
        const int32_t *count = counts_[countSlots_[id]];
        return count ? *count : 0;
    }
    // The items whose target has a use count (bound by bindCount), highest count first, equal
    // counts in byte order (visited pages by number), as of the last settle(): a search reads these
    // few in order and ranks every other item by its bytes or number alone.
    const std::vector<Id> &countedItems() const { return countedItems_; }
    // Where in countedItems() the counts of 0 begin, and those below 0.
    size_t countedZeroFrom() const { return countedZeroFrom_; }
    size_t countedNegativeFrom() const { return countedNegativeFrom_; }
    // What countedItems() is ordered by, lowest first: the count, then the place in the byte
    // order (a visited page's number). Settled items only.
    uint64_t countedKey(Id id) const {
        const uint64_t inverse = uint64_t(int64_t(INT32_MAX) - int64_t(useCount(id)));
        return inverse << 32 | (isVisitedPage(id) ? id : byteRanks_[id]);
    }

    // Merges the initials and texts of the items added since the last call into their sorted
    // orders, and orders the counted items again after a count or the byte order changed.
    void settle();
    // The settled items other than visited pages, in byte order of their texts.
    const std::vector<Id> &byteOrder() const { return byteOrder_; }
    // The place of a settled item that is no visited page in byteOrder().
    uint32_t byteRank(Id id) const { return byteRanks_[id]; }
    // The items whose initials, from some word on, begin with prefix (two bytes or more), at most
    // max of them, possibly repeated. Settled items only.
    void withInitials(std::string_view prefix, size_t max, std::vector<Id> &out) const;

private:
    std::string_view record(Id id) const { return texts_.at(refs_[id]); }
    size_t initialsLength(Id id) const { return uint8_t(record(id)[0]); }
    std::string_view targetOf(Id id) const;
    std::string_view initialsFrom(uint32_t entry) const { return initials(entry >> 4).substr(entry & 15); }
    void orderCountedItems();

    CompactStrings texts_;                  // per item: initials length, initials, item text
    std::vector<uint32_t> refs_;            // per item
    std::vector<Id> nextOfTarget_;          // per item: the next item of the same target
    std::vector<uint32_t> countSlots_;      // per item: its slot in counts_ (0: no count)
    std::vector<const int32_t *> counts_{nullptr};
    TextKeyedSet byTarget_;                 // the first item of every target

    std::vector<Id> countedItems_;          // items whose target has a slot in counts_
    bool countsMoved_ = false;              // countedItems_ is to be ordered again
    size_t countedZeroFrom_ = 0;
    size_t countedNegativeFrom_ = 0;
    std::vector<std::pair<Id, Id>> pageRanges_;

    // Item number (high bits) and the word its initials are taken from (low 4 bits), for every
    // word that leaves two initials or more; in byte order of those initials once settled.
    std::vector<uint32_t> initialsOrder_;
    std::vector<Id> byteOrder_;             // settled items but visited pages, by text
    std::vector<uint32_t> byteRanks_;       // per settled item: its place in byteOrder_
    size_t settledItems_ = 0;
};
