#pragma once

#include <cstdint>
#include <string>
#include <unordered_set>
#include <vector>

// The distinct item strings of one word, in the order of first insertion.
typedef std::vector<std::string> ItemList;

// The item list of one trie word. The catalogue files most items under common words ("program",
// "files"), so a list can hold tens of thousands of items; past a few entries a hash index of
// positions keeps the duplicate check constant instead of a scan of the whole list.
class StoredItems {
public:
    StoredItems();
    StoredItems(const StoredItems &) = delete;
    StoredItems &operator=(const StoredItems &) = delete;

    // Appends item unless the list already holds it.
    void add(const char *item);
    const ItemList &list() const { return list_; }

private:
    struct PositionHash {
        const ItemList *list;
        size_t operator()(uint32_t position) const;
    };
    struct PositionEqual {
        const ItemList *list;
        bool operator()(uint32_t a, uint32_t b) const;
    };

    bool containsByScan(const char *item) const;
    void buildIndex();

    ItemList list_;
    std::unordered_set<uint32_t, PositionHash, PositionEqual> index_;
};
