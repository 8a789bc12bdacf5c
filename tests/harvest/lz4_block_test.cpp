#include "harvest/lz4_block.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

struct BlockCase {
    const char *what;
    Bytes block;
    size_t limit;
    bool sound;
    std::string decoded;
};

// Blocks made by hand from the format: a token (literal count, match length - 4, 15 meaning more
// bytes follow), the literals, a two-byte little-endian distance, more match length bytes; the
// last sequence has literals only.
TEST(Lz4Block, SoundBlocksAndEveryFaultStopsWithWhatCameBefore) {
    const Bytes longLiterals = [] {
        Bytes block{0xF0, 0xFF, 0x01}; // 15 + 255 + 1 literals
        block.insert(block.end(), 271, 'x');
        return block;
    }();
    const BlockCase cases[] = {
        {"literals only", {0x50, 'h', 'e', 'l', 'l', 'o'}, 100, true, "hello"},
        {"a match, then the last literals", {0x40, 'a', 'b', 'c', 'd', 0x04, 0x00, 0x10, '!'}, 100, true, "abcdabcd!"},
        {"a match overlapping what it makes, its length in a further byte; no last literals",
         {0x1F, 'a', 0x01, 0x00, 0x02, 0x00},
         100,
         true,
         std::string(22, 'a')},
        {"literal count in further bytes", longLiterals, 1000, true, std::string(271, 'x')},
        {"empty", {}, 100, false, ""},
        {"distance 0", {0x10, 'a', 0x00, 0x00, 0x00}, 100, false, "a"},
        {"distance before the start", {0x10, 'a', 0x02, 0x00, 0x00}, 100, false, "a"},
        {"literals cut short", {0x50, 'h', 'e'}, 100, false, "he"},
        {"distance cut short", {0x10, 'a', 0x01}, 100, false, "a"},
        {"length bytes cut short", {0xF0}, 100, false, ""},
        {"ends on a match", {0x10, 'a', 0x01, 0x00}, 100, false, "aaaaa"},
        {"literals beyond the limit", {0x50, 'h', 'e', 'l', 'l', 'o'}, 3, false, "hel"},
        {"a match beyond the limit", {0x1F, 'a', 0x01, 0x00, 0x02, 0x00}, 18, false, std::string(18, 'a')},
        // Length bytes adding up past the limit are refused before any literal is copied.
        {"a length beyond the limit", Bytes{0xF0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, 1000, false,
         ""},
    };
    for (const BlockCase &c : cases) {
        SCOPED_TRACE(c.what);
        std::string out = "left over";
        EXPECT_EQ(decodeLz4Block(c.block.data(), c.block.size(), c.limit, out), c.sound);
        EXPECT_EQ(out, c.decoded);
    }
}

} // namespace
