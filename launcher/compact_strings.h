#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

// Append-only storage of many short byte strings, each known by a 32-bit reference. The strings
// lie length-prefixed in large blocks, so a catalogue of 100,000 items pays neither a string
// object nor a heap block per item, and no block is ever moved or copied as the store grows.
class CompactStrings {
public:
    // Stores text (any bytes) and returns its reference.
    uint32_t append(std::string_view text);
    // The text stored under ref; valid for the store's life.
    std::string_view at(uint32_t ref) const;

private:
    static constexpr uint32_t kBlockBits = 18; // 256 KiB blocks; a longer string has a block of its own
    static constexpr uint32_t kBlockSize = uint32_t(1) << kBlockBits;

    std::vector<std::unique_ptr<char[]>> blocks_;
    uint32_t used_ = kBlockSize; // bytes used of the last ordinary block; full before the first
    uint32_t current_ = 0;       // index of the last ordinary block
};

// An open-addressing set of 32-bit numbers found by a text that each number stands for (an item's
// target, a token). The texts are not held here: the caller's `textOf` gives them, so a slot costs
// four bytes.
class TextKeyedSet {
public:
    static constexpr uint32_t kNone = UINT32_MAX;

    template <typename TextOf> uint32_t find(std::string_view text, TextOf textOf) const {
        if (slots_.empty())
            return kNone;
        const size_t mask = slots_.size() - 1;
        for (size_t at = hashOf(text) & mask;; at = (at + 1) & mask) {
            if (slots_[at] == kNone)
                return kNone;
            if (textOf(slots_[at]) == text)
                return slots_[at];
        }
    }
    // Adds number, whose text is not in the set yet.
    template <typename TextOf> void insert(uint32_t number, TextOf textOf) {
        if ((count_ + 1) * 2 > slots_.size()) {
            std::vector<uint32_t> old(slots_.empty() ? 16 : slots_.size() * 2, kNone);
            old.swap(slots_);
            for (uint32_t kept : old)
                if (kept != kNone)
                    place(kept, textOf(kept));
        }
        place(number, textOf(number));
        ++count_;
    }

    static size_t hashOf(std::string_view text);

private:
    void place(uint32_t number, std::string_view text) {
        const size_t mask = slots_.size() - 1;
        size_t at = hashOf(text) & mask;
        while (slots_[at] != kNone)
            at = (at + 1) & mask;
        slots_[at] = number;
    }

    std::vector<uint32_t> slots_;
    size_t count_ = 0;
};
