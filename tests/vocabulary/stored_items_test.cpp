#include "vocabulary/stored_items.h"
#include "vocabulary/word_trie.h"

#include <gtest/gtest.h>

#include <string>

TEST(StoredItems, KeepsDistinctItemsInFirstInsertionOrderPastTheScannedSize) {
    StoredItems items;
    ItemList expected;
    // Every item twice, and the early ones again once the list is indexed.
    for (int round = 0; round < 2; ++round)
        for (int i = 0; i < 300; ++i) {
            std::string item = "C:\\Folder\\file" + std::to_string(i) + ".txt";
            items.add(item.c_str());
            if (round == 0)
                expected.push_back(item);
        }
    items.add("C:\\Folder\\file0.txt");
    items.add("");
    items.add("");
    expected.push_back("");
    EXPECT_EQ(items.list(), expected);
}

TEST(StoredItems, TheTrieListsEachItemOfAWordOnce) {
    WordTrie trie;
    for (int round = 0; round < 3; ++round)
        for (int i = 0; i < 100; ++i)
            trie.addWord("program", 1, ("item" + std::to_string(i)).c_str());
    const ItemList *items = trie.itemsOf("program");
    ASSERT_NE(items, nullptr);
    ASSERT_EQ(items->size(), 100u);
    EXPECT_EQ(items->front(), "item0");
    EXPECT_EQ(items->back(), "item99");
    EXPECT_EQ(trie.itemsOf("absent"), nullptr);
}
