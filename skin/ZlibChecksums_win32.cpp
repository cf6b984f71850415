// zlib's own checksum functions, answered by ours: inflate calls adler32 for every zlib stream
// and crc32 only on its gzip path, and the library's crc32 alone brings 12 KiB of tables into
// the installer. The programs' link pulls this member in ahead of the library (-u in CMake),
// so the library's adler32 and crc32 members stay out.
#include <zlib.h>

#include "skin/Adler32.h"
#include "skin/Crc32.h"

extern "C" {

uLong ZEXPORT adler32(uLong adler, const Bytef* buf, uInt len)
{
    return buf ? Adler32(static_cast<uint32_t>(adler), buf, len) : 1;
}

uLong ZEXPORT crc32(uLong crc, const Bytef* buf, uInt len)
{
    return buf ? Crc32(static_cast<uint32_t>(crc), buf, len) : 0;
}

}  // extern "C"
