#pragma once
// One zlib (RFC 1950) inflation into memory.
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace tk::install {

// The inflated bytes of one complete zlib stream at the start of `compressed`, or nothing
// when the bytes are not a valid, complete stream.
std::optional<std::vector<std::uint8_t>> InflateZlib(std::span<const std::uint8_t> compressed);

}  // namespace tk::install
