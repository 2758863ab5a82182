// Raw inflate throughput of setup.exe's compact TInflater against zlib, in memory, on the same
// zlib streams (level 9, as kropack writes them) and with the engine's pattern: 64 KiB pieces
// of input, 4 KiB reads of output. Best of five rounds, alternating.
//
//   bench_inflate [MB]   members of about MB megabytes in all (default 60)
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "BenchPayload.h"
#include "uInflate.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct TMember {
  Bytes Stream;
  size_t Size;
  uint32_t Adler;
};

// The payload's shape as in bench_extract: mostly small text and binaries, a few large ones.
std::vector<TMember> Members(double megabytes, int kind) {
  std::mt19937 rng(20261208 + kind);
  const size_t target = static_cast<size_t>(megabytes * 1'000'000);
  std::vector<TMember> members;
  for (size_t total = 0, n = 0; total < target; ++n) {
    size_t size = n % 40 == 3 ? 200'000 + rng() % 2'000'000 : rng() % 60'000;
    size = std::min(size, target - total);
    Bytes data = Content(rng, size, kind);
    uLongf bound = compressBound(static_cast<uLong>(size));
    TMember m{Bytes(bound), size,
              static_cast<uint32_t>(adler32(1, data.data(), static_cast<uInt>(size)))};
    compress2(m.Stream.data(), &bound, data.data(), static_cast<uLong>(size), 9);
    m.Stream.resize(bound);
    members.push_back(std::move(m));
    total += size;
  }
  return members;
}

// Each member inflated into 4 KiB blocks. A first untimed round proves the output by its
// Adler-32; the timed rounds check its size.
bool InflateCompact(const TMember& m, bool verify) {
  size_t at = 0;
  TInflater inflater([&](uint8_t* data, size_t capacity) {
    size_t n = std::min(capacity, m.Stream.size() - at);
    std::memcpy(data, m.Stream.data() + at, n);
    at += n;
    return n;
  });
  uint8_t block[4096];
  uLong adler = adler32(0, nullptr, 0);
  size_t total = 0;
  while (size_t n = inflater.Read(block, sizeof block)) {
    if (verify) adler = adler32(adler, block, static_cast<uInt>(n));
    total += n;
  }
  return inflater.Ended() && total == m.Size && (!verify || adler == m.Adler);
}

bool InflateZlib(const TMember& m, bool verify) {
  z_stream zs{};
  inflateInit(&zs);
  uint8_t in[65536], block[4096];
  size_t at = 0, total = 0;
  uLong adler = adler32(0, nullptr, 0);
  int r = Z_OK;
  while (r == Z_OK) {
    if (zs.avail_in == 0) {
      size_t n = std::min(sizeof in, m.Stream.size() - at);
      std::memcpy(in, m.Stream.data() + at, n);
      at += n;
      zs.next_in = in;
      zs.avail_in = static_cast<uInt>(n);
    }
    zs.next_out = block;
    zs.avail_out = sizeof block;
    r = inflate(&zs, Z_NO_FLUSH);
    size_t n = sizeof block - zs.avail_out;
    if (verify) adler = adler32(adler, block, static_cast<uInt>(n));
    total += n;
  }
  inflateEnd(&zs);
  return r == Z_STREAM_END && total == m.Size && (!verify || adler == m.Adler);
}

double Seconds(bool (*f)(const TMember&, bool), const std::vector<TMember>& members,
               bool verify = false) {
  auto t0 = std::chrono::steady_clock::now();
  for (const TMember& m : members)
    if (!f(m, verify)) {
      std::fprintf(stderr, "a member did not inflate to its content\n");
      std::exit(1);
    }
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

}  // namespace

int main(int argc, char** argv) {
  const double megabytes = argc > 1 ? std::atof(argv[1]) : 60;
  const char* const kinds[] = {"text", "structured binary", "incompressible"};
  const double shares[] = {0.6, 0.3, 0.1};
  double compactAll = 0, zlibAll = 0, bytesAll = 0;
  std::printf("best of 5 rounds, alternating; MB/s of output\n");
  for (int kind = 0; kind < 3; ++kind) {
    const std::vector<TMember> members = Members(megabytes * shares[kind], kind);
    double bytes = 0;
    for (const TMember& m : members) bytes += static_cast<double>(m.Size);
    Seconds(InflateZlib, members, true);
    Seconds(InflateCompact, members, true);
    double compact = 1e9, zlib = 1e9;
    for (int round = 0; round < 5; ++round) {
      zlib = std::min(zlib, Seconds(InflateZlib, members));
      compact = std::min(compact, Seconds(InflateCompact, members));
    }
    std::printf("%-18s %6.1f MB: zlib %7.1f, compact %7.1f, ratio %.3f\n", kinds[kind], bytes / 1e6,
                bytes / zlib / 1e6, bytes / compact / 1e6, zlib / compact);
    compactAll += compact;
    zlibAll += zlib;
    bytesAll += bytes;
  }
  std::printf("all                %6.1f MB: zlib %7.1f, compact %7.1f\n", bytesAll / 1e6,
              bytesAll / zlibAll / 1e6, bytesAll / compactAll / 1e6);
  std::printf("ratio compact/zlib inflate throughput: %.3f\n", zlibAll / compactAll);
  return 0;
}
