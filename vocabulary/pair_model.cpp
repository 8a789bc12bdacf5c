#include "vocabulary/pair_model.h"

#include <cmath>

#include "common/file_contents.h"

namespace {

const char kMagic[] = "WLPAIRS1";
const std::size_t kMagicLength = 8;
const std::size_t kHeaderLength = kMagicLength + 5 * 4;
const std::size_t kWordEntryLength = 10; // text offset, first pair, back-off weight
const std::size_t kPairLength = 5;       // following word, probability
const std::size_t kLongestWord = 80;

uint32_t readU32(const std::string &data, std::size_t at) {
    const unsigned char *p = reinterpret_cast<const unsigned char *>(data.data()) + at;
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

int32_t readI32(const std::string &data, std::size_t at) {
    uint32_t bits = readU32(data, at);
    return bits <= 0x7FFFFFFFu ? static_cast<int32_t>(bits) : -static_cast<int32_t>(~bits) - 1;
}

int readI16(const std::string &data, std::size_t at) {
    int bits = static_cast<unsigned char>(data[at]) | static_cast<unsigned char>(data[at + 1]) << 8;
    return bits < 0x8000 ? bits : bits - 0x10000;
}

unsigned char lowerByte(char ch) {
    return static_cast<unsigned char>(ch >= 'A' && ch <= 'Z' ? ch - 'A' + 'a' : ch);
}

// Compares two words by their lower-case forms, byte by byte.
int compareLower(const char *a, const char *b) {
    for (;; ++a, ++b) {
        unsigned char x = lowerByte(*a), y = lowerByte(*b);
        if (x != y || x == 0)
            return static_cast<int>(x) - static_cast<int>(y);
    }
}

} // namespace

bool PairModel::load(const std::string &path) {
    std::string bytes;
    if (!readFileContents(path, bytes)) {
        loadBytes(std::string());
        return false;
    }
    return loadBytes(std::move(bytes));
}

// Every offset and index is checked once here, so that lookups can read in place unchecked.
bool PairModel::loadBytes(std::string bytes) {
    data_.clear();
    data_.shrink_to_fit();
    wordCount_ = pairCount_ = 0;
    if (bytes.size() < kHeaderLength || bytes.compare(0, kMagicLength, kMagic) != 0)
        return false;
    uint32_t words = readU32(bytes, 8), pairs = readU32(bytes, 12), textBytes = readU32(bytes, 16);
    uint64_t expected = kHeaderLength + uint64_t(words) * kWordEntryLength + uint64_t(pairs) * kPairLength + textBytes;
    if (expected != bytes.size() || (textBytes > 0 && bytes.back() != '\0'))
        return false;
    std::size_t wordsAt = kHeaderLength, pairsAt = wordsAt + std::size_t(words) * kWordEntryLength;
    std::size_t textAt = pairsAt + std::size_t(pairs) * kPairLength;

    uint32_t previousFirst = 0;
    const char *previousText = nullptr;
    for (uint32_t w = 0; w < words; ++w) {
        std::size_t entry = wordsAt + std::size_t(w) * kWordEntryLength;
        uint32_t offset = readU32(bytes, entry), first = readU32(bytes, entry + 4);
        if (offset >= textBytes || first < previousFirst || first > pairs || (w == 0 && first != 0))
            return false;
        const char *text = bytes.data() + textAt + offset;
        std::size_t length = std::char_traits<char>::length(text);
        if (length == 0 || length > kLongestWord || (previousText && compareLower(previousText, text) >= 0))
            return false;
        previousText = text;
        previousFirst = first;
    }
    for (uint32_t w = 0; w < words; ++w) {
        uint32_t begin = readU32(bytes, wordsAt + std::size_t(w) * kWordEntryLength + 4);
        uint32_t end = w + 1 < words ? readU32(bytes, wordsAt + std::size_t(w + 1) * kWordEntryLength + 4) : pairs;
        for (uint32_t p = begin; p < end; ++p) {
            uint32_t follower = readU32(bytes, pairsAt + std::size_t(p) * kPairLength);
            if (follower >= words ||
                (p > begin && follower <= readU32(bytes, pairsAt + std::size_t(p - 1) * kPairLength)))
                return false;
        }
    }
    if (words == 0 && pairs != 0)
        return false;

    data_ = std::move(bytes);
    data_.shrink_to_fit();
    wordCount_ = words;
    pairCount_ = pairs;
    intercept_ = readI32(data_, 20) / 1e6;
    slope_ = readI32(data_, 24) / 1e6;
    wordsAt_ = wordsAt;
    pairsAt_ = pairsAt;
    textAt_ = textAt;
    return true;
}

uint32_t PairModel::firstPair(uint32_t word) const {
    return readU32(data_, wordsAt_ + std::size_t(word) * kWordEntryLength + 4);
}

const char *PairModel::text(uint32_t word) const {
    return data_.data() + textAt_ + readU32(data_, wordsAt_ + std::size_t(word) * kWordEntryLength);
}

int PairModel::comparePrefix(uint32_t word, const std::string &lowerPrefix) const {
    const char *at = text(word);
    for (char wanted : lowerPrefix) {
        unsigned char have = lowerByte(*at++);
        if (have == 0)
            return -1; // the word ends first (a NUL in the prefix never reads past it)
        if (have != static_cast<unsigned char>(wanted))
            return static_cast<int>(have) - static_cast<int>(static_cast<unsigned char>(wanted));
    }
    return 0;
}

int PairModel::find(const std::string &lowerWord) const {
    uint32_t low = 0, high = wordCount_;
    while (low < high) {
        uint32_t middle = low + (high - low) / 2;
        int order = compareLower(text(middle), lowerWord.c_str());
        if (order == 0)
            return static_cast<int>(middle);
        if (order < 0)
            low = middle + 1;
        else
            high = middle;
    }
    return -1;
}

double PairModel::backoffLog10(int previous) const {
    if (previous < 0 || static_cast<uint32_t>(previous) >= wordCount_)
        return 0.0;
    return readI16(data_, wordsAt_ + std::size_t(previous) * kWordEntryLength + 8) / 1000.0;
}

double PairModel::ownLog10(int32_t count) const {
    return intercept_ + slope_ * std::log10(count < 1 ? 1.0 : double(count));
}
