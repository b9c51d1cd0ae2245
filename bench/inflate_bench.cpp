// Benchmark: the installer's inflation against plain zlib uncompress on the same streams.
//   inflate_bench [ROUNDS]
// Prints MB/s of inflated output for both and their ratio.
#include <windows.h>
#include <zlib.h>

#include <algorithm>
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

double Seconds(LARGE_INTEGER start, LARGE_INTEGER end) {
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    return static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart;
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 40;
    const std::vector<std::uint8_t> sample = MakeSample();
    uLongf packedSize = compressBound(sample.size());
    std::vector<std::uint8_t> packed(packedSize);
    compress2(packed.data(), &packedSize, sample.data(), sample.size(), 9);
    packed.resize(packedSize);

    double best[2] = {1e9, 1e9};
    std::vector<std::uint8_t> out(sample.size());
    for (int round = 0; round < rounds; ++round) {
        LARGE_INTEGER t0, t1, t2;
        ::QueryPerformanceCounter(&t0);
        const auto inflated = tk::install::InflateZlib(packed);
        ::QueryPerformanceCounter(&t1);
        uLongf outSize = out.size();
        const int status = uncompress(out.data(), &outSize, packed.data(), packed.size());
        ::QueryPerformanceCounter(&t2);
        if (!inflated || !std::equal(inflated->begin(), inflated->end(), sample.begin(), sample.end()) || status != Z_OK || outSize != sample.size()) {
            std::fprintf(stderr, "inflate_bench: wrong result\n");
            return 1;
        }
        best[0] = std::min(best[0], Seconds(t0, t1));
        best[1] = std::min(best[1], Seconds(t1, t2));
    }
    const double mb = sample.size() / 1e6;
    std::printf("sample: %.2f MB inflated, %.2f MB compressed, best of %d rounds\n", mb,
                packed.size() / 1e6, rounds);
    std::printf("installer inflate: %.1f MB/s\n", mb / best[0]);
    std::printf("zlib uncompress:   %.1f MB/s\n", mb / best[1]);
    std::printf("ratio: %.3f\n", best[1] / best[0]);
    return 0;
}
