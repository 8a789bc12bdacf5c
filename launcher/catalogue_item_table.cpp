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
                                                                bool withInitials) {
    const Id first = firstOfTarget(target);
    for (Id id = first; id != kNone; id = nextOfTarget_[id])
        if (text(id) == item)
            return {id, false};
    const Id id = Id(refs_.size());
    const std::string initials = withInitials ? nameInitials(item) : std::string();
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
    }
    return {id, true};
}

void CatalogueItemTable::bindCount(const std::string &target, const int32_t *count) {
    const Id first = firstOfTarget(target);
    if (first == kNone)
        return; // bound when its first item comes, by the catalogue
    uint32_t slot = countSlots_[first];
    if (slot == 0) {
        slot = uint32_t(counts_.size());
        counts_.push_back(count);
        for (Id id = first; id != kNone; id = nextOfTarget_[id])
            countSlots_[id] = slot;
    } else {
        counts_[slot] = count;
    }
}

void CatalogueItemTable::settle() {
    if (settledItems_ == refs_.size())
        return;
    std::vector<uint32_t> fresh;
    for (size_t id = settledItems_; id < refs_.size(); ++id) {
        const size_t length = initialsLength(Id(id));
        for (size_t start = 0; start + kMinInitials <= length; ++start)
            fresh.push_back(uint32_t(id << 4 | start));
    }
    auto byInitials = [this](uint32_t a, uint32_t b) { return initialsFrom(a) < initialsFrom(b); };
    std::sort(fresh.begin(), fresh.end(), byInitials);
    std::vector<uint32_t> merged;
    merged.reserve(initialsOrder_.size() + fresh.size());
    std::merge(initialsOrder_.begin(), initialsOrder_.end(), fresh.begin(), fresh.end(), std::back_inserter(merged),
               byInitials);
    initialsOrder_.swap(merged);
    settledItems_ = refs_.size();
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
