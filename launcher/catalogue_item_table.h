#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

// The catalogue's items, each held once and known by a number, with the numbers of the items
// every token occurs in and, per item, the use count of its target.
//
// A search on a large catalogue meets tens of thousands of items per keystroke; as numbers they
// are gathered, de-duplicated and ranked without copying, hashing or comparing their texts.
// Items are never removed, so a number stays valid for the table's life.
//
// Not synchronised: the catalogue's lock covers every call.
class CatalogueItemTable {
public:
    using Id = uint32_t;

    // The number of item, which is added with its target unless present; second is true when it
    // was added now.
    std::pair<Id, bool> add(const std::string &item, const std::string &target);
    // Records that token occurs in item id, unless it is recorded already.
    void post(const std::string &token, Id id);

    // The items token occurs in, in the order they were first added (by number); null when none.
    const std::vector<Id> *postings(const std::string &token) const;
    const std::string &text(Id id) const { return items_[id]; }
    size_t size() const { return items_.size(); }

    // Whether target belongs to an item already in the table.
    bool hasTarget(const std::string &target) const;
    // Makes count the use count of target's items, present and future. The count is read at every
    // ranking, so it must stay where it is (a node of the use-count map).
    void bindCount(const std::string &target, const int32_t *count);
    // The use count of item id's target, 0 when it has none.
    int32_t useCount(Id id) const {
        const int32_t *count = targetCounts_[itemTargets_[id]];
        return count ? *count : 0;
    }

private:
    uint32_t targetNumber(const std::string &target);

    std::deque<std::string> items_; // a deque keeps the texts in place for the views below
    std::unordered_map<std::string_view, Id> itemIds_;
    std::vector<uint32_t> itemTargets_; // per item, its target's number

    std::deque<std::string> targets_;
    std::unordered_map<std::string_view, uint32_t> targetIds_;
    std::vector<const int32_t *> targetCounts_; // per target; null when it has no count

    std::unordered_map<std::string, std::vector<Id>> postings_;
};
