#pragma once
// The window's pictures are stored as PNG files of the simplest kind: 8-bit palette
// colour, not interlaced. Decoding them takes zlib, which the program carries anyway,
// instead of loading GDI+ and its codecs when the wizard first paints.
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace tk::app {

struct PalettePicture {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::vector<std::array<std::uint8_t, 3>> palette;  // red, green, blue
    std::vector<std::uint8_t> indices;                 // top row first, `width` per row
};

// The picture in `png`, or nothing when it is not a complete, undamaged PNG of that kind
// (every chunk's CRC is checked, and every index must name a palette entry).
std::optional<PalettePicture> DecodePalettePng(std::span<const std::uint8_t> png);

}  // namespace tk::app
