#include "vocabulary/word_trie.h"

#include "common/ascii_case.h"
#include "vocabulary/trie_memory.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

const char kLeafMessage[] = "Out of memory in LeafNode.";
const char kLeafItemsMessage[] = "Out of memory n LeafNode.";
const char kNonLeafMessage[] = "Out of memory in NonLeafNode.";
const char kAddCellMessage[] = "Out of memory in addCell.";

// Counts saturate instead of wrapping round to negative (which would delete a much-used word).
int32_t addCounts(int32_t count, int32_t delta) {
    int64_t sum = static_cast<int64_t>(count) + delta;
    if (sum > INT32_MAX)
        return INT32_MAX;
    if (sum < INT32_MIN)
        return INT32_MIN;
    return static_cast<int32_t>(sum);
}

// Cells are kept in the order of their bytes taken as signed numbers, so bytes 0x80 to 0xFF
// (accented letters) come before ASCII.
bool cellBefore(char a, char b) { return static_cast<signed char>(a) < static_cast<signed char>(b); }

int findCell(const NonLeafNode *node, char ch) {
    const char *cell = ch ? std::strchr(node->text, ch) : nullptr;
    return cell ? static_cast<int>(cell - node->text) : -1;
}

StoredItems *newItemList(const char *item, const char *message) {
    if (!item)
        return nullptr;
    StoredItems *items = new (std::nothrow) StoredItems;
    if (!items)
        trieOutOfMemory(message, -1);
    items->add(item);
    return items;
}

void addItem(TrieNode *node, const char *item, const char *message) {
    if (!item)
        return;
    if (!node->items) {
        node->items = newItemList(item, message);
        return;
    }
    node->items->add(item);
}

LeafNode *newLeaf(const char *rest, int32_t count, StoredItems *items) {
    LeafNode *leaf = new (std::nothrow) LeafNode;
    if (!leaf)
        trieOutOfMemory(kLeafMessage, -1);
    std::size_t length = std::strlen(rest);
    leaf->text = static_cast<char *>(trieAllocate(length + 1));
    if (!leaf->text)
        trieOutOfMemory(kLeafMessage, -1);
    std::memcpy(leaf->text, rest, length + 1);
    leaf->count = count;
    leaf->items = items;
    return leaf;
}

// A new inner node always starts with exactly one cell, ch, without a child.
NonLeafNode *newNonLeaf(char ch) {
    NonLeafNode *node = new (std::nothrow) NonLeafNode;
    if (!node)
        trieOutOfMemory(kNonLeafMessage, -1);
    node->text = static_cast<char *>(trieAllocate(2));
    node->children = static_cast<TrieNode **>(trieAllocate(sizeof(TrieNode *)));
    if (!node->text || !node->children)
        trieOutOfMemory(kNonLeafMessage, -1);
    node->text[0] = ch;
    node->text[1] = '\0';
    node->children[0] = nullptr;
    return node;
}

// Inserts cell ch at pos. Both arrays grow by exactly one element: nodes rarely gain cells after
// loading, and spare capacity would cost memory in every node of the base vocabulary.
void addCell(NonLeafNode *node, char ch, int pos) {
    int cells = static_cast<int>(std::strlen(node->text));
    char *text = static_cast<char *>(trieAllocate(cells + 2));
    TrieNode **children = static_cast<TrieNode **>(trieAllocate((cells + 1) * sizeof(TrieNode *)));
    if (!text || !children)
        trieOutOfMemory(kAddCellMessage, 1);
    for (int i = 0; i < pos; ++i) {
        text[i] = node->text[i];
        children[i] = node->children[i];
    }
    text[pos] = ch;
    children[pos] = nullptr;
    for (int i = pos; i < cells; ++i) {
        text[i + 1] = node->text[i];
        children[i + 1] = node->children[i];
    }
    text[cells + 1] = '\0';
    std::free(node->text);
    std::free(node->children);
    node->text = text;
    node->children = children;
}

// Hangs a new leaf for rest at cell ch, adding the cell where needed; whatever hung there is freed.
void placeLeaf(NonLeafNode *node, char ch, const char *rest, int32_t count, StoredItems *items) {
    LeafNode *leaf = newLeaf(rest, count, items);
    int index = findCell(node, ch);
    if (index < 0) {
        int cells = static_cast<int>(std::strlen(node->text));
        index = 0;
        while (index < cells && cellBefore(node->text[index], ch))
            ++index;
        addCell(node, ch, index);
    }
    delete node->children[index];
    node->children[index] = leaf;
}

