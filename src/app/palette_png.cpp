#include "app/palette_png.h"

#include <algorithm>
#include <cstdlib>
#include <string_view>

#include "install/inflate.h"

namespace tk::app {
namespace {

constexpr std::array<std::uint8_t, 8> kSignature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr std::uint32_t kLargestSide = 4096;  // far beyond any window picture

std::uint32_t BigEndian32(const std::uint8_t* at) {
    return (std::uint32_t{at[0]} << 24) | (std::uint32_t{at[1]} << 16) |
           (std::uint32_t{at[2]} << 8) | at[3];
}

std::uint8_t Paeth(int left, int up, int upLeft) {
    const int estimate = left + up - upLeft;
    const int toLeft = std::abs(estimate - left);
    const int toUp = std::abs(estimate - up);
    const int toUpLeft = std::abs(estimate - upLeft);
    if (toLeft <= toUp && toLeft <= toUpLeft) {
        return static_cast<std::uint8_t>(left);
    }
    return static_cast<std::uint8_t>(toUp <= toUpLeft ? up : upLeft);
}

// Undoes the per-row filters (one byte per pixel) into `out`; false for an unknown filter.
bool Unfilter(std::span<const std::uint8_t> filtered, std::uint32_t width, std::uint32_t height,
              std::vector<std::uint8_t>& out) {
    out.assign(std::size_t{width} * height, 0);
    for (std::uint32_t y = 0; y < height; ++y) {
        const std::uint8_t* in = filtered.data() + std::size_t{y} * (width + 1);
        std::uint8_t* row = out.data() + std::size_t{y} * width;
        const std::uint8_t* above = y == 0 ? nullptr : row - width;
        for (std::uint32_t x = 0; x < width; ++x) {
            const int left = x == 0 ? 0 : row[x - 1];
            const int up = above == nullptr ? 0 : above[x];
            const int upLeft = x == 0 || above == nullptr ? 0 : above[x - 1];
            int predicted = 0;
            switch (in[0]) {
                case 0:
                    break;
                case 1:
                    predicted = left;
                    break;
                case 2:
                    predicted = up;
                    break;
                case 3:
                    predicted = (left + up) / 2;
                    break;
                case 4:
                    predicted = Paeth(left, up, upLeft);
                    break;
                default:
                    return false;
            }
            row[x] = static_cast<std::uint8_t>(in[1 + x] + predicted);
        }
    }
    return true;
}

}  // namespace

std::optional<PalettePicture> DecodePalettePng(std::span<const std::uint8_t> png) {
    if (png.size() < kSignature.size() ||
        !std::equal(kSignature.begin(), kSignature.end(), png.begin())) {
        return std::nullopt;
    }
    PalettePicture picture;
    std::vector<std::uint8_t> compressed;
    bool header = false;
    for (std::size_t at = kSignature.size();;) {
        if (png.size() - at < 12) {
            return std::nullopt;  // ended before IEND
        }
        const std::uint32_t length = BigEndian32(&png[at]);
        if (length > png.size() - at - 12) {
            return std::nullopt;
        }
        const auto typed = png.subspan(at + 4, 4 + std::size_t{length});
        if (install::Crc32(0, typed) != BigEndian32(&png[at + 8 + length])) {
            return std::nullopt;
        }
        const std::string_view type(reinterpret_cast<const char*>(typed.data()), 4);
        const auto data = typed.subspan(4);
        at += 12 + std::size_t{length};
        if (type == "IHDR") {
            // 8-bit samples, palette colour, deflate, adaptive filters, not interlaced.
            constexpr std::array<std::uint8_t, 5> kKind = {8, 3, 0, 0, 0};
            if (length != 13 || !std::equal(kKind.begin(), kKind.end(), data.begin() + 8)) {
                return std::nullopt;
            }
            picture.width = BigEndian32(&data[0]);
            picture.height = BigEndian32(&data[4]);
            header = picture.width > 0 && picture.height > 0 && picture.width <= kLargestSide &&
                     picture.height <= kLargestSide;
            if (!header) {
                return std::nullopt;
            }
        } else if (type == "PLTE") {
            if (length == 0 || length % 3 != 0 || length > 3 * 256) {
                return std::nullopt;
            }
            for (std::size_t i = 0; i < length; i += 3) {
                picture.palette.push_back({data[i], data[i + 1], data[i + 2]});
            }
        } else if (type == "IDAT") {
            compressed.insert(compressed.end(), data.begin(), data.end());
        } else if (type == "IEND") {
            break;
        }
    }
    if (!header || picture.palette.empty()) {
        return std::nullopt;
    }
    const std::optional<install::ByteBuffer> filtered = install::InflateZlib(compressed);
    if (!filtered ||
        filtered->size() != std::size_t{picture.height} * (std::size_t{picture.width} + 1) ||
        !Unfilter(*filtered, picture.width, picture.height, picture.indices)) {
        return std::nullopt;
    }
    for (const std::uint8_t index : picture.indices) {
        if (index >= picture.palette.size()) {
            return std::nullopt;
        }
    }
    return picture;
}

}  // namespace tk::app
