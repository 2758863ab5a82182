// Payload shapes shared by the benchmarks.
#pragma once

#include <cstdint>
#include <cstring>
#include <iterator>
#include <random>
#include <vector>

// A software product's shape: many small text files, some binaries with structure, a few
// already compressed blobs and some large files, in nested folders.
inline std::vector<uint8_t> Content(std::mt19937& rng, size_t size, int kind) {
  static const char* const words[] = {"Kunde",  "Rechnung", "SELECT", "FROM",  "WHERE", "zeb_open",
                                      "return", "if",       "Datum",  "Summe", "0x1F",  "\r\n"};
  std::vector<uint8_t> b(size);
  size_t i = 0;
  if (kind == 0) {  // text
    while (i < size) {
      const char* w = words[rng() % std::size(words)];
      for (const char* p = w; *p && i < size; ++p) b[i++] = static_cast<uint8_t>(*p);
      if (i < size) b[i++] = ' ';
    }
  } else if (kind == 1) {  // structured binary: records with counters and a little noise
    uint32_t r = 0;
    for (; i < size; ++i) {
      if (i % 16 == 0) r = rng();
      b[i] =
          static_cast<uint8_t>(i % 64 < 8 ? (i / 64) >> (8 * (i % 4)) : (r >> (2 * (i % 16))) & 3);
    }
  } else {  // incompressible
    for (; i + 4 <= size; i += 4) {
      uint32_t r = rng();
      std::memcpy(&b[i], &r, 4);
    }
    for (; i < size; ++i) b[i] = static_cast<uint8_t>(rng());
  }
  return b;
}
