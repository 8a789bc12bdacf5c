#include "vocabulary/spelling_corrections.h"

#include "common/ascii_case.h"

#include <algorithm>
#include <cstring>

const double kStepWeight = 0.14;

namespace {

const int kSoundStep = 1;
const int kSlipSteps = 2;

// Sound-alike spellings: the typed letters on the left stand for the word's letters on the right.
// An empty left side is a silent letter the user left out.
struct SoundAlike {
    const char *typed;
    const char *word;
};
const SoundAlike kSoundAlikes[] = {
    {"f", "ph"},  {"ph", "f"},  {"f", "gh"},  {"k", "c"},   {"c", "k"},   {"k", "ck"},  {"ck", "k"},
    {"c", "ck"},  {"k", "ch"},  {"ch", "k"},  {"kw", "qu"}, {"s", "c"},   {"c", "s"},   {"s", "sc"},
    {"sc", "s"},  {"z", "s"},   {"s", "z"},   {"j", "g"},   {"g", "j"},   {"j", "dg"},  {"ie", "ei"},
    {"ei", "ie"}, {"sh", "ti"}, {"sh", "ci"}, {"r", "wr"},  {"n", "kn"},  {"n", "gn"},  {"m", "mb"},
    {"s", "ps"},  {"w", "wh"},  {"r", "rh"},  {"", "gh"},   {"", "h"},    {"g", "gu"},
};
const std::size_t kSoundAlikeCount = sizeof kSoundAlikes / sizeof kSoundAlikes[0];
static_assert(kSoundAlikeCount <= 64, "one bit per sound-alike");

// Room for the states of one walk; a walk that needs more goes on without remembering the rest.
const std::size_t kSeenSlots = 1 << 13;

bool isVowel(char ch) { return ch == 'a' || ch == 'e' || ch == 'i' || ch == 'o' || ch == 'u' || ch == 'y'; }

double score(const Correction &c) { return c.count * c.weight; }

bool ranksBefore(const Correction &a, const Correction &b) {
    return score(a) != score(b) ? score(a) > score(b) : a.text < b.text;
}

} // namespace

struct SpellingCorrector::Seen {
    const TrieNode *node;
    int passed;
    uint32_t generation;
    int16_t typed;
    int16_t steps;
};

SpellingCorrector::SpellingCorrector() : seen_(kSeenSlots) {}
SpellingCorrector::~SpellingCorrector() = default;

int correctionSteps(int typedLength) { return typedLength < 3 ? 0 : kSlipSteps; }

// Whether the walk comes to this state for the first time or more cheaply than before: a state
// reached again at no lower cost can add nothing.
bool SpellingCorrector::firstVisit(TriePlace at, std::size_t i, int steps) {
    std::size_t hash = (reinterpret_cast<std::uintptr_t>(at.node) >> 3) * 31 + static_cast<std::size_t>(at.passed);
    hash = (hash * 131 + i) * 0x9E3779B1u;
    for (std::size_t probe = 0; probe < 8; ++probe) {
        Seen &slot = seen_[(hash + probe) & (kSeenSlots - 1)];
        if (slot.generation != generation_) {
            if (seenCount_ * 4 >= kSeenSlots * 3)
                return true; // full enough: go on without remembering
            slot = Seen{at.node, at.passed, generation_, static_cast<int16_t>(i), static_cast<int16_t>(steps)};
            ++seenCount_;
            return true;
        }
        if (slot.node == at.node && slot.passed == at.passed && slot.typed == static_cast<int16_t>(i)) {
            if (slot.steps <= steps)
                return false;
            slot.steps = static_cast<int16_t>(steps);
            return true;
        }
    }
    return true;
}

