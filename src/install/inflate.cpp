#include "install/inflate.h"

#include <zlib.h>

#include <algorithm>
#include <climits>

namespace tk::install {

std::optional<ByteBuffer> InflateZlib(std::span<const std::uint8_t> compressed) {
    if (compressed.size() > UINT_MAX) {
        return std::nullopt;
    }
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK) {
        return std::nullopt;
    }
    ByteBuffer out;
    // Payloads compress about three to one; start there and grow geometrically.
    out.resize(compressed.size() * 4 + 4096);
    stream.next_in = const_cast<Bytef*>(compressed.data());
    stream.avail_in = static_cast<uInt>(compressed.size());
    int status = Z_OK;
    while (status == Z_OK) {
        if (stream.total_out == out.size()) {
            out.resize(out.size() * 2);
        }
        const std::size_t done = stream.total_out;
        stream.next_out = out.data() + done;
        stream.avail_out = static_cast<uInt>(std::min<std::size_t>(out.size() - done, UINT_MAX));
        status = inflate(&stream, Z_NO_FLUSH);
        if (status == Z_BUF_ERROR && stream.avail_out != 0) {
            break;  // input ended before the stream did
        }
        if (status == Z_BUF_ERROR) {
            status = Z_OK;  // only out of room: grow and go on
        }
    }
    const bool complete = status == Z_STREAM_END;
    out.resize(stream.total_out);
    inflateEnd(&stream);
    if (!complete) {
        return std::nullopt;
    }
    return out;
}

}  // namespace tk::install
