// Benchmark: the installer's inflation against plain zlib uncompress on the same stream,
// and what checking a stream for damage before it is installed costs.
//   inflate_bench [ROUNDS]
// Prints MB/s of inflated output for each and the memory each way holds.
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "install/inflate.h"

namespace {

// About 2.6 MB, like the largest payload: program-like bytes with runs and tables.
std::vector<std::uint8_t> MakeSample() {
    std::vector<std::uint8_t> data;
    data.reserve(2600000);
    std::uint32_t state = 12345;
    while (data.size() < 2600000) {
        state = state * 1103515245u + 12345u;
        const std::uint32_t kind = (state >> 16) % 4;
        if (kind == 0) {
            data.insert(data.end(), 64, static_cast<std::uint8_t>(state >> 8));
        } else if (kind == 1) {
            static const char text[] = "GetProcAddress LoadLibraryA tidyKiosk Filter Settings ";
            data.insert(data.end(), text, text + sizeof text - 1);
        } else {
            for (int i = 0; i < 48; ++i) {
                state = state * 1103515245u + 12345u;
                data.push_back(static_cast<std::uint8_t>(state >> 24) & 0x3F);
            }
        }
    }
    return data;
}

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point start, Clock::time_point end) {
    return std::chrono::duration<double>(end - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 40;
    const std::vector<std::uint8_t> sample = MakeSample();
    uLongf packedSize = compressBound(sample.size());
    std::vector<std::uint8_t> packed(packedSize);
    compress2(packed.data(), &packedSize, sample.data(), sample.size(), 9);
    packed.resize(packedSize);

    double best[5] = {1e9, 1e9, 1e9, 1e9, 1e9};
    std::size_t held = 0;
    std::vector<std::uint8_t> out(sample.size());
    for (int round = 0; round < rounds; ++round) {
        const auto t0 = Clock::now();
        const auto inflated = tk::install::InflateZlib(packed);
        const auto t1 = Clock::now();
        uLongf outSize = out.size();
        const int status = uncompress(out.data(), &outSize, packed.data(), packed.size());
        const auto t2 = Clock::now();
        const bool intact = tk::install::InflatesCompletely(packed);
        const auto t3 = Clock::now();
        // The program's Adler-32 (the one its zlib uses) against zlib's own, linked here.
        const std::uint32_t ours = tk::install::Adler32(1, sample);
        const auto t4 = Clock::now();
        const auto zlibs = adler32(1, sample.data(), static_cast<uInt>(sample.size()));
        const auto t5 = Clock::now();
        if (!inflated || ours != zlibs ||
            !std::equal(inflated->begin(), inflated->end(), sample.begin(), sample.end()) ||
            status != Z_OK || outSize != sample.size() || !intact) {
            std::fprintf(stderr, "inflate_bench: wrong result\n");
            return 1;
        }
        held = inflated->capacity();
        best[0] = std::min(best[0], Seconds(t0, t1));
        best[1] = std::min(best[1], Seconds(t1, t2));
        best[2] = std::min(best[2], Seconds(t2, t3));
        best[3] = std::min(best[3], Seconds(t3, t4));
        best[4] = std::min(best[4], Seconds(t4, t5));
    }
    const double mb = sample.size() / 1e6;
    std::printf("sample: %.2f MB inflated, %.2f MB compressed, best of %d rounds\n", mb,
                packed.size() / 1e6, rounds);
    std::printf("installer inflate: %.1f MB/s (%.2f ms)\n", mb / best[0], best[0] * 1e3);
    std::printf("zlib uncompress:   %.1f MB/s (%.2f ms)\n", mb / best[1], best[1] * 1e3);
    std::printf("ratio: %.3f\n", best[1] / best[0]);
    std::printf("damage check:      %.1f MB/s (%.2f ms), 32 KiB output buffer\n", mb / best[2],
                best[2] * 1e3);
    std::printf("Adler-32: the program's %.1f MB/s, zlib's %.1f MB/s\n", mb / best[3],
                mb / best[4]);
    std::printf("kept inflated bytes: %.2f MB held for this one file\n", held / 1e6);
    return 0;
}