// The typed letter itself first and slips last, so that the cheap spellings set early the bar that
// the dearer ones must reach, and subtrees that cannot reach it are not walked.
void SpellingCorrector::visit(TriePlace at, std::size_t i, int steps) {
    if (i == typed_.size()) {
        if (steps > 0)
            gather(at, steps);
        return;
    }
    if (cannotReach(at, steps))
        return;
    const char want = typed_[i];
    // With nothing left to stray by, the walk only follows the typed letters: no state of it can be
    // met twice at the same cost, so none is remembered.
    const bool strayLeft = steps + kSoundStep <= budget_;
    if (strayLeft && !firstVisit(at, i, steps))
        return;
    TriePlace next[2];
    trie_->nextInEitherCase(at, want, next);
    for (int k = 0; k < 2; ++k) {
        if (!next[k].node)
            continue;
        path_.push_back(k == 0 ? want : upperAscii(want));
        visit(next[k], i + 1, steps);
        path_.pop_back();
    }
    if (!strayLeft)
        return;
    const bool slipLeft = steps + kSlipSteps <= budget_;
    const char previous = path_.empty() ? '\0' : lowerAscii(path_.back());
    // Sound-alikes: one vowel for another, a double letter typed single or a single one typed
    // double, and the spellings of kSoundAlikes.
    trie_->forEachNext(at, [&](char ch, TriePlace after) {
        const char letter = lowerAscii(ch);
        const bool vowelForVowel = letter != want && isVowel(letter) && isVowel(want);
        const bool doubled = letter == previous;
        if (!vowelForVowel && !doubled)
            return;
        path_.push_back(ch);
        if (vowelForVowel)
            visit(after, i + 1, steps + kSoundStep);
        if (doubled)
            visit(after, i, steps + kSoundStep);
        path_.pop_back();
    });
    if (i > 0 && typed_[i - 1] == want)
        visit(at, i + 1, steps + kSoundStep);
    for (uint64_t rules = soundsAt_[i]; rules; rules &= rules - 1) {
        const SoundAlike &rule = kSoundAlikes[__builtin_ctzll(rules)];
        follow(at, rule.word, i + std::strlen(rule.typed), steps + kSoundStep);
    }
    if (!slipLeft)
        return;
    // Slips: a letter changed, left out by the user, added, or two neighbours swapped.
    trie_->forEachNext(at, [&](char ch, TriePlace after) {
        const char letter = lowerAscii(ch);
        path_.push_back(ch);
        if (letter != want && !(isVowel(letter) && isVowel(want)))
            visit(after, i + 1, steps + kSlipSteps);
        if (letter != previous)
            visit(after, i, steps + kSlipSteps);
        if (letter != want && i + 1 < typed_.size() && letter == typed_[i + 1])
            trie_->forEachNext(after, [&](char second, TriePlace beyond) {
                if (lowerAscii(second) != want)
                    return;
                path_.push_back(second);
                visit(beyond, i + 2, steps + kSlipSteps);
                path_.pop_back();
            });
        path_.pop_back();
    });
    if (!(i > 0 && typed_[i - 1] == want))
        visit(at, i + 1, steps + kSlipSteps);
}

// Follows the word's letters spelled, whatever their case, then goes on with the typed text.
void SpellingCorrector::follow(TriePlace at, const char *spelled, std::size_t i, int steps) {
    if (!*spelled) {
        visit(at, i, steps);
        return;
    }
    TriePlace next[2];
    trie_->nextInEitherCase(at, *spelled, next);
    for (int k = 0; k < 2; ++k) {
        if (!next[k].node)
            continue;
        path_.push_back(k == 0 ? *spelled : upperAscii(*spelled));
        follow(next[k], spelled + 1, i, steps);
        path_.pop_back();
    }
}

void SpellingCorrector::find(const WordTrie &vocabulary, const std::string &lowerTyped, int max,
                             std::vector<Correction> &out) {
    out.clear();
    budget_ = correctionSteps(static_cast<int>(lowerTyped.size()));
    if (budget_ <= 0 || max <= 0)
        return;
    trie_ = &vocabulary;
    typed_ = lowerTyped;
    max_ = max;
    out_ = &out;
    soundsAt_.assign(typed_.size() + 1, 0);
    for (std::size_t i = 0; i < typed_.size(); ++i)
        for (std::size_t r = 0; r < kSoundAlikeCount; ++r)
            if (typed_.compare(i, std::strlen(kSoundAlikes[r].typed), kSoundAlikes[r].typed) == 0)
                soundsAt_[i] |= uint64_t(1) << r;
    path_.clear();
    if (++generation_ == 0) { // the stamps wrapped round: forget them all
        std::fill(seen_.begin(), seen_.end(), Seen{});
        generation_ = 1;
    }
    seenCount_ = 0;
    visit(vocabulary.rootPlace(), 0, 0);
    out_ = nullptr;
}

