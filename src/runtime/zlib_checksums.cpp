// zlib's crc32() and adler32(), defined by the program so that the linker leaves zlib's
// own out: see tk::install::Crc32 and tk::install::Adler32.
#include <zlib.h>

#include "install/inflate.h"

extern "C" uLong ZEXPORT crc32(uLong crc, const Bytef* buf, uInt len) {
    if (buf == Z_NULL) {
        return 0;  // zlib's answer: the value to start from
    }
    return tk::install::Crc32(static_cast<std::uint32_t>(crc), {buf, len});
}

extern "C" uLong ZEXPORT adler32(uLong adler, const Bytef* buf, uInt len) {
    if (buf == Z_NULL) {
        return 1;  // zlib's answer: the value to start from
    }
    return tk::install::Adler32(static_cast<std::uint32_t>(adler), {buf, len});
}
