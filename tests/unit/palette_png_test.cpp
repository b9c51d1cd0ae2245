#include "app/palette_png.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <string>

#include "test_support.h"

namespace tk::app {
namespace {

using Bytes = std::vector<std::uint8_t>;

void Append32(Bytes& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(static_cast<std::uint8_t>(value >> shift));
    }
}

void AppendChunk(Bytes& out, const std::string& type, const Bytes& data) {
    Append32(out, static_cast<std::uint32_t>(data.size()));
    Bytes typed(type.begin(), type.end());
    typed.insert(typed.end(), data.begin(), data.end());
    out.insert(out.end(), typed.begin(), typed.end());
    Append32(out, static_cast<std::uint32_t>(::crc32(0, typed.data(), typed.size())));
}

// Encodes `indices` (width x height, palette of `colours` greys) with row y using filter
// y % 5, as a PNG encoder may choose per row.
Bytes EncodePng(std::uint32_t width, std::uint32_t height, const Bytes& indices, int colours,
                std::uint8_t colourType = 3) {
    Bytes filtered;
    for (std::uint32_t y = 0; y < height; ++y) {
        const int filter = static_cast<int>(y % 5);
        filtered.push_back(static_cast<std::uint8_t>(filter));
        for (std::uint32_t x = 0; x < width; ++x) {
            const auto at = [&](std::uint32_t ax, std::uint32_t ay) {
                return static_cast<int>(indices[ay * width + ax]);
            };
            const int a = x > 0 ? at(x - 1, y) : 0;
            const int b = y > 0 ? at(x, y - 1) : 0;
            const int c = x > 0 && y > 0 ? at(x - 1, y - 1) : 0;
            const int p = a + b - c;
            const int paeth =
                std::abs(p - a) <= std::abs(p - b) && std::abs(p - a) <= std::abs(p - c)
                    ? a
                    : (std::abs(p - b) <= std::abs(p - c) ? b : c);
            const int predicted[] = {0, a, b, (a + b) / 2, paeth};
            filtered.push_back(static_cast<std::uint8_t>(at(x, y) - predicted[filter]));
        }
    }
    Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Bytes header;
    Append32(header, width);
    Append32(header, height);
    header.insert(header.end(), {8, colourType, 0, 0, 0});
    AppendChunk(png, "IHDR", header);
    Bytes palette;
    for (int i = 0; i < colours; ++i) {
        palette.insert(palette.end(), {static_cast<std::uint8_t>(i), 0x20, 0xFF});
    }
    AppendChunk(png, "PLTE", palette);
    const Bytes packed = testing::Deflate(filtered);
    // Two data chunks: a decoder must join them.
    AppendChunk(png, "IDAT", Bytes(packed.begin(), packed.begin() + packed.size() / 2));
    AppendChunk(png, "IDAT", Bytes(packed.begin() + packed.size() / 2, packed.end()));
    AppendChunk(png, "IEND", {});
    return png;
}

// Indices that vary in both directions, so every filter predicts something else.
Bytes Sample(std::uint32_t width, std::uint32_t height, int colours) {
    Bytes indices(width * height);
    for (std::uint32_t i = 0; i < indices.size(); ++i) {
        indices[i] = static_cast<std::uint8_t>((i * 7 + (i / width) * (i % width) * 13) % colours);
    }
    return indices;
}

TEST(PalettePng, UndoesEveryRowFilter) {
    const Bytes indices = Sample(37, 23, 200);
    const auto picture = DecodePalettePng(EncodePng(37, 23, indices, 200));
    ASSERT_TRUE(picture.has_value());
    EXPECT_EQ(37u, picture->width);
    EXPECT_EQ(23u, picture->height);
    ASSERT_EQ(200u, picture->palette.size());
    EXPECT_EQ((std::array<std::uint8_t, 3>{199, 0x20, 0xFF}), picture->palette[199]);
    EXPECT_EQ(indices, picture->indices);
}

TEST(PalettePng, RejectsDamagedOrUnsupportedPictures) {
    const Bytes indices = Sample(16, 9, 16);
    const Bytes good = EncodePng(16, 9, indices, 16);
    ASSERT_TRUE(DecodePalettePng(good).has_value());

    Bytes flipped = good;
    flipped[good.size() / 2] ^= 0x01;  // inside the data: its chunk's CRC no longer matches
    EXPECT_FALSE(DecodePalettePng(flipped).has_value());
    EXPECT_FALSE(DecodePalettePng(Bytes(good.begin(), good.end() - 12)).has_value()) << "no IEND";
    EXPECT_FALSE(DecodePalettePng(Bytes(good.begin(), good.begin() + 40)).has_value());
    EXPECT_FALSE(DecodePalettePng(EncodePng(16, 9, indices, 16, 0)).has_value()) << "grey";
    EXPECT_FALSE(DecodePalettePng(EncodePng(16, 9, indices, 10)).has_value())
        << "indices beyond the palette";
    EXPECT_FALSE(DecodePalettePng({}).has_value());
}

}  // namespace
}  // namespace tk::app
