#include "launcher/catalogue_item_table.h"

#include "launcher/name_initials.h"

#include <algorithm>

namespace {

std::string_view targetPart(std::string_view item) {
    const size_t tabs = item.find("\t\t");
    return tabs == std::string_view::npos ? item : item.substr(0, tabs);
}

const size_t kMinInitials = 2; // one letter is already a word prefix

} // namespace

std::string_view CatalogueItemTable::targetOf(Id id) const { return targetPart(text(id)); }

CatalogueItemTable::Id CatalogueItemTable::firstOfTarget(std::string_view target) const {
    return byTarget_.find(target, [this](uint32_t id) { return targetOf(id); });
}

std::pair<CatalogueItemTable::Id, bool> CatalogueItemTable::add(const std::string &item, const std::string &target,
                                                                bool visitedPage) {
    const Id first = firstOfTarget(target);
    for (Id id = first; id != kNone; id = nextOfTarget_[id])
        if (text(id) == item)
            return {id, false};
    const Id id = Id(refs_.size());
    if (visitedPage) {
        if (!pageRanges_.empty() && pageRanges_.back().second == id)
            ++pageRanges_.back().second;
        else
            pageRanges_.emplace_back(id, id + 1);
    }
    const std::string initials = visitedPage ? std::string() : nameInitials(item);
    std::string record(1, char(initials.size()));
    record += initials;
    record += item;
    refs_.push_back(texts_.append(record));
    if (first == kNone) {
        nextOfTarget_.push_back(kNone);
        countSlots_.push_back(0);
        byTarget_.insert(id, [this](uint32_t n) { return targetOf(n); });
    } else {
        nextOfTarget_.push_back(nextOfTarget_[first]);
        nextOfTarget_[first] = id;
        countSlots_.push_back(countSlots_[first]);
        if (countSlots_[id] != 0) {
            countedItems_.push_back(id);
            countsMoved_ = true;
        }
    }
    return {id, true};
}

void CatalogueItemTable::bindCount(const std::string &target, const int32_t *count) {
    const Id first = firstOfTarget(target);
    if (first == kNone)
        return; // bound when its first item comes, by the catalogue
    countsMoved_ = true;
    uint32_t slot = countSlots_[first];
    if (slot == 0) {
        slot = uint32_t(counts_.size());
        counts_.push_back(count);
        for (Id id = first; id != kNone; id = nextOfTarget_[id]) {
            countSlots_[id] = slot;
            countedItems_.push_back(id);
        }
    } else {
        counts_[slot] = count;
    }
}

namespace {

// Sorts fresh and merges it into order, which is sorted already. A few entries merged into many
// have their places found by binary searches, so a small source added to a large catalogue costs
// a few comparisons of texts rather than one per item. The result is built exactly to size, so
// the settled array carries no spare capacity.
template <typename Before> void mergeFresh(std::vector<uint32_t> &order, std::vector<uint32_t> &fresh, Before before) {
    if (fresh.empty())
        return;
    std::sort(fresh.begin(), fresh.end(), before);
    std::vector<uint32_t> merged;
    merged.reserve(order.size() + fresh.size());
    if (fresh.size() * 32 > order.size()) {
        std::merge(order.begin(), order.end(), fresh.begin(), fresh.end(), std::back_inserter(merged), before);
    } else {
        auto from = order.begin();
        for (uint32_t entry : fresh) {
            const auto at = std::upper_bound(from, order.end(), entry, before);
            merged.insert(merged.end(), from, at);
            merged.push_back(entry);
            from = at;
        }
        merged.insert(merged.end(), from, order.end());
    }
    order.swap(merged);
}

} // namespace

void CatalogueItemTable::settle() {
    if (settledItems_ == refs_.size()) {
        if (countsMoved_)
            orderCountedItems();
        return;
    }
    std::vector<uint32_t> fresh;
    for (size_t id = settledItems_; id < refs_.size(); ++id) {
        const size_t length = initialsLength(Id(id));
        for (size_t start = 0; start + kMinInitials <= length; ++start)
            fresh.push_back(uint32_t(id << 4 | start));
    }
    mergeFresh(initialsOrder_, fresh,
               [this](uint32_t a, uint32_t b) { return initialsFrom(a) < initialsFrom(b); });

    fresh.clear();
    for (size_t id = settledItems_; id < refs_.size(); ++id)
        if (!isVisitedPage(Id(id)))
            fresh.push_back(uint32_t(id));
    bool moved = !fresh.empty();
    mergeFresh(byteOrder_, fresh, [this](Id a, Id b) { return text(a) < text(b); });
    if (byteRanks_.size() < refs_.size()) {
        std::vector<uint32_t> grown(refs_.size(), 0); // exactly to size, as the orders
        byteRanks_.swap(grown);
        moved = true;
    }
    if (moved)
        for (size_t place = 0; place < byteOrder_.size(); ++place)
            byteRanks_[byteOrder_[place]] = uint32_t(place);
    settledItems_ = refs_.size();
    if (moved || countsMoved_)
        orderCountedItems();
}

void CatalogueItemTable::orderCountedItems() {
    // Each count read once rather than at every comparison.
    std::vector<std::pair<uint64_t, Id>> keyed;
    keyed.reserve(countedItems_.size());
    for (Id id : countedItems_)
        keyed.emplace_back(countedKey(id), id);
    std::sort(keyed.begin(), keyed.end());
    countedZeroFrom_ = countedNegativeFrom_ = keyed.size();
    for (size_t at = keyed.size(); at-- > 0;) {
        countedItems_[at] = keyed[at].second;
        const int32_t count = useCount(keyed[at].second);
        if (count <= 0)
            countedZeroFrom_ = at;
        if (count < 0)
            countedNegativeFrom_ = at;
    }
    countsMoved_ = false;
}

void CatalogueItemTable::withInitials(std::string_view prefix, size_t max, std::vector<Id> &out) const {
    out.clear();
    if (prefix.size() < kMinInitials)
        return;
    auto at = std::lower_bound(initialsOrder_.begin(), initialsOrder_.end(), prefix,
                               [this](uint32_t entry, std::string_view p) { return initialsFrom(entry) < p; });
    for (; at != initialsOrder_.end() && out.size() < max; ++at) {
        const std::string_view initials = initialsFrom(*at);
        if (initials.size() < prefix.size() || initials.compare(0, prefix.size(), prefix) != 0)
            break;
        out.push_back(*at >> 4);
    }
}