// Replaces leaf L (hanging at cell index of parent) by the nodes that hold both L's word and the
// new word rest. Everything is built before the parent is touched, so the trie never holds a
// half-made split.
void splitLeaf(NonLeafNode *parent, int index, const char *rest, int32_t delta, const char *item) {
    LeafNode *leaf = static_cast<LeafNode *>(parent->children[index]);
    const char *tail = leaf->text;
    int shared = 0;
    while (rest[shared] && rest[shared] == tail[shared])
        ++shared;
    int32_t bound = std::max<int32_t>(leaf->count, 0);

    NonLeafNode *top = nullptr;
    NonLeafNode *bottom = nullptr;
    for (int i = 0; i < shared; ++i) {
        NonLeafNode *link = newNonLeaf(rest[i]);
        link->maxBelow = bound;
        if (bottom)
            bottom->children[0] = link;
        else
            top = link;
        bottom = link;
    }

    NonLeafNode *fork;
    if (!rest[shared]) { // the new word is a beginning of the old one
        fork = newNonLeaf(tail[shared]);
        fork->isWordEnd = true;
        fork->count = delta;
        fork->items = newItemList(item, kNonLeafMessage);
        placeLeaf(fork, tail[shared], tail + shared + 1, leaf->count, leaf->items);
    } else if (!tail[shared]) { // the old word is a beginning of the new one
        fork = newNonLeaf(rest[shared]);
        fork->isWordEnd = true;
        fork->count = leaf->count;
        fork->items = leaf->items;
        placeLeaf(fork, rest[shared], rest + shared + 1, delta, newItemList(item, kLeafItemsMessage));
    } else {
        fork = newNonLeaf(rest[shared]);
        placeLeaf(fork, tail[shared], tail + shared + 1, leaf->count, leaf->items);
        placeLeaf(fork, rest[shared], rest + shared + 1, delta, newItemList(item, kLeafItemsMessage));
    }
    fork->maxBelow = bound;
    if (bottom)
        bottom->children[0] = fork;
    else
        top = fork;

    leaf->items = nullptr; // now owned by the new node
    parent->children[index] = top;
    delete leaf;
}

// Better entries sort first: higher count, then lower bytes for a stable, repeatable listing.
bool better(const suggestion &a, const suggestion &b) {
    if (a.count != b.count)
        return a.count > b.count;
    return a.text < b.text;
}

} // namespace

WordTrie::WordTrie() : loadFailed(false), root_(nullptr), readIncomplete_(false) {}

WordTrie::WordTrie(const char *path) : loadFailed(false), root_(nullptr), readIncomplete_(false) {
    if (!path || !*path)
        return;
    path_ = path;
    load();
}

WordTrie::~WordTrie() {
    save();
    delete root_;
}

void WordTrie::setPath(const char *path) { path_ = path ? path : ""; }

void WordTrie::addWord(const char *word, int32_t delta, const char *item) {
    if (!word || !*word)
        return;
    if (delta < 0)
        delta = 0;
    int32_t result = delta;
    if (!root_) {
        root_ = newNonLeaf(word[0]);
        placeLeaf(root_, word[0], word + 1, delta, newItemList(item, kLeafItemsMessage));
    } else {
        NonLeafNode *node = root_;
        for (int p = 0;; ++p) {
            if (!word[p]) {
                if (node->isWordEnd) {
                    node->count = delta == 0 ? 0 : addCounts(node->count, delta);
                } else {
                    node->count = delta;
                    node->isWordEnd = true;
                }
                addItem(node, item, kNonLeafMessage);
                result = node->count;
                break;
            }
            int index = findCell(node, word[p]);
            if (index < 0 || !node->children[index]) {
                placeLeaf(node, word[p], word + p + 1, delta, newItemList(item, kLeafItemsMessage));
                break;
            }
            TrieNode *child = node->children[index];
            if (!child->isLeaf) {
                node = static_cast<NonLeafNode *>(child);
                continue;
            }
            if (std::strcmp(child->text, word + p + 1) == 0) {
                child->count = delta == 0 ? 0 : addCounts(child->count, delta);
                addItem(child, item, kLeafItemsMessage);
                result = child->count;
                break;
            }
            splitLeaf(node, index, word + p + 1, delta, item);
            break;
        }
    }
    raiseBound(word, result);
}

void WordTrie::raiseBound(const char *word, int32_t count) {
    NonLeafNode *node = root_;
    for (int p = 0; node; ++p) {
        if (node->maxBelow < count)
            node->maxBelow = count;
        if (!word[p])
            return;
        int index = findCell(node, word[p]);
        if (index < 0 || !node->children[index] || node->children[index]->isLeaf)
            return;
        node = static_cast<NonLeafNode *>(node->children[index]);
    }
}

TrieNode *WordTrie::findNode(const char *word) {
    if (!word || !*word)
        return nullptr;
    NonLeafNode *node = root_;
    for (int p = 0; node; ++p) {
        if (!word[p])
            return node->isWordEnd ? node : nullptr;
        int index = findCell(node, word[p]);
        if (index < 0 || !node->children[index])
            return nullptr;
        TrieNode *child = node->children[index];
        if (child->isLeaf)
            return std::strcmp(child->text, word + p + 1) == 0 ? child : nullptr;
        node = static_cast<NonLeafNode *>(child);
    }
    return nullptr;
}

