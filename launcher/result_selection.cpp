#include "launcher/result_selection.h"

#include "launcher/command_items.h"

#include <algorithm>
#include <unordered_set>
#include <utility>

namespace {

using Id = CatalogueItemTable::Id;

// Items with a key (lower is better), put in order only as far as they are read: a short query
// can match thousands of items, of which the list shows 25.
class LazyOrder {
public:
    void add(uint32_t key, Id id) { items_.push_back(uint64_t(key) << 32 | id); }
    // The next item in key order; false after the last.
    bool next(Id &id) {
        if (read_ == items_.size())
            return false;
        if (read_ == ready_) {
            const size_t end = std::min(items_.size(), ready_ + std::max<size_t>(64, ready_));
            if (end < items_.size())
                std::nth_element(items_.begin() + ready_, items_.begin() + end, items_.end());
            std::sort(items_.begin() + ready_, items_.begin() + end);
            ready_ = end;
        }
        id = Id(items_[read_++]);
        return true;
    }

private:
    std::vector<uint64_t> items_; // key, then item number
    size_t ready_ = 0;
    size_t read_ = 0;
};

// Item numbers and places in the byte order stay below 2^31 (an item's initials take four bits
// of a 32-bit entry), so the flag for initials goes above them.
const uint32_t kInitialsKey = uint32_t(1) << 31;

class Selection {
public:
    Selection(const CatalogueItemTable &table, const QueryMatches &matches, size_t limit,
              std::vector<std::string> &results)
        : table_(table), matches_(matches), limit_(limit), results_(results) {}

    void run(Id learned);

private:
    // The counted items of the groups (slip, page) that match, in the order of countedItems().
    using Kept = std::vector<Id>[2][2];

    bool full() const { return results_.size() >= limit_; }
    void offer(Id id) {
        std::string text(table_.text(id));
        if (keys_.insert(launchKey(text)).second)
            results_.push_back(std::move(text));
    }
    void offerAll(LazyOrder &order) {
        Id id;
        while (!full() && order.next(id))
            offer(id);
    }
    // The place of an item in the order its group's items of equal count are ranked by.
    uint32_t place(Id id, bool page) const { return page ? id : table_.byteRank(id); }
    void readCounted(const Id *from, const Id *end, Kept &kept);
    void offerCounted(const std::vector<Id> &ids);
    void offerUncounted(bool slip, bool pages);
    template <typename Visit> bool walk(bool pages, size_t maxSteps, uint32_t &stoppedAt, Visit visit) const;

