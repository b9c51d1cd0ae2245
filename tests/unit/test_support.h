#pragma once
#include <zlib.h>

#include <string>
#include <vector>

namespace tk::testing {

inline std::vector<std::uint8_t> Bytes(const std::string& text) {
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

// One zlib stream of the bytes, as the build packs every payload.
inline std::vector<std::uint8_t> Deflate(const std::vector<std::uint8_t>& input) {
    uLongf size = compressBound(static_cast<uLong>(input.size()));
    std::vector<std::uint8_t> output(size);
    compress2(output.data(), &size, input.data(), static_cast<uLong>(input.size()), 9);
    output.resize(size);
    return output;
}

}  // namespace tk::testing
