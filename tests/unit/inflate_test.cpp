#include "install/inflate.h"

#include <gtest/gtest.h>
#include <zlib.h>

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
    EXPECT_TRUE(InflatesCompletely(packed)) << "far more output than the check's buffer";
}

TEST(Inflate, RejectsEverythingButOneCompleteStream) {
    const auto packed = Deflate(Bytes("payload bytes"));
    EXPECT_TRUE(Same(*InflateZlib(packed), Bytes("payload bytes")));
    EXPECT_TRUE(InflatesCompletely(packed));
    auto corrupt = packed;
    corrupt[corrupt.size() - 1] ^= 0xFF;  // the checksum no longer matches
    auto altered = packed;
    altered[altered.size() / 2] ^= 0x10;
    const std::vector<std::uint8_t> bad[] = {
        {}, {packed.begin(), packed.end() - 1}, corrupt, altered, Bytes("MZ not compressed")};
    for (const auto& bytes : bad) {
        EXPECT_FALSE(InflateZlib(bytes).has_value()) << bytes.size();
        EXPECT_FALSE(InflatesCompletely(bytes)) << bytes.size();
    }
    EXPECT_TRUE(Same(*InflateZlib(Deflate({})), {}));
    EXPECT_TRUE(InflatesCompletely(Deflate({})));
}

TEST(Inflate, InPiecesJoinsToTheWholeAndStopsAtTheFirstRefusedPiece) {
    std::vector<std::uint8_t> data(200 * 1024 + 17);
    for (std::size_t i = 0; i < data.size(); ++i) {
        data[i] = static_cast<std::uint8_t>(i * i / 7);
    }
    struct Pieces final : platform::ByteSink {
        std::vector<std::uint8_t> joined;
        int calls = 0;
        int refused = -1;
        bool Write(std::span<const std::uint8_t> piece) override {
            if (calls++ == refused) {
                return false;
            }
            joined.insert(joined.end(), piece.begin(), piece.end());
            return true;
        }
    } whole, refusing;
    ASSERT_TRUE(InflateInto(Deflate(data), whole));
    EXPECT_EQ(whole.joined, data);
    EXPECT_GT(whole.calls, 2) << "more output than the buffer holds";
    refusing.refused = 1;
    EXPECT_FALSE(InflateInto(Deflate(data), refusing));
    EXPECT_EQ(refusing.calls, 2);
}

// The header rule is zlib's own: every two-byte start zlib takes, less those that ask for a
// preset dictionary.
TEST(Inflate, HeaderRuleMatchesWhatZlibAccepts) {
    int accepted = 0;
    for (unsigned first = 0; first < 256; ++first) {
        for (unsigned second = 0; second < 256; ++second) {
            std::uint8_t header[2] = {static_cast<std::uint8_t>(first),
                                      static_cast<std::uint8_t>(second)};
            z_stream stream{};
            ASSERT_EQ(inflateInit(&stream), Z_OK);
            stream.next_in = header;
            stream.avail_in = 2;
            std::uint8_t out[16];
            stream.next_out = out;
            stream.avail_out = sizeof out;
            const bool zlibTakes = inflate(&stream, Z_NO_FLUSH) != Z_DATA_ERROR;
            inflateEnd(&stream);
            const bool expected = zlibTakes && (second & 0x20) == 0;
            EXPECT_EQ(HasZlibHeader(header), expected) << first << " " << second;
            accepted += expected;
        }
    }
    EXPECT_EQ(accepted, 32) << "eight window sizes, about a 31st of the flags, half without "
                               "a dictionary";
    EXPECT_TRUE(HasZlibHeader(Deflate(Bytes("x"))));
    EXPECT_FALSE(HasZlibHeader(Bytes("x")));
}

TEST(Inflate, ChecksumsEqualZlibsInWholeAndInPieces) {
    std::vector<std::uint8_t> bytes(3000);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<std::uint8_t>(i * 131 + (i >> 5));
    }
    EXPECT_EQ(0xCBF43926u, Crc32(0, Bytes("123456789")));
    EXPECT_EQ(0x11E60398u, Adler32(1, Bytes("Wikipedia")));
    for (const std::size_t length : {0u, 1u, 7u, 255u, 3000u}) {
        const std::span<const std::uint8_t> part(bytes.data(), length);
        const auto expected =
            static_cast<std::uint32_t>(::crc32(0, bytes.data(), static_cast<uInt>(length)));
        EXPECT_EQ(expected, Crc32(0, part)) << length;
        EXPECT_EQ(expected, Crc32(Crc32(0, part.first(length / 3)), part.subspan(length / 3)))
            << length;
    }
    // All 0xFF is where the sums grow fastest: several whole blocks, and pieces that end
    // just before, at and after a block's end.
    const std::vector<std::uint8_t> high(3 * 5552 + 7, 0xFF);
    const auto zlibs = [](std::span<const std::uint8_t> part, std::uint32_t start = 1) {
        return static_cast<std::uint32_t>(
            ::adler32(start, part.data(), static_cast<uInt>(part.size())));
    };
    EXPECT_EQ(zlibs(high), Adler32(1, high));
    EXPECT_EQ(zlibs(bytes), Adler32(1, bytes));
    for (const std::size_t cut : {5551u, 5552u, 5553u, 11105u}) {
        const std::span<const std::uint8_t> whole(high);
        EXPECT_EQ(zlibs(whole), Adler32(Adler32(1, whole.first(cut)), whole.subspan(cut))) << cut;
        EXPECT_EQ(zlibs(whole.subspan(cut), 0xFFF0FFF0u), Adler32(0xFFF0FFF0u, whole.subspan(cut)))
            << "from sums near the base " << cut;
    }
}

}  // namespace
}  // namespace tk::install
