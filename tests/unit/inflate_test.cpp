#include "install/inflate.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace tk::install {
namespace {

using testing::Bytes;
using testing::Deflate;

bool Same(const ByteBuffer& a, const std::vector<std::uint8_t>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end());
}

TEST(Inflate, GrowsPastItsFirstGuessForHighlyCompressibleData) {
    std::vector<std::uint8_t> zeros(8 * 1024 * 1024, 0);
    zeros[12345] = 7;
    zeros.back() = 9;
    const auto packed = Deflate(zeros);
    ASSERT_LT(packed.size() * 4 + 4096, zeros.size()) << "the sample must outgrow the first buffer";
    const auto inflated = InflateZlib(packed);
    ASSERT_TRUE(inflated.has_value());
    EXPECT_TRUE(Same(*inflated, zeros));
}

TEST(Inflate, RejectsEverythingButOneCompleteStream) {
    const auto packed = Deflate(Bytes("payload bytes"));
    EXPECT_TRUE(Same(*InflateZlib(packed), Bytes("payload bytes")));
    EXPECT_FALSE(InflateZlib({}).has_value());
    EXPECT_FALSE(InflateZlib(std::span(packed).first(packed.size() - 1)).has_value());
    auto corrupt = packed;
    corrupt[corrupt.size() - 1] ^= 0xFF;  // the checksum no longer matches
    EXPECT_FALSE(InflateZlib(corrupt).has_value());
    EXPECT_FALSE(InflateZlib(Bytes("MZ not compressed at all")).has_value());
    EXPECT_TRUE(Same(*InflateZlib(Deflate({})), {}));
}

}  // namespace
}  // namespace tk::install
