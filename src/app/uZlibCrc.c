/* zlib's table-driven CRC-32 takes some 12 KB, only for gzip streams, which setup.exe never
   reads (its members are zlib streams, checked by Adler-32). This bitwise version answers the
   same and keeps zlib's own out of the link. */
#include <zlib.h>

uLong ZEXPORT crc32(uLong crc, const Bytef* buf, uInt len) {
  if (!buf) return 0;
  crc = ~crc & 0xFFFFFFFFul;
  while (len--) {
    crc ^= *buf++;
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320ul & (0ul - (crc & 1)));
  }
  return ~crc & 0xFFFFFFFFul;
}