    const CatalogueItemTable &table_;
    const QueryMatches &matches_;
    size_t limit_;
    std::vector<std::string> &results_;
    std::unordered_set<std::string> keys_;
};

// Groups of the rank, one after the other: exact matches, then slipped ones; within each, every
// other item, then the visited pages. Within a group: the use counts above 0, those never launched,
// the counts below 0. The first group's launched items are offered as they are read; the few
// matches of the other groups met on the way are kept for their turn, which seldom comes.
void Selection::run(Id learned) {
    if (learned != CatalogueItemTable::kNone)
        offer(learned);
    // The counted items in their order, or, when the driver has far fewer items than there are
    // counted ones, the driver's counted matches put in that order.
    const std::vector<Id> &counted = table_.countedItems();
    const Id *countedBegin = counted.data(), *countedEnd = counted.data() + counted.size();
    const Id *zeroFrom = countedBegin + table_.countedZeroFrom();
    const Id *negativeFrom = countedBegin + table_.countedNegativeFrom();
    std::vector<Id> fewer;
    if (matches_.driverItemsAtMost() < counted.size() / 4) {
        std::vector<std::pair<uint64_t, Id>> keyed;
        for (Id id : matches_.driverItems())
            if (table_.useCount(id) != 0 && matches_.worst(id) != QueryMatches::kNoMatch)
                keyed.emplace_back(table_.countedKey(id), id);
        std::sort(keyed.begin(), keyed.end());
        for (const auto &entry : keyed)
            fewer.push_back(entry.second);
        countedBegin = fewer.data();
        countedEnd = fewer.data() + fewer.size();
        zeroFrom = countedBegin;
        while (zeroFrom != countedEnd && table_.useCount(*zeroFrom) > 0)
            ++zeroFrom;
        negativeFrom = zeroFrom; // no count of 0 among them
    }
    Kept above, below;
    readCounted(countedBegin, zeroFrom, above);
    bool belowRead = false;
    for (int slip = 0; slip < 2 && !full(); ++slip) {
        for (int page = 0; page < 2 && !full(); ++page) {
            if (!matches_.possible(slip != 0, page != 0))
                continue;
            if (slip || page)
                offerCounted(above[slip][page]);
            if (!full())
                offerUncounted(slip != 0, page != 0);
            if (full())
                return;
            if (!belowRead) {
                readCounted(negativeFrom, countedEnd, below);
                belowRead = true;
            }
            offerCounted(below[slip][page]);
        }
    }
}

// Reads counted items of one sign of count, in the order of countedItems(): the matches of the
// first group are offered until the results are full, the others kept. An item matched by its
// initials waits until the items of its count matched by word prefixes are offered.
void Selection::readCounted(const Id *from, const Id *end, Kept &kept) {
    std::vector<Id> initials;
    int32_t initialsCount = 0;
    for (const Id *at = from; at < end; ++at) {
        const Id id = *at;
        const QueryMatches::Kind kind = matches_.worst(id);
        if (kind == QueryMatches::kNoMatch)
            continue;
        if (full())
            return;
        const bool slip = kind == QueryMatches::kOneSlip, page = table_.isVisitedPage(id);
        if (slip || page) {
            kept[slip][page].push_back(id);
            continue;
        }
        const int32_t count = table_.useCount(id);
        if (!initials.empty() && count != initialsCount) {
            for (size_t i = 0; i < initials.size() && !full(); ++i)
                offer(initials[i]);
            initials.clear();
        }
        if (kind == QueryMatches::kInitials) {
            initialsCount = count;
            initials.push_back(id);
        } else if (!full()) {
            offer(id);
        }
    }
    for (size_t i = 0; i < initials.size() && !full(); ++i)
        offer(initials[i]);
}

// Offers ids, items of one group in the order of countedItems(): within each count, word prefixes
// before initials.
void Selection::offerCounted(const std::vector<Id> &ids) {
    for (size_t from = 0, end; from < ids.size() && !full(); from = end) {
        const int32_t count = table_.useCount(ids[from]);
        for (end = from + 1; end < ids.size() && table_.useCount(ids[end]) == count;)
            ++end;
        for (int pass = 0; pass < 2; ++pass)
            for (size_t at = from; at < end && !full(); ++at)
                if ((matches_.worst(ids[at]) == QueryMatches::kInitials) == (pass == 1))
                    offer(ids[at]);
    }
}

// Visits the items of the byte order, or the visited pages by number, one by one from the first,
// until visit says to stop (false) or maxSteps items were visited; stoppedAt is then the place of
// the next item. True when every item was visited.
template <typename Visit>
bool Selection::walk(bool pages, size_t maxSteps, uint32_t &stoppedAt, Visit visit) const {
    size_t steps = 0;
    if (!pages) {
        const std::vector<Id> &order = table_.byteOrder();
        for (uint32_t at = 0; at < order.size(); ++at) {
            if (steps++ == maxSteps || !visit(order[at])) {
                stoppedAt = at;
                return false;
            }
        }
        return true;
    }
    for (const auto &range : table_.pageRanges()) {
        for (Id id = range.first; id < range.second; ++id) {
            if (steps++ == maxSteps || !visit(id)) {
                stoppedAt = id;
                return false;
            }
        }
    }
    return true;
}

// The items of one group that were never launched: word prefixes (or slips) in byte order (pages
// by number), then initials. Where the group's matches lie densely in that order they are read
// off it; a walk that finds them too seldom gives way after half as many steps as the driver has
// items, and the rest come from the driver's items, ranked by their places.
void Selection::offerUncounted(bool slip, bool pages) {
    const QueryMatches::Kind first = slip ? QueryMatches::kOneSlip : QueryMatches::kWordPrefix;
    const QueryMatches::Kind then = slip ? QueryMatches::kNoMatch : QueryMatches::kInitials;
    uint32_t stoppedAt = 0;
    const bool walkedAll = walk(pages, matches_.driverItemsAtMost() / 2, stoppedAt, [&](Id id) {
        if (matches_.worst(id) == first && table_.useCount(id) == 0)
            offer(id);
        return !full();
    });
    if (full() || (walkedAll && then == QueryMatches::kNoMatch))
        return;
    LazyOrder rest;
    for (Id id : matches_.driverItems()) {
        const QueryMatches::Kind kind = matches_.worst(id);
        if (kind == QueryMatches::kNoMatch || (kind != first && kind != then) || table_.isVisitedPage(id) != pages ||
            table_.useCount(id) != 0)
            continue;
        const uint32_t at = place(id, pages);
        if (kind == first && (walkedAll || at < stoppedAt))
            continue; // walked past already
        rest.add((kind == then ? kInitialsKey : 0) | at, id);
    }
    offerAll(rest);
}

} // namespace

void selectResults(const CatalogueItemTable &table, const QueryMatches &matches, CatalogueItemTable::Id learned,
                   size_t limit, std::vector<std::string> &results) {
    results.clear();
    Selection(table, matches, limit, results).run(learned);
}
