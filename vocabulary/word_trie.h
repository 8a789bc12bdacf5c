#pragma once

#include <cstddef>
#include <cstdint>
#include <new>
#include <string>
#include <vector>

#include "vocabulary/stored_items.h"

// One candidate word of a listing: the whole word and its use count.
struct suggestion {
    std::string text;
    int32_t count;
};


// A node of the word trie. The two node classes share this base so that deleting a node through
// it frees the node's whole subtree.
class TrieNode {
public:
    virtual ~TrieNode();
    TrieNode(const TrieNode &) = delete;
    TrieNode &operator=(const TrieNode &) = delete;

    // Node objects come from the trie's allocator, so that a failed allocation is fatal like
    // every other one inside the trie instead of throwing half-way through a split.
    static void *operator new(std::size_t size, const std::nothrow_t &) noexcept;
    static void operator delete(void *memory) noexcept;
    static void operator delete(void *memory, const std::nothrow_t &) noexcept;

    bool isLeaf;
    bool isWordEnd;  // NonLeafNode only: the path to this node is itself a word
    char *text;      // LeafNode: the rest of the word; NonLeafNode: one branch character per cell
    StoredItems *items; // null when the word has none
    int32_t count;

protected:
    explicit TrieNode(bool leaf);
};

class LeafNode : public TrieNode {
public:
    LeafNode();
    ~LeafNode() override;
};

class NonLeafNode : public TrieNode {
public:
    NonLeafNode();
    ~NonLeafNode() override;

    TrieNode **children; // parallel to text; a cell's child may be null
    // Never below the highest count stored at or under this node, so that a listing can skip
    // subtrees that cannot reach its top entries. Deletions leave it high; it stays an upper bound.
    int32_t maxBelow;
};

// A point of a walk through the trie between two characters of a path: an inner node, or a leaf
// with the number of its tail's characters already passed. Walks that follow the trie one
// character at a time (the spelling corrections) move from place to place; a place is valid until
// the next change of the trie.
struct TriePlace {
    const TrieNode *node = nullptr; // null: the empty trie
    int passed = 0;                 // in a leaf: characters of its tail behind the place
};

// A vocabulary of byte-string words with signed 32-bit use counts and optional item lists, held as
// a character trie whose leaves keep the whole remaining tail of a word. Optionally bound to a
// vocabulary file that is read when the trie is built and rewritten whole when it is destroyed.
//
// Not safe for concurrent use, not even for reading: listings and saving build words in a shared
// buffer. Owners serialise every call under their own lock.
class WordTrie {
public:
    // An empty trie without a file; it is never written.
    WordTrie();
    // Loads path (or path + ".bak" when path cannot be opened). A null or empty path gives an
    // empty trie without a file. The destructor writes the file back unless the reading stopped at a line
    // too long to be a word (the unread part would otherwise be lost).
    explicit WordTrie(const char *path);
    ~WordTrie();
    WordTrie(const WordTrie &) = delete;
    WordTrie &operator=(const WordTrie &) = delete;

    // A null or empty path unbinds the file, so that the destructor writes nothing.
    void setPath(const char *path);
    const std::string &path() const { return path_; }

    // Creates word if needed and changes its count: delta < 0 is taken as 0, delta 0 deletes the
    // word (count 0), any other delta is added (saturating at INT32_MAX) or becomes the count of a
    // new word. A non-null item joins the word's item list unless it is there already.
    void addWord(const char *word, int32_t delta, const char *item);
    // +1 for a word present with a count of 1 or more; false and no change otherwise.
    bool bumpWord(const char *word);
    // True when word is in the structure, whatever its count; out receives its items.
    bool findItems(const char *word, ItemList &out);
    // The items of word without a copy, or null when it has none or is not in the structure.
    // Valid until the next change of the trie.
    const ItemList *itemsOf(const char *word);
    // Adds the words with count >= 1 beginning with prefix to out (emptied first when clear),
    // keeping the max highest counts, highest first; equal counts are ordered by their bytes.
    void collectPrefix(const char *prefix, std::vector<suggestion> &out, int max, bool clear);
    // Writes the vocabulary file whole, through a temporary file beside it; runs in the destructor.
    void save();
    // Exact count of a word present in the structure (0 for a deleted one); -1 when absent.
    int32_t countOf(const char *word);

    // Character by character: the place of the empty path, and from a place the characters that
    // continue some word, each with the place after it.
    TriePlace rootPlace() const;
    template <typename Step> void forEachNext(TriePlace at, Step step) const;
    // The place after ch; false when no word continues with ch.
    bool next(TriePlace at, char ch, TriePlace &after) const;
    // The places after a letter given in lower case: after[0] in lower case, after[1] as a capital
    // (only ASCII letters have one); a null node where no word continues so.
    void nextInEitherCase(TriePlace at, char lowerLetter, TriePlace after[2]) const;
    // The count of the word that ends at the place (0 for none or a deleted one).
    static int32_t countAt(TriePlace at);
    // Never below the count of any word at or below the place.
    static int32_t boundAt(TriePlace at);
    // In a leaf, the rest of its one word after the place; null at an inner node.
    static const char *restAt(TriePlace at);

    // Set when neither the file nor its ".bak" could be opened, or a line was too long.
    bool loadFailed;
    // The file was found but not read whole (a line too long, a read error): it is never written
    // back, so that the unread part is not lost, and what is learned in it is not saved.
    bool refusesWriteBack() const { return readIncomplete_ && !path_.empty(); }

    // The longest line the loader accepts, in characters (without the line break).
    static const int kMaxLineLength = 80;

private:
    void load();
    void collectAll(TrieNode *node, std::vector<suggestion> &out, int max);
    void offer(std::vector<suggestion> &out, int max, const char *tail, int32_t count);
    void saveNode(TrieNode *node, std::string &contents);
    // Takes one line of a vocabulary file; the line is changed in place (cut at its last space).
    void takeLine(std::string &line);
    TrieNode *findNode(const char *word);
    void raiseBound(const char *word, int32_t count);

    NonLeafNode *root_;
    std::string word_; // path characters of the current traversal; grows as needed
    std::string path_; // empty: no file
    bool readIncomplete_;
};

template <typename Step> void WordTrie::forEachNext(TriePlace at, Step step) const {
    if (!at.node)
        return;
    if (at.node->isLeaf) {
        char ch = at.node->text[at.passed];
        if (ch)
            step(ch, TriePlace{at.node, at.passed + 1});
        return;
    }
    const NonLeafNode *inner = static_cast<const NonLeafNode *>(at.node);
    for (int i = 0; inner->text[i]; ++i)
        if (inner->children[i])
            step(inner->text[i], TriePlace{inner->children[i], 0});
}