bool WordTrie::bumpWord(const char *word) {
    TrieNode *node = findNode(word);
    if (!node || node->count < 1)
        return false;
    node->count = addCounts(node->count, 1);
    raiseBound(word, node->count);
    return true;
}

bool WordTrie::findItems(const char *word, ItemList &out) {
    out.clear();
    TrieNode *node = findNode(word);
    if (!node)
        return false;
    if (node->items)
        out = node->items->list();
    return true;
}

const ItemList *WordTrie::itemsOf(const char *word) {
    TrieNode *node = findNode(word);
    return node && node->items ? &node->items->list() : nullptr;
}

int32_t WordTrie::countOf(const char *word) {
    TrieNode *node = findNode(word);
    return node ? node->count : -1;
}

void WordTrie::collectPrefix(const char *prefix, std::vector<suggestion> &out, int max, bool clear) {
    if (clear)
        out.clear();
    if (max <= 0) {
        out.clear();
        return;
    }
    // out is a heap with the weakest entry on top, never holding more than max entries.
    std::make_heap(out.begin(), out.end(), better);
    while (static_cast<int>(out.size()) > max) {
        std::pop_heap(out.begin(), out.end(), better);
        out.pop_back();
    }
    if (root_ && prefix) {
        word_.clear();
        NonLeafNode *node = root_;
        for (int p = 0;; ++p) {
            if (!prefix[p]) {
                collectAll(node, out, max);
                break;
            }
            int index = findCell(node, prefix[p]);
            if (index < 0 || !node->children[index])
                break;
            word_.push_back(prefix[p]);
            TrieNode *child = node->children[index];
            if (!child->isLeaf) {
                node = static_cast<NonLeafNode *>(child);
                continue;
            }
            const char *unconsumed = prefix + p + 1;
            if (child->count >= 1 && std::strncmp(child->text, unconsumed, std::strlen(unconsumed)) == 0)
                offer(out, max, child->text, child->count);
            break;
        }
    }
    std::sort_heap(out.begin(), out.end(), better);
}

void WordTrie::offer(std::vector<suggestion> &out, int max, const char *tail, int32_t count) {
    if (static_cast<int>(out.size()) >= max) {
        const suggestion &weakest = out.front();
        if (count < weakest.count)
            return;
        if (count == weakest.count) {
            std::string text = word_ + tail;
            if (!(text < weakest.text))
                return;
        }
        std::pop_heap(out.begin(), out.end(), better);
        out.back().text = word_;
        out.back().text += tail;
        out.back().count = count;
    } else {
        out.push_back(suggestion{word_ + tail, count});
    }
    std::push_heap(out.begin(), out.end(), better);
}

void WordTrie::collectAll(TrieNode *node, std::vector<suggestion> &out, int max) {
    if (node->isLeaf) {
        if (node->count >= 1)
            offer(out, max, node->text, node->count);
        return;
    }
    NonLeafNode *inner = static_cast<NonLeafNode *>(node);
    // Nothing below can displace an entry when even the bound is weaker than the weakest kept.
    if (static_cast<int>(out.size()) >= max && inner->maxBelow < out.front().count)
        return;
    for (int i = 0; inner->text[i]; ++i) {
        if (!inner->children[i])
            continue;
        word_.push_back(inner->text[i]);
        collectAll(inner->children[i], out, max);
        word_.pop_back();
    }
    if (inner->isWordEnd && inner->count >= 1)
        offer(out, max, "", inner->count);
}

TriePlace WordTrie::rootPlace() const { return TriePlace{root_, 0}; }

bool WordTrie::next(TriePlace at, char ch, TriePlace &after) const {
    if (!at.node || !ch)
        return false;
    if (at.node->isLeaf) {
        if (at.node->text[at.passed] != ch)
            return false;
        after = TriePlace{at.node, at.passed + 1};
        return true;
    }
    const NonLeafNode *inner = static_cast<const NonLeafNode *>(at.node);
    int index = findCell(inner, ch);
    if (index < 0 || !inner->children[index])
        return false;
    after = TriePlace{inner->children[index], 0};
    return true;
}

void WordTrie::nextInEitherCase(TriePlace at, char lowerLetter, TriePlace after[2]) const {
    if (!next(at, lowerLetter, after[0]))
        after[0] = TriePlace();
    const char upper = upperAscii(lowerLetter);
    if (upper == lowerLetter || !next(at, upper, after[1]))
        after[1] = TriePlace();
}

int32_t WordTrie::countAt(TriePlace at) {
    if (!at.node)
        return 0;
    bool ends = at.node->isLeaf ? at.node->text[at.passed] == '\0' : at.node->isWordEnd;
    return ends && at.node->count > 0 ? at.node->count : 0;
}

int32_t WordTrie::boundAt(TriePlace at) {
    if (!at.node)
        return 0;
    return at.node->isLeaf ? at.node->count : static_cast<const NonLeafNode *>(at.node)->maxBelow;
}

const char *WordTrie::restAt(TriePlace at) {
    return at.node && at.node->isLeaf ? at.node->text + at.passed : nullptr;
}
