// Build-time host tool: compresses one file into one zlib stream (RFC 1950).
//   pack_payload INPUT OUTPUT
#include <zlib.h>

#include <cstdio>
#include <vector>

#include "read_all.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: pack_payload INPUT OUTPUT\n");
        return 2;
    }
    std::vector<unsigned char> input;
    if (!ReadAll(argv[1], input)) {
        std::fprintf(stderr, "pack_payload: cannot read %s\n", argv[1]);
        return 1;
    }
    uLongf size = compressBound(static_cast<uLong>(input.size()));
    std::vector<unsigned char> output(size);
    if (compress2(output.data(), &size, input.data(), static_cast<uLong>(input.size()),
                  Z_BEST_COMPRESSION) != Z_OK) {
        std::fprintf(stderr, "pack_payload: cannot compress %s\n", argv[1]);
        return 1;
    }
    std::FILE* file = std::fopen(argv[2], "wb");
    if (file == nullptr || std::fwrite(output.data(), 1, size, file) != size ||
        std::fclose(file) != 0) {
        std::fprintf(stderr, "pack_payload: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
