#pragma once

#include <cstddef>

// Every allocation of the word trie goes through here so that running out of memory is handled in
// one way: one line on the standard error stream and the end of the process.

// Returns memory to be released with std::free, or null when none is left.
void *trieAllocate(std::size_t size);
// Writes message and a line break to the standard error stream and ends the process.
[[noreturn]] void trieOutOfMemory(const char *message, int exitCode);
// Lets tests make allocations fail; null restores std::malloc.
void setTrieAllocatorForTesting(void *(*allocate)(std::size_t));
