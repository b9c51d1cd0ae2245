#include "install/inflate.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <climits>

namespace tk::install {
namespace {

// Ends the inflater on every path out, exceptions from the output buffer included.
class Inflater {
public:
    Inflater() : ready_(inflateInit(&stream_) == Z_OK) {}
    ~Inflater() {
        if (ready_) {
            inflateEnd(&stream_);
        }
    }
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;

    // Runs the one stream at the start of `compressed` through the inflater. `room(total)`
    // names where the output goes once `total` bytes have come out (no room stops it). True
    // when the stream ended with a matching checksum.
    template <typename Room>
    bool Run(std::span<const std::uint8_t> compressed, Room room) {
        if (!ready_ || compressed.size() > UINT_MAX) {
            return false;
        }
        stream_.next_in = const_cast<Bytef*>(compressed.data());
        stream_.avail_in = static_cast<uInt>(compressed.size());
        int status = Z_OK;
        while (status == Z_OK) {
            const std::span<std::uint8_t> out = room(stream_.total_out);
            if (out.empty()) {
                return false;
            }
            stream_.next_out = out.data();
            stream_.avail_out = static_cast<uInt>(std::min<std::size_t>(out.size(), UINT_MAX));
            status = inflate(&stream_, Z_NO_FLUSH);
            if (status == Z_BUF_ERROR && stream_.avail_out != 0) {
                break;  // input ended before the stream did
            }
            if (status == Z_BUF_ERROR) {
                status = Z_OK;  // only out of room: go on
            }
        }
        return status == Z_STREAM_END;
    }

    std::size_t TotalOut() const { return stream_.total_out; }

private:
    z_stream stream_{};
    bool ready_;
};

}  // namespace

bool HasZlibHeader(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < 2) {
        return false;
    }
    const unsigned method = bytes[0] & 0x0F;
    const unsigned windowBits = (bytes[0] >> 4) + 8;
    const bool presetDictionary = (bytes[1] & 0x20) != 0;
    return method == Z_DEFLATED && windowBits <= MAX_WBITS && !presetDictionary &&
           (bytes[0] * 256u + bytes[1]) % 31 == 0;
}

bool InflatesCompletely(std::span<const std::uint8_t> compressed) {
    // The output is only counted.
    struct Discard final : platform::ByteSink {
        bool Write(std::span<const std::uint8_t>) override { return true; }
    } discard;
    return InflateInto(compressed, discard);
}

bool InflateInto(std::span<const std::uint8_t> compressed, platform::ByteSink& sink) {
    std::array<std::uint8_t, 64 * 1024> buffer;
    std::size_t start = 0;  // how much had come out when the buffer was last emptied
    bool taken = true;
    Inflater inflater;
    const bool complete = inflater.Run(compressed, [&](std::size_t done) {
        if (done - start == buffer.size()) {
            taken = sink.Write(buffer);
            start = done;
        }
        return taken ? std::span(buffer).subspan(done - start) : std::span<std::uint8_t>();
    });
    return complete && sink.Write(std::span(buffer).first(inflater.TotalOut() - start));
}

std::optional<ByteBuffer> InflateZlib(std::span<const std::uint8_t> compressed) {
    ByteBuffer out;
    // Payloads compress about three to one; start there and grow geometrically.
    out.resize(compressed.size() * 4 + 4096);
    Inflater inflater;
    const bool complete = inflater.Run(compressed, [&out](std::size_t done) {
        if (done == out.size()) {
            out.resize(out.size() * 2);
        }
        return std::span(out).subspan(done);
    });
    if (!complete) {
        return std::nullopt;
    }
    out.resize(inflater.TotalOut());
    return out;
}

std::uint32_t Crc32(std::uint32_t crc, std::span<const std::uint8_t> bytes) {
    constexpr std::uint32_t kReversedPolynomial = 0xEDB88320;
    crc = ~crc;
    for (const std::uint8_t byte : bytes) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc >> 1) ^ (kReversedPolynomial & (0u - (crc & 1u)));
        }
    }
    return ~crc;
}

std::uint32_t Adler32(std::uint32_t adler, std::span<const std::uint8_t> bytes) {
    constexpr std::uint32_t kBase = 65521;
    // The most bytes after which the second sum cannot yet have overflowed 32 bits.
    constexpr std::size_t kBlock = 5552;
    std::uint32_t a = adler & 0xFFFF;
    std::uint32_t b = adler >> 16;
    const std::uint8_t* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        std::size_t n = std::min(left, kBlock);
        left -= n;
        for (; n >= 4; n -= 4, p += 4) {
            a += p[0];
            b += a;
            a += p[1];
            b += a;
            a += p[2];
            b += a;
            a += p[3];
            b += a;
        }
        for (; n > 0; --n) {
            a += *p++;
            b += a;
        }
        a %= kBase;
        b %= kBase;
    }
    return (b << 16) | a;
}

}  // namespace tk::install
