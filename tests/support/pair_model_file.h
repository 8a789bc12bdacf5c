#pragma once

#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

// The bytes of a small pair model file in the format tools/make_english_pairs.py writes: each
// pair is (previous word in lower case, following word as spelled, log10 probability); every
// previous word leaves log10 backoff to the others. A word's own probability is count / 1,000,000
// (intercept -6, slope 1).
struct ModelPair {
    std::string previous, follower;
    double log10Probability;
};

inline std::string lowerOf(const std::string &word) {
    std::string out = word;
    for (char &ch : out)
        ch = ch >= 'A' && ch <= 'Z' ? static_cast<char>(ch - 'A' + 'a') : ch;
    return out;
}

inline void putU32(std::string &out, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

inline std::string pairModelBytes(const std::vector<ModelPair> &pairs, double backoff = -0.5) {
    std::map<std::string, std::string> spelled; // lower case -> spelling
    for (const ModelPair &pair : pairs) {
        spelled.emplace(pair.previous, pair.previous);
        spelled[lowerOf(pair.follower)] = pair.follower;
    }
    std::map<std::string, uint32_t> index;
    for (const auto &word : spelled)
        index.emplace(word.first, static_cast<uint32_t>(index.size()));
    std::string entries, pairBytes, text;
    uint32_t pairCount = 0;
    for (const auto &word : spelled) {
        putU32(entries, static_cast<uint32_t>(text.size()));
        putU32(entries, pairCount);
        int weight = static_cast<int>(backoff * 1000);
        entries += static_cast<char>(weight & 0xFF);
        entries += static_cast<char>((weight >> 8) & 0xFF);
        text += word.second + '\0';
        std::vector<std::pair<uint32_t, double>> followers;
        for (const ModelPair &pair : pairs)
            if (pair.previous == word.first)
                followers.emplace_back(index[lowerOf(pair.follower)], pair.log10Probability);
        std::sort(followers.begin(), followers.end());
        for (const auto &follower : followers) {
            putU32(pairBytes, follower.first);
            pairBytes += static_cast<char>(static_cast<int>(-follower.second * 32 + 0.5));
            ++pairCount;
        }
    }
    std::string out = "WLPAIRS1";
    putU32(out, static_cast<uint32_t>(spelled.size()));
    putU32(out, pairCount);
    putU32(out, static_cast<uint32_t>(text.size()));
    putU32(out, static_cast<uint32_t>(-6000000));
    putU32(out, 1000000);
    return out + entries + pairBytes + text;
}
