#include "launcher/catalogue_item_table.h"

#include <algorithm>

std::pair<CatalogueItemTable::Id, bool> CatalogueItemTable::add(const std::string &item, const std::string &target) {
    auto found = itemIds_.find(std::string_view(item));
    if (found != itemIds_.end())
        return {found->second, false};
    const Id id = Id(items_.size());
    items_.push_back(item);
    itemIds_.emplace(std::string_view(items_.back()), id);
    itemTargets_.push_back(targetNumber(target));
    return {id, true};
}

void CatalogueItemTable::post(const std::string &token, Id id) {
    std::vector<Id> &list = postings_[token];
    // A new item has the highest number yet: it goes at the end. An item added again (perhaps
    // through another text with other words) is looked for, and put in its place when missing.
    if (list.empty() || list.back() < id) {
        list.push_back(id);
        return;
    }
    auto at = std::lower_bound(list.begin(), list.end(), id);
    if (at == list.end() || *at != id)
        list.insert(at, id);
}

const std::vector<CatalogueItemTable::Id> *CatalogueItemTable::postings(const std::string &token) const {
    auto found = postings_.find(token);
    return found == postings_.end() ? nullptr : &found->second;
}

bool CatalogueItemTable::hasTarget(const std::string &target) const {
    return targetIds_.count(std::string_view(target)) != 0;
}

void CatalogueItemTable::bindCount(const std::string &target, const int32_t *count) {
    targetCounts_[targetNumber(target)] = count;
}

uint32_t CatalogueItemTable::targetNumber(const std::string &target) {
    auto found = targetIds_.find(std::string_view(target));
    if (found != targetIds_.end())
        return found->second;
    const uint32_t number = uint32_t(targets_.size());
    targets_.push_back(target);
    targetIds_.emplace(std::string_view(targets_.back()), number);
    targetCounts_.push_back(nullptr);
    return number;
}
