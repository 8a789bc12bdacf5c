#include "launcher/compact_strings.h"

#include <cstring>

namespace {

// Lengths are written in 7-bit groups, low first: one byte for anything under 128.
size_t putLength(char *at, uint32_t length) {
    size_t n = 0;
    do {
        uint8_t byte = uint8_t(length & 0x7f);
        length >>= 7;
        at[n++] = char(length ? byte | 0x80 : byte);
    } while (length);
    return n;
}

} // namespace

uint32_t CompactStrings::append(std::string_view text) {
    char header[5];
    const size_t headerSize = putLength(header, uint32_t(text.size()));
    const size_t needed = headerSize + text.size();
    if (needed > kBlockSize) {
        std::unique_ptr<char[]> own(new char[needed]);
        std::memcpy(own.get(), header, headerSize);
        std::memcpy(own.get() + headerSize, text.data(), text.size());
        blocks_.push_back(std::move(own));
        return uint32_t(blocks_.size() - 1) << kBlockBits;
    }
    if (used_ + needed > kBlockSize) {
        blocks_.emplace_back(new char[kBlockSize]);
        current_ = uint32_t(blocks_.size() - 1);
        used_ = 0;
    }
    char *at = blocks_[current_].get() + used_;
    std::memcpy(at, header, headerSize);
    std::memcpy(at + headerSize, text.data(), text.size());
    const uint32_t ref = (current_ << kBlockBits) | used_;
    used_ += uint32_t(needed);
    return ref;
}

std::string_view CompactStrings::at(uint32_t ref) const {
    const char *at = blocks_[ref >> kBlockBits].get() + (ref & (kBlockSize - 1));
    uint32_t length = 0;
    for (int shift = 0;; shift += 7) {
        const uint8_t byte = uint8_t(*at++);
        length |= uint32_t(byte & 0x7f) << shift;
        if (!(byte & 0x80))
            break;
    }
    return std::string_view(at, length);
}

// FNV-1a: short texts, no need for more.
size_t TextKeyedSet::hashOf(std::string_view text) {
    uint32_t hash = 2166136261u;
    for (char ch : text) {
        hash ^= uint8_t(ch);
        hash *= 16777619u;
    }
    return hash;
}
