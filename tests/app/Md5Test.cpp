#include "app/CMD5.h"

#include <gtest/gtest.h>

namespace {

TEST(Md5, RfcTestSuite) {
    struct Case {
        std::string text, digest;
    } cases[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "d174ab98d277d9f5a5611c2c9f419d9f"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
    };
    for (const auto& c : cases) EXPECT_EQ(Md5Hex(c.text), c.digest) << '"' << c.text << '"';
}

TEST(Md5, PiecewiseUpdatesMatchOneUpdateAcrossBlockBoundaries) {
    std::string text;
    for (int i = 0; i < 1000; ++i) text += static_cast<char>(i * 31);
    const std::string whole = Md5Hex(text);
    for (std::size_t split : {1u, 55u, 56u, 63u, 64u, 65u, 119u, 128u, 999u}) {
        CMD5 md5;
        md5.Update(text.data(), split);
        md5.Update(text.data() + split, text.size() - split);
        std::uint8_t digest[16];
        md5.Final(digest);
        char hex[33];
        for (int i = 0; i < 16; ++i) std::snprintf(hex + 2 * i, 3, "%02x", digest[i]);
        EXPECT_EQ(hex, whole) << split;
    }
    // Embedded NUL bytes count: the whole length is digested.
    EXPECT_NE(Md5Hex(std::string("a\0b", 3)), Md5Hex("a"));
}

}  // namespace
