#include "vocabulary/stored_items.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <string_view>

namespace {

// Lists up to this long are scanned; longer ones are indexed.
const size_t kScanLimit = 16;

} // namespace

StoredItems::StoredItems() : index_(0, PositionHash{&list_}, PositionEqual{&list_}) {}

size_t StoredItems::PositionHash::operator()(uint32_t position) const {
    return std::hash<std::string_view>()((*list)[position]);
}

bool StoredItems::PositionEqual::operator()(uint32_t a, uint32_t b) const { return (*list)[a] == (*list)[b]; }

bool StoredItems::containsByScan(const char *item) const {
    return std::find(list_.begin(), list_.end(), item) != list_.end();
}

void StoredItems::buildIndex() {
    index_.reserve(list_.size() * 2);
    for (uint32_t i = 0; i < list_.size(); ++i)
        index_.insert(i);
}

void StoredItems::add(const char *item) {
    if (list_.size() < kScanLimit) {
        if (!containsByScan(item))
            list_.push_back(item);
        return;
    }
    if (index_.empty())
        buildIndex();
    // The candidate goes in at the end and is dropped again when the index already knows it.
    list_.push_back(item);
    if (!index_.insert(static_cast<uint32_t>(list_.size() - 1)).second)
        list_.pop_back();
}
