#include "launcher/md5.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

namespace {

struct Md5Vector {
    const char *message;
    const char *digest;
};

// The test suite of RFC 1321, appendix A.5.
const Md5Vector kRfc1321Suite[] = {
    {"", "d41d8cd98f00b204e9800998ecf8427e"},
    {"a", "0cc175b9c0f1b6a831c399e269772661"},
    {"abc", "900150983cd24fb0d6963f7d28e17f72"},
    {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
    {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
    {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "d174ab98d277d9f5a5611c2c9f419d9f"},
    {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
     "57edf4a22be3c955ac49da2e2107b67a"},
};

TEST(Md5Test, Rfc1321Suite) {
    for (const Md5Vector &v : kRfc1321Suite)
        EXPECT_EQ(v.digest, md5Hex(v.message)) << '"' << v.message << '"';
}

// Messages around the padding boundaries (55, 56, 63, 64 and 65 bytes) and bytes above 127, checked
// against digests computed independently.
TEST(Md5Test, PaddingBoundariesAndHighBytes) {
    const Md5Vector vectors[] = {
        {"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa", "ef1772b6dff9a122358552954ad0df65"},
        {"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa", "3b0c8ac703f828b04c6c197006d17218"},
        {"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa", "b06521f39153d618550606be297466d5"},
        {"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa", "014842d480b571495a4a0363793f7367"},
        {"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa", "c743a45e0d2e6a95cb859adae0248435"},
        {"C:\\PROGRA~1\\Tool\\Tool.exe", "a3d0b4affdccefbb8d2c86da4e7c8266"},
        {"\xe9t\xe9", "70b06e3087350c8c4fc3f13e741879f3"},
    };
    for (const Md5Vector &v : vectors)
        EXPECT_EQ(v.digest, md5Hex(v.message)) << std::string(v.message).size() << " bytes";
}

TEST(Md5Test, PiecewiseUpdatesGiveTheSameDigest) {
    std::string message;
    for (int i = 0; i < 300; ++i)
        message += char(i * 7 + 3);
    const std::string whole = md5Hex(message);
    for (size_t piece : {1u, 3u, 63u, 64u, 65u, 127u}) {
        Md5 md5;
        for (size_t at = 0; at < message.size(); at += piece)
            md5.update(message.data() + at, std::min(piece, message.size() - at));
        uint8_t digest[16];
        md5.finish(digest);
        char hex[33];
        for (int i = 0; i < 16; ++i)
            snprintf(hex + 2 * i, 3, "%02x", digest[i]);
        EXPECT_EQ(whole, hex) << "pieces of " << piece;
    }
}

} // namespace
