#include "vocabulary/trie_memory.h"
#include "vocabulary/word_trie.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
void *(*allocateHook)(std::size_t) = std::malloc;
}

void *trieAllocate(std::size_t size) { return allocateHook(size); }

void trieOutOfMemory(const char *message, int exitCode) {
    std::fputs(message, stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
    std::exit(exitCode);
}

void setTrieAllocatorForTesting(void *(*allocate)(std::size_t)) { allocateHook = allocate ? allocate : std::malloc; }

TrieNode::TrieNode(bool leaf) : isLeaf(leaf), isWordEnd(false), text(nullptr), items(nullptr), count(0) {}

TrieNode::~TrieNode() {
    std::free(text);
    delete items;
}

void *TrieNode::operator new(std::size_t size, const std::nothrow_t &) noexcept { return trieAllocate(size); }
void TrieNode::operator delete(void *memory) noexcept { std::free(memory); }
void TrieNode::operator delete(void *memory, const std::nothrow_t &) noexcept { std::free(memory); }

LeafNode::LeafNode() : TrieNode(true) {}
LeafNode::~LeafNode() = default;

NonLeafNode::NonLeafNode() : TrieNode(false), children(nullptr), maxBelow(0) {}

NonLeafNode::~NonLeafNode() {
    if (children && text) {
        std::size_t cells = std::strlen(text);
        for (std::size_t i = 0; i < cells; ++i)
            delete children[i];
    }
    std::free(children);
}