double SpellingCorrector::weightOf(int steps) {
    static const double weights[kSlipSteps + 1] = {1.0, kStepWeight, kStepWeight * kStepWeight};
    return weights[steps];
}

// No word below the place can displace the weakest kept once it is spelled this far astray.
bool SpellingCorrector::cannotReach(TriePlace at, int steps) const {
    return static_cast<int>(out_->size()) >= max_ && WordTrie::boundAt(at) * weightOf(steps) <= score(out_->back());
}

// The words below a place that the whole typed text reaches.
void SpellingCorrector::gather(TriePlace at, int steps) {
    if (cannotReach(at, steps))
        return;
    weight_ = weightOf(steps);
    std::size_t agreed = 0;
    while (agreed < path_.size() && agreed < typed_.size() && lowerAscii(path_[agreed]) == typed_[agreed])
        ++agreed;
    // A word that the typed letters begin with and go on from ("account" for "accounts") is no
    // whole spelling of them: the letters may well make a word of their own.
    hitLength_ = agreed == path_.size() ? std::string::npos : path_.size();
    // The collection below extends path_ and restores it.
    collect(at, agreed, max_, *out_);
}

// agreed: how many leading letters of the path are the typed letters themselves; below a place
// where all of them are, the words are the listing's own.
void SpellingCorrector::collect(TriePlace at, std::size_t agreed, int max, std::vector<Correction> &out) {
    if (agreed >= typed_.size())
        return;
    if (const char *rest = WordTrie::restAt(at)) {
        // A leaf: its one word, whose count is the leaf's.
        if (agreed == path_.size())
            for (const char *letter = rest; *letter && agreed < typed_.size() && lowerAscii(*letter) == typed_[agreed];
                 ++letter)
                ++agreed;
        if (agreed < typed_.size() && WordTrie::boundAt(at) > 0)
            offer(rest, WordTrie::boundAt(at), *rest == '\0' && path_.size() == hitLength_, max, out);
        return;
    }
    if (int32_t count = WordTrie::countAt(at))
        offer("", count, path_.size() == hitLength_, max, out);
    trie_->forEachNext(at, [&](char ch, TriePlace after) {
        if (static_cast<int>(out.size()) >= max && WordTrie::boundAt(after) * weight_ <= score(out.back()))
            return;
        const bool agrees = agreed == path_.size() && lowerAscii(ch) == typed_[agreed];
        path_.push_back(ch);
        collect(after, agrees ? agreed + 1 : agreed, max, out);
        path_.pop_back();
    });
}

void SpellingCorrector::offer(const char *rest, int32_t count, bool whole, int max, std::vector<Correction> &out) {
    const double candidate = count * weight_;
    const bool full = static_cast<int>(out.size()) >= max;
    if (full && candidate < score(out.back()))
        return;
    const std::size_t restLength = std::strlen(rest);
    auto sameText = [&](const Correction &c) {
        return c.text.size() == path_.size() + restLength && c.text.compare(0, path_.size(), path_) == 0 &&
               c.text.compare(path_.size(), restLength, rest) == 0;
    };
    auto known = std::find_if(out.begin(), out.end(), sameText);
    if (known != out.end()) {
        whole = whole || known->whole;
        known->whole = whole;
        if (candidate <= score(*known))
            return;
        out.erase(known);
    }
    Correction entry{path_ + rest, count, weight_, whole};
    if (static_cast<int>(out.size()) >= max && !ranksBefore(entry, out.back()))
        return;
    out.insert(std::upper_bound(out.begin(), out.end(), entry, ranksBefore), std::move(entry));
    if (static_cast<int>(out.size()) > max)
        out.pop_back();
}
