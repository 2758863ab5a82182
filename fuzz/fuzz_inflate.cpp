// The compact inflater against zlib on the same bytes: the same output as far as both got, and
// where either reaches a checked end, both do with the same output. The first input byte picks
// the read size, the source's piece size and how often the source pauses (gives nothing once);
// the rest is the stream.
#include <zlib.h>

#include <algorithm>
#include <cstring>

#include "uExceptions.h"
#include "uInflate.h"

namespace {

// Output beyond this is not compared: a small input can inflate a thousandfold. Twice the
// window's 64 KiB, so that it slides and matches reach back over the slide.
constexpr size_t kCap = 1 << 17;

struct TRun {
  size_t Size = 0;  // of the output
  bool Ended = false;
  bool Failed = false;  // an error, rather than input that ran out
};

uint8_t gZlibOut[kCap];
uint8_t gCompactOut[kCap + 100'000];

TRun Zlib(const uint8_t* data, size_t size, size_t cap) {
  TRun r;
  z_stream zs{};
  inflateInit(&zs);
  zs.next_in = const_cast<uint8_t*>(data);
  zs.avail_in = static_cast<uInt>(size);
  zs.next_out = gZlibOut;
  zs.avail_out = static_cast<uInt>(cap);
  int result = inflate(&zs, Z_FINISH);
  r.Size = cap - zs.avail_out;
  inflateEnd(&zs);
  r.Ended = result == Z_STREAM_END;
  r.Failed = result != Z_STREAM_END && result != Z_BUF_ERROR;
  return r;
}

TRun Compact(const uint8_t* data, size_t size, size_t readSize, size_t piece, size_t pauseEvery,
             size_t cap) {
  TRun r;
  size_t at = 0;
  bool paused = false;
  size_t pieces = 0;
  TInflater inflater([&](uint8_t* to, size_t capacity) -> size_t {
    if (pauseEvery && !paused && ++pieces % pauseEvery == 0) {
      paused = true;
      return 0;
    }
    paused = false;
    size_t n = std::min(std::min(capacity, piece), size - at);
    if (n) std::memcpy(to, data + at, n);
    at += n;
    return n;
  });
  try {
    // A short read after a pause goes on; otherwise the input is used up.
    while (r.Size < cap) {
      size_t n = inflater.Read(gCompactOut + r.Size, readSize);
      if (n > readSize) __builtin_trap();
      r.Size += n;
      if (n < readSize && (!paused || inflater.Ended())) break;
    }
  } catch (const Exception&) {
    r.Failed = true;
  }
  r.Size = std::min(r.Size, cap);
  r.Ended = inflater.Ended();
  return r;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  // The small reads cost a call a byte: they see less of the output.
  static const size_t kReads[] = {1, 7, 4096, 100'000};
  static const size_t kCaps[] = {4096, 32'768, kCap, kCap};
  static const size_t kPieces[] = {2, 13, 4096, 65'536};
  // A pause after every 7th, 31st or 97th piece, or none. Each one costs the compact decoder
  // its step over again, so pauses at every byte are left to the unit tests.
  static const size_t kPauses[] = {0, 7, 31, 97};
  const size_t readSize = kReads[data[0] & 3], cap = kCaps[data[0] & 3];
  const size_t piece = kPieces[data[0] >> 2 & 3], pauseEvery = kPauses[data[0] >> 4 & 3];
  const TRun zlib = Zlib(data + 1, size - 1, cap);
  const TRun compact = Compact(data + 1, size - 1, readSize, piece, pauseEvery, cap);
  if (std::memcmp(gZlibOut, gCompactOut, std::min(zlib.Size, compact.Size))) __builtin_trap();
  if (zlib.Size < cap && compact.Size < cap) {
    if (zlib.Ended != compact.Ended) __builtin_trap();
    if (zlib.Ended && zlib.Size != compact.Size) __builtin_trap();
    // Input that ran out: everything whole before the cut, from both.
    if (!zlib.Failed && !compact.Failed && zlib.Size != compact.Size) __builtin_trap();
  }
  return 0;
}
