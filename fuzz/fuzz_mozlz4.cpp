// The LZ4 block decoder and the jsonlz4 container of Firefox's bookmark backups, against Debian's
// liblz4 (linked here only): whatever liblz4 decodes, ours decodes to the same bytes; whatever
// liblz4 compresses, ours gives back. The same bytes as a whole backup file must unpack within
// the header's and the block's bounds and parse without fault.
#include "harvest/bookmark_tree.h"
#include "harvest/firefox_backups.h"
#include "harvest/lz4_block.h"

#include <lz4.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// liblz4 takes a match distance of 0, which the block format calls corrupt, and fills such a match
// with zeros; ours stops there. Blocks with one are left out of the comparison.
bool hasZeroDistance(const uint8_t *in, size_t size) {
    size_t pos = 0;
    while (pos < size) {
        unsigned token = in[pos++];
        size_t literals = token >> 4;
        if (literals == 15) {
            while (pos < size) {
                uint8_t more = in[pos++];
                literals += more;
                if (more != 255)
                    break;
            }
        }
        if (literals >= size - pos || size - pos - literals < 2)
            return false; // the block ends on (or is cut in) its literals
        pos += literals;
        if (in[pos] == 0 && in[pos + 1] == 0)
            return true;
        pos += 2;
        if ((token & 15) == 15) {
            while (pos < size && in[pos++] == 255) {
            }
        }
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::string bytes(reinterpret_cast<const char *>(data), size);
    if (size > (1 << 20))
        return 0;
    const int input = static_cast<int>(size);

    // The bytes as a block: a capacity from the first byte, so that output limits are met too.
    const size_t capacity = size ? (size_t(data[0]) + 1) * 64 : 64;
    std::vector<char> reference(capacity);
    int decoded = LZ4_decompress_safe(bytes.data(), reference.data(), input, static_cast<int>(capacity));
    std::string ours;
    bool sound = decodeLz4Block(data, size, capacity, ours);
    if (ours.size() > capacity)
        abort();
    if (decoded >= 0 && !hasZeroDistance(data, size) &&
        (!sound || ours != std::string(reference.data(), static_cast<size_t>(decoded))))
        abort();

    // The bytes compressed by liblz4 come back whole.
    std::vector<char> packed(static_cast<size_t>(LZ4_compressBound(input)) + 1);
    int packedSize = LZ4_compress_default(bytes.data(), packed.data(), input, static_cast<int>(packed.size()));
    if (packedSize > 0) {
        std::string back;
        if (!decodeLz4Block(reinterpret_cast<const unsigned char *>(packed.data()), static_cast<size_t>(packedSize),
                            size, back) ||
            back != bytes)
            abort();
    }

    // The bytes as a backup file.
    std::string json;
    if (unpackMozLz4(bytes, json)) {
        uint32_t declared = data[8] | uint32_t(data[9]) << 8 | uint32_t(data[10]) << 16 | uint32_t(data[11]) << 24;
        if (json.size() > declared || json.size() > (size - 12) * 255)
            abort();
        parseFirefoxBackup(json);
    }
    return 0;
}
