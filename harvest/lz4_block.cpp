#include "harvest/lz4_block.h"

#include <algorithm>

namespace {

const size_t kMinMatch = 4;
const unsigned kRunMask = 15;

// A 4-bit length of 15 goes on in the following bytes, each added, until one is below 255. False
// when the input ends first or the length outgrows `limit`, which nothing valid can exceed; the
// check also keeps the sum from wrapping on a 32-bit build.
bool readLength(const unsigned char *in, size_t size, size_t &pos, size_t limit, size_t &length) {
    if (length != kRunMask)
        return true;
    for (;;) {
        if (pos >= size)
            return false;
        unsigned char more = in[pos++];
        length += more;
        if (length > limit)
            return false;
        if (more != 255)
            return true;
    }
}

} // namespace

bool decodeLz4Block(const unsigned char *in, size_t size, size_t limit, std::string &out) {
    out.clear();
    size_t pos = 0;
    while (pos < size) {
        unsigned token = in[pos++];
        size_t literals = token >> 4;
        if (!readLength(in, size, pos, limit, literals))
            return false;
        // Literals cut short by the end of the input or the limit are still the original bytes.
        size_t available = std::min(literals, size - pos);
        size_t room = limit - out.size();
        out.append(reinterpret_cast<const char *>(in + pos), std::min(available, room));
        if (available < literals || literals > room)
            return false;
        pos += literals;
        // The last sequence has literals only and ends the block.
        if (pos == size)
            return true;
        if (size - pos < 2)
            return false;
        size_t distance = in[pos] | static_cast<size_t>(in[pos + 1]) << 8;
        pos += 2;
        if (distance == 0 || distance > out.size())
            return false;
        size_t length = token & kRunMask;
        if (!readLength(in, size, pos, limit, length))
            return false;
        length += kMinMatch;
        room = limit - out.size();
        size_t copy = std::min(length, room);
        out.reserve(out.size() + copy);
        // A match may overlap the bytes it produces (distance below length repeats a pattern), so
        // it is copied forwards one byte at a time.
        for (size_t i = 0; i < copy; ++i)
            out.push_back(out[out.size() - distance]);
        if (copy < length)
            return false;
    }
    // An empty block has no sequence at all; a sound one ends on literals above.
    return false;
}
