#include "launcher/token_table.h"

#include "vocabulary/trie_memory.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

// A typing slip is looked for among these and the word's own bytes.
const char kSlipAlphabet[] = "abcdefghijklmnopqrstuvwxyz0123456789";
// Tokens looked at for one slipped word at most; a short prefix of a common word can reach thousands.
const size_t kSlipCandidateCap = 4096;
// Put before the words of visited pages: below every letter, so they sort apart.
const char kVisitedMark = '\x01';

bool beginsWith(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

} // namespace

TokenTable::~TokenTable() {
    for (Postings &list : postings_)
        std::free(list.bytes);
}

uint32_t TokenTable::find(std::string_view token) const {
    return byText_.find(token, [this](uint32_t number) { return text(number); });
}

uint32_t TokenTable::add(std::string_view token, int32_t weight) {
    uint32_t number = find(token);
    if (number == kNone) {
        number = uint32_t(refs_.size());
        refs_.push_back(texts_.append(token));
        weights_.push_back(0);
        postings_.emplace_back();
        byText_.insert(number, [this](uint32_t n) { return text(n); });
    }
    int32_t &current = weights_[number];
    if (weight <= 0)
        current = 0;
    else
        current = current > INT32_MAX - weight ? INT32_MAX : current + weight;
    return number;
}

uint32_t TokenTable::addVisited(std::string_view word) {
    std::string token(1, kVisitedMark);
    token += word;
    const uint32_t number = find(token);
    if (number != kNone)
        return number;
    const uint32_t added = add(token, 0);
    weights_[added] = kVisitedOnly;
    return added;
}

void TokenTable::appendNumber(Postings &list, uint32_t value) {
    if (list.used + 5 > list.capacity) {
        const uint32_t capacity = std::max<uint32_t>(8, list.capacity + list.capacity / 2 + 5);
        auto *grown = static_cast<uint8_t *>(std::realloc(list.bytes, capacity));
        if (!grown)
            trieOutOfMemory("Out of memory in the command index", -1); // as in the vocabulary
        list.bytes = grown;
        list.capacity = capacity;
    }
    do {
        const uint8_t byte = uint8_t(value & 0x7f);
        value >>= 7;
        list.bytes[list.used++] = value ? byte | 0x80 : byte;
    } while (value);
}

void TokenTable::post(uint32_t token, uint32_t item) {
    Postings &list = postings_[token];
    if (list.count == 0) {
        list.last = item;
        list.count = 1;
        return;
    }
    if (item == list.last)
        return;
    if (item > list.last) {
        if (!list.bytes)
            appendNumber(list, list.last);
        appendNumber(list, item - list.last);
        list.last = item;
        ++list.count;
        return;
    }
    // An item added again, with words it did not have before: rare, so the list is rewritten.
    std::vector<uint32_t> all;
    items(token, all);
    auto at = std::lower_bound(all.begin(), all.end(), item);
    if (at != all.end() && *at == item)
        return;
    all.insert(at, item);
    list.used = 0;
    uint32_t previous = 0;
    for (uint32_t value : all) {
        appendNumber(list, value - previous);
        previous = value;
    }
    ++list.count;
}

void TokenTable::settle() {
    if (settledCount_ == refs_.size())
        return;
    auto byText = [this](uint32_t a, uint32_t b) { return text(a) < text(b); };
    std::vector<uint32_t> fresh;
    fresh.reserve(refs_.size() - settledCount_);
    for (size_t n = settledCount_; n < refs_.size(); ++n)
        fresh.push_back(uint32_t(n));
    std::sort(fresh.begin(), fresh.end(), byText);
    // Built exactly to size, so the settled array carries no spare capacity.
    std::vector<uint32_t> merged;
    merged.reserve(sorted_.size() + fresh.size());
    std::merge(sorted_.begin(), sorted_.end(), fresh.begin(), fresh.end(), std::back_inserter(merged), byText);
    sorted_.swap(merged);
    settledCount_ = refs_.size();
}

