#include "vocabulary/learned_pairs.h"

#include <climits>
#include <cstdio>

#include "common/ascii_case.h"
#include "common/atomic_file.h"
#include "common/file_contents.h"

namespace {

// A count: decimal digits without a leading zero, 1 to INT32_MAX.
bool parseCount(const std::string &text, int32_t &count) {
    if (text.empty() || text.size() > 10 || text[0] == '0')
        return false;
    int64_t value = 0;
    for (char ch : text) {
        if (ch < '0' || ch > '9')
            return false;
        value = value * 10 + (ch - '0');
    }
    if (value > INT32_MAX)
        return false;
    count = static_cast<int32_t>(value);
    return true;
}

} // namespace

LearnedPairs::LearnedPairs(const std::string &path) : path_(path) {
    std::string contents;
    if (path_.empty() || !readFileContents(path_, contents))
        return;
    if (!parse(contents, pairs_)) {
        pairs_.clear();
        damaged_ = true;
    }
}

LearnedPairs::~LearnedPairs() {
    save();
}

bool LearnedPairs::isStorableWord(const std::string &word) {
    if (word.empty() || word.size() > static_cast<std::size_t>(kLongestWord))
        return false;
    for (char ch : word)
        if (static_cast<unsigned char>(ch) <= ' ' || ch == 0x7F)
            return false;
    return true;
}

bool LearnedPairs::parse(const std::string &contents, Pairs &out) {
    out.clear();
    std::size_t at = 0;
    const std::string *lastPrevious = nullptr;
    const std::string *lastWord = nullptr;
    while (at < contents.size()) {
        std::size_t end = contents.find("\r\n", at);
        if (end == std::string::npos)
            return false; // a cut last line
        std::string line = contents.substr(at, end - at);
        at = end + 2;
        std::size_t first = line.find(' ');
        std::size_t second = first == std::string::npos ? first : line.find(' ', first + 1);
        if (second == std::string::npos)
            return false;
        std::string previous = line.substr(0, first);
        std::string word = line.substr(first + 1, second - first - 1);
        int32_t count = 0;
        if (!isStorableWord(previous) || previous != loweredAscii(previous) || !isStorableWord(word) ||
            !parseCount(line.substr(second + 1), count))
            return false;
        // In order and each pair once, as the file is written: anything else was not written by us.
        if (lastPrevious && (previous < *lastPrevious || (previous == *lastPrevious && word <= *lastWord)))
            return false;
        auto &followers = out[previous];
        auto placed = followers.emplace(word, count).first;
        lastPrevious = &out.find(previous)->first;
        lastWord = &placed->first;
    }
    return true;
}

std::string LearnedPairs::format(const Pairs &pairs) {
    std::string contents;
    for (const auto &previous : pairs)
        for (const auto &follower : previous.second)
            contents += previous.first + ' ' + follower.first + ' ' + std::to_string(follower.second) + "\r\n";
    return contents;
}

bool LearnedPairs::add(const std::string &previous, const std::string &word) {
    std::string lower = loweredAscii(previous);
    if (!isStorableWord(lower) || !isStorableWord(word))
        return false;
    int32_t &count = pairs_[lower][word];
    if (count < INT32_MAX)
        ++count;
    changed_ = true;
    return true;
}

void LearnedPairs::forgetWord(const std::string &word) {
    if (pairs_.erase(loweredAscii(word)) > 0)
        changed_ = true;
    for (auto it = pairs_.begin(); it != pairs_.end();) {
        if (it->second.erase(word) > 0)
            changed_ = true;
        it = it->second.empty() ? pairs_.erase(it) : std::next(it);
    }
}

const LearnedPairs::Followers *LearnedPairs::followersOf(const std::string &previous) const {
    auto found = pairs_.find(previous);
    return found == pairs_.end() ? nullptr : &found->second;
}

int64_t LearnedPairs::timesFollowed(const std::string &previous) const {
    const Followers *followers = followersOf(previous);
    int64_t total = 0;
    if (followers)
        for (const auto &follower : *followers)
            total += follower.second;
    return total;
}

bool LearnedPairs::save() {
    if (path_.empty() || damaged_ || !changed_)
        return true;
    if (!replaceFileContents(path_, format(pairs_))) {
        std::fprintf(stderr, "Warning opening file %s\n", path_.c_str());
        return false;
    }
    changed_ = false;
    return true;
}
