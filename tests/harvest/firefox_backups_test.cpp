#include "harvest/firefox_backups.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

using Names = std::vector<std::string>;

TEST(FirefoxBackups, NewestFirstByTheDateInTheNameOthersLeftOut) {
    const Names names = {"bookmarks-2024-01-02_10_AbCdEfGhIjKlMnOpQrStUv==.jsonlz4",
                         "bookmarks-2024-03-01.jsonlz4",
                         "bookmarks-2023-12-31_5_x.jsonlz4",
                         "BOOKMARKS-2024-02-01_1_y.JSONLZ4",
                         "bookmarks-2024-13-xx.jsonlz4",
                         "bookmarks-2024-05-01.json",
                         "bookmarks-2024-04-01x.jsonlz4",
                         "bookmarks-.jsonlz4",
                         "notes.txt"};
    EXPECT_EQ(backupsNewestFirst(names),
              (Names{"bookmarks-2024-03-01.jsonlz4", "BOOKMARKS-2024-02-01_1_y.JSONLZ4",
                     "bookmarks-2024-01-02_10_AbCdEfGhIjKlMnOpQrStUv==.jsonlz4", "bookmarks-2023-12-31_5_x.jsonlz4"}));
}

std::string container(uint32_t declared, const std::string &block) {
    std::string file("mozLz40\0", 8);
    for (int shift = 0; shift < 32; shift += 8)
        file += static_cast<char>(declared >> shift & 0xff);
    return file + block;
}

TEST(FirefoxBackups, ContainerHeaderAndASizeThatLies) {
    // Token 0x40 ('@'): four literals and a match of four at distance 4; then one literal.
    const std::string block("@abcd\x04\x00\x10!", 9); // "abcdabcd!"
    std::string json;
    EXPECT_TRUE(unpackMozLz4(container(9, block), json));
    EXPECT_EQ(json, "abcdabcd!");
    // A size below the truth cuts the text there; one above it gives only what the block holds.
    EXPECT_TRUE(unpackMozLz4(container(5, block), json));
    EXPECT_EQ(json, "abcda");
    EXPECT_TRUE(unpackMozLz4(container(0xffffffffu, block), json));
    EXPECT_EQ(json, "abcdabcd!");
    EXPECT_TRUE(unpackMozLz4(container(9, ""), json));
    EXPECT_EQ(json, "");

    EXPECT_FALSE(unpackMozLz4(container(9, block).substr(0, 11), json));
    std::string wrongMagic = container(9, block);
    wrongMagic[7] = '1';
    EXPECT_FALSE(unpackMozLz4(wrongMagic, json));
    EXPECT_FALSE(unpackMozLz4("{\"plain\": \"json\"}", json));
    EXPECT_EQ(json, "");
}

} // namespace