void TokenTable::collectPrefix(std::string_view prefix, std::vector<uint32_t> &out, size_t cap,
                               bool visitedOnly) const {
    auto at = std::lower_bound(sorted_.begin(), sorted_.end(), prefix,
                               [this](uint32_t token, std::string_view p) { return text(token) < p; });
    for (; at != sorted_.end() && out.size() < cap && beginsWith(text(*at), prefix); ++at)
        if (visitedOnly ? weights_[*at] == kVisitedOnly : weights_[*at] >= 1)
            out.push_back(*at);
}

void TokenTable::keepHeaviest(std::vector<uint32_t> &tokens, size_t max) const {
    auto heavier = [this](uint32_t a, uint32_t b) {
        return weights_[a] != weights_[b] ? weights_[a] > weights_[b] : text(a) < text(b);
    };
    if (tokens.size() > max) {
        std::nth_element(tokens.begin(), tokens.begin() + max, tokens.end(), heavier);
        tokens.resize(max);
    }
    std::sort(tokens.begin(), tokens.end(), heavier);
}

void TokenTable::heaviestWithPrefix(std::string_view prefix, size_t max, std::vector<uint32_t> &out) const {
    out.clear();
    collectPrefix(prefix, out, SIZE_MAX, false);
    keepHeaviest(out, max);
}

void TokenTable::visitedWithPrefix(std::string_view prefix, size_t max, std::vector<uint32_t> &out) const {
    out.clear();
    std::string marked(1, kVisitedMark);
    marked += prefix;
    collectPrefix(marked, out, SIZE_MAX, true);
    std::vector<std::pair<uint32_t, uint32_t>> keyed; // first item, token
    keyed.reserve(out.size());
    for (uint32_t token : out)
        keyed.emplace_back(firstItem(token), token);
    auto before = [this](const std::pair<uint32_t, uint32_t> &a, const std::pair<uint32_t, uint32_t> &b) {
        return a.first != b.first ? a.first < b.first : text(a.second) < text(b.second);
    };
    if (keyed.size() > max) {
        std::nth_element(keyed.begin(), keyed.begin() + max, keyed.end(), before);
        keyed.resize(max);
    }
    std::sort(keyed.begin(), keyed.end(), before);
    out.clear();
    for (const auto &entry : keyed)
        out.push_back(entry.second);
}

uint32_t TokenTable::firstItem(uint32_t token) const {
    const Postings &list = postings_[token];
    if (!list.bytes)
        return list.count == 1 ? list.last : UINT32_MAX;
    uint32_t value = 0;
    for (int shift = 0, at = 0;; shift += 7) { // the first number of the list is the item itself
        const uint8_t byte = list.bytes[at++];
        value |= uint32_t(byte & 0x7f) << shift;
        if (!(byte & 0x80))
            return value;
    }
}

void TokenTable::heaviestWithinOneEdit(std::string_view word, size_t max, std::vector<uint32_t> &out) const {
    out.clear();
    std::string alphabet = kSlipAlphabet;
    for (char ch : word)
        if (alphabet.find(ch) == std::string::npos)
            alphabet += ch;
    const std::string original(word);
    std::string variant;
    auto look = [&](const std::string &text) {
        if (!text.empty())
            collectPrefix(text, out, kSlipCandidateCap, false);
    };
    // A change or an addition after the last letter is already covered by leaving it out: every
    // token beginning with the word less its last letter is looked at.
    for (size_t i = 0; i < original.size() && out.size() < kSlipCandidateCap; ++i) {
        look(original.substr(0, i) + original.substr(i + 1)); // a letter too many
        if (i + 1 < original.size()) {
            variant = original;
            std::swap(variant[i], variant[i + 1]); // neighbours swapped
            look(variant);
        }
        for (char ch : alphabet) {
            if (i + 1 < original.size() && ch != original[i]) { // a letter mistyped
                variant = original;
                variant[i] = ch;
                look(variant);
            }
            look(original.substr(0, i) + ch + original.substr(i)); // a letter left out
        }
    }
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    keepHeaviest(out, max);
}
