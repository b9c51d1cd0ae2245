#pragma once
// One zlib (RFC 1950) inflation, into memory or piece by piece.
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "platform/files.h"

namespace tk::install {

// An allocator that leaves new bytes uninitialised: inflation overwrites them anyway, and
// zeroing a few megabytes first would cost more than a tenth of the inflation itself.
template <typename T>
struct UninitialisedAllocator : std::allocator<T> {
    template <typename U>
    struct rebind {
        using other = UninitialisedAllocator<U>;
    };
    UninitialisedAllocator() = default;
    template <typename U>
    UninitialisedAllocator(const UninitialisedAllocator<U>&) noexcept {}
    template <typename U>
    void construct(U* p) noexcept {
        ::new (static_cast<void*>(p)) U;
    }
    template <typename U, typename... Args>
    void construct(U* p, Args&&... args) {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
};

using ByteBuffer = std::vector<std::uint8_t, UninitialisedAllocator<std::uint8_t>>;

// True when the bytes begin with a zlib stream header (RFC 1950) that the inflater takes:
// the deflate method, a window of at most 32 KiB, a correct check value and no preset
// dictionary (which nothing here could supply).
bool HasZlibHeader(std::span<const std::uint8_t> bytes);

// True when the bytes begin with one complete zlib stream whose checksum matches. Takes
// only a small fixed buffer, whatever the stream's size.
bool InflatesCompletely(std::span<const std::uint8_t> compressed);

// Inflates the one zlib stream at the start of `compressed` through a small fixed buffer,
// handing the output to `sink` piece by piece. True when the stream was complete with a
// matching checksum and the sink took every piece; it stops at the first refused one.
bool InflateInto(std::span<const std::uint8_t> compressed, platform::ByteSink& sink);

// The inflated bytes of one complete zlib stream at the start of `compressed`, or nothing
// when the bytes are not a valid, complete stream.
std::optional<ByteBuffer> InflateZlib(std::span<const std::uint8_t> compressed);

// The CRC-32 of gzip (ISO 3309), continuing from `crc` (0 to start), as zlib's crc32()
// computes it, one bit at a time and without zlib's tables. zlib asks for it only for gzip
// streams, which the installer never reads: the program gives zlib this one (about 8 KiB
// smaller than zlib's own).
std::uint32_t Crc32(std::uint32_t crc, std::span<const std::uint8_t> bytes);

// The Adler-32 of zlib streams (RFC 1950), continuing from `adler` (1 to start), as zlib's
// adler32() computes it and about as fast. The program gives zlib this one too: zlib's
// brings its combine functions along (about 1.5 KiB more).
std::uint32_t Adler32(std::uint32_t adler, std::span<const std::uint8_t> bytes);

}  // namespace tk::install
