#include "launcher/query_matches.h"

#include <cstring>

const std::vector<uint32_t> &QueryMatches::driverItems() const {
    if (driverListed_)
        return driverItems_;
    driverListed_ = true;
    driverItems_.reserve(driverItemsAtMost_ < itemCount_ ? driverItemsAtMost_ : itemCount_);
    const uint8_t *kinds = kinds_.data() + driver_ * itemCount_;
    size_t item = 0;
    // Thirty-two bytes at a time past the runs of items the driver did not match.
    for (; item + 32 <= itemCount_; item += 32) {
        uint64_t words[4];
        std::memcpy(words, kinds + item, 32);
        if ((words[0] | words[1] | words[2] | words[3]) == 0)
            continue;
        for (size_t word = 0; word < 4; ++word)
            if (words[word] != 0)
                for (size_t at = item + 8 * word; at < item + 8 * word + 8; ++at)
                    if (kinds[at] != kNoMatch)
                        driverItems_.push_back(uint32_t(at));
    }
    for (; item < itemCount_; ++item)
        if (kinds[item] != kNoMatch)
            driverItems_.push_back(uint32_t(item));
    return driverItems_;
}
