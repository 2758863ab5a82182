// Fixtures for the archive tests: scratch folders, byte files, and archives built either by the
// engine's own writing side or record by record, so that tests can also describe broken ones.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "../common/ScratchFolder.h"
#include "class_Compress.h"
#include "uPaths.h"

namespace kit {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

// UTF-8 strings, as the engine takes them, to paths and back.
inline fs::path P(const std::string& s) { return fs::path(std::u8string(s.begin(), s.end())); }
inline std::string S(const std::u8string& u) { return std::string(u.begin(), u.end()); }
inline std::string S(const fs::path& p) { return S(p.u8string()); }

using TTempDir = TScratchFolder;

inline void WriteFile(const std::string& path, const Bytes& data) {
  std::ofstream f(kit::P(path), std::ios::binary | std::ios::trunc);
  f.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
}

inline Bytes ReadFile(const std::string& path) {
  std::ifstream f(kit::P(path), std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(f), {});
}

inline Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

// Incompressible bytes from a fixed seed.
inline Bytes Noise(size_t n, uint32_t seed = 1) {
  std::mt19937 rng(seed);
  Bytes b(n);
  for (auto& x : b) x = static_cast<uint8_t>(rng());
  return b;
}

// Compressible bytes: repeated lines with a counter.
inline Bytes Prose(size_t n) {
  Bytes b;
  b.reserve(n);
  for (int line = 0; b.size() < n; ++line) {
    std::string s = "Zeile " + std::to_string(line) + ": Kro setup test payload.\r\n";
    for (char c : s)
      if (b.size() < n) b.push_back(static_cast<uint8_t>(c));
  }
  return b;
}

inline Bytes Zlib(const Bytes& data, int level = 9) {
  uLongf n = compressBound(static_cast<uLong>(data.size()));
  Bytes out(n);
  compress2(out.data(), &n, data.data(), static_cast<uLong>(data.size()), level);
  out.resize(n);
  return out;
}

inline int32_t GetInt32(const Bytes& b, size_t at) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = v << 8 | b.at(at + i);
  return static_cast<int32_t>(v);
}

inline void PutInt32(Bytes& b, size_t at, int64_t value) {
  for (int i = 0; i < 4; ++i)
    b.at(at + i) = static_cast<uint8_t>(static_cast<uint64_t>(value) >> (8 * i));
}

inline void PutAdler(Bytes& stream, const Bytes& data) {
  uLong a = adler32(1, data.data(), static_cast<uInt>(data.size()));
  for (int i = 3; i >= 0; --i) stream.push_back(static_cast<uint8_t>(a >> (8 * i)));
}

// A zlib stream of one final stored block (at most 65,535 bytes): output follows input byte
// for byte, so where the input stops says exactly how far the output gets.
inline Bytes StoredStream(const Bytes& data) {
  const auto n = static_cast<uint16_t>(data.size());
  Bytes z{0x78,
          0x01,
          0x01,
          static_cast<uint8_t>(n),
          static_cast<uint8_t>(n >> 8),
          static_cast<uint8_t>(~n),
          static_cast<uint8_t>(~n >> 8)};
  z.insert(z.end(), data.begin(), data.end());
  PutAdler(z, data);
  return z;
}

// A zlib stream of one final fixed block holding `count` literals c (below 144: 8-bit codes),
// so that literal k ends with bit 11 + 8k of the deflate data.
inline Bytes FixedLiterals(size_t count, uint8_t c) {
  Bytes z{0x78, 0x01};
  int used = 8;
  auto bit = [&](unsigned b) {
    if (used == 8) z.push_back(0), used = 0;
    z.back() = static_cast<uint8_t>(z.back() | (b & 1) << used++);
  };
  auto code = [&](unsigned v, int n) {
    for (int i = n - 1; i >= 0; --i) bit(v >> i);
  };
  bit(1), bit(1), bit(0);  // final, fixed
  for (size_t k = 0; k < count; ++k) code(0x30 + c, 8);
  code(0, 7);  // end of block
  PutAdler(z, Bytes(count, c));
  return z;
}

// One directory record with every field settable.
struct TRecord {
  std::string RawName;  // code page 1252 bytes, as stored
  double FileDate = 45000.5;
  int32_t FileSize = 0;
  int32_t DataPosition = 0;
  int32_t CompressedSize = 0;
  int32_t LastByte = 0;
  int32_t NextHeader = 0;
  uint8_t FirstDisk = 0;
  uint8_t LastDisk = 0;
  int32_t FileNumber = 1;

  Bytes Encode() const {
    Bytes r(kHeaderSize, 0);
    PutInt32(r, 0, FileNumber);
    std::memcpy(&r[4], &FileDate, 8);
    r[12] = LastDisk;
    PutInt32(r, 13, LastByte);
    size_t n = std::min<size_t>(RawName.size(), 100);
    r[17] = static_cast<uint8_t>(RawName.size() > 255 ? 255 : RawName.size());
    std::memcpy(&r[18], RawName.data(), n);
    PutInt32(r, 118, NextHeader);
    PutInt32(r, 122, FileSize);
    PutInt32(r, 126, DataPosition);
    PutInt32(r, 130, CompressedSize);
    r[134] = FirstDisk;
    return r;
  }
};

struct TMember {
  std::string RawName;
  Bytes Data;
  double FileDate = 45000.5;
};

// A single-file archive in the packing layout, built independently of the engine's writer.
inline Bytes Layout(const std::vector<TMember>& members) {
  Bytes out(kPrologueSize, 0);
  PutInt32(out, 0, static_cast<int64_t>(members.size()));
  for (size_t k = 0; k < members.size(); ++k) {
    Bytes z = Zlib(members[k].Data);
    TRecord r;
    r.FileNumber = static_cast<int32_t>(k + 1);
    r.RawName = members[k].RawName;
    r.FileDate = members[k].FileDate;
    r.FileSize = static_cast<int32_t>(members[k].Data.size());
    r.DataPosition = static_cast<int32_t>(out.size() + kHeaderSize);
    r.CompressedSize = static_cast<int32_t>(z.size());
    r.LastByte = r.DataPosition + r.CompressedSize - 1;
    r.NextHeader = r.LastByte + 1;
    Bytes e = r.Encode();
    out.insert(out.end(), e.begin(), e.end());
    out.insert(out.end(), z.begin(), z.end());
  }
  return out;
}

// Record k's position in a Layout() archive.
inline size_t RecordAt(const Bytes& archive, int k) {
  size_t p = kPrologueSize;
  for (int i = 0; i < k; ++i) p = static_cast<size_t>(GetInt32(archive, p + 118));
  return p;
}

// A spanned set of one member (code page 1252 name): the directory and the member's first part in
// set.1, the rest in following disk files, each disk holding `parts[i]` bytes of the zlib stream
// (Zlib(data) unless given) and the last one what is left.
struct TSpanned {
  TScratchFolder Dir;
  Bytes Data;
  std::vector<std::string> Disks;

  explicit TSpanned(std::vector<size_t> parts, const std::string& elsewhere = "")
      : TSpanned(Noise(30000, 5), {}, std::move(parts), elsewhere) {}
  TSpanned(Bytes data, Bytes z, std::vector<size_t> parts, const std::string& elsewhere = "",
           const std::string& name = "big.bin")
      : Data(std::move(data)) {
    if (z.empty()) z = Zlib(Data);
    parts.push_back(z.size());
    Bytes first(kPrologueSize, 0);
    PutInt32(first, 0, 1);
    first[4] = 1;
    TRecord r;
    r.RawName = name;
    r.FileSize = static_cast<int32_t>(Data.size());
    r.CompressedSize = static_cast<int32_t>(z.size());
    r.FirstDisk = 1;
    r.DataPosition = kPrologueSize + kHeaderSize;
    r.NextHeader = r.DataPosition;
    r.LastDisk = static_cast<uint8_t>(parts.size());
    size_t from = 0;
    std::vector<Bytes> disks;
    for (size_t i = 0; i < parts.size(); ++i) {
      size_t to = std::min(z.size(), from + parts[i]);
      disks.emplace_back(z.begin() + static_cast<long>(from), z.begin() + static_cast<long>(to));
      from = to;
      if (to == z.size()) {
        r.LastDisk = static_cast<uint8_t>(i + 1);
        r.LastByte = static_cast<int32_t>(disks.back().size()) - 1 + (i == 0 ? r.DataPosition : 0);
        break;
      }
    }
    Bytes e = r.Encode();
    first.insert(first.end(), e.begin(), e.end());
    disks[0].insert(disks[0].begin(), first.begin(), first.end());
    for (size_t i = 0; i < disks.size(); ++i) {
      std::string folder = i == 0 || elsewhere.empty() ? Dir.Str() : Dir / elsewhere;
      fs::create_directories(kit::P(folder));
      Disks.push_back(IncludeTrailingDelimiter(folder) + "set." + std::to_string(i + 1));
      WriteFile(Disks.back(), disks[i]);
    }
  }
};

}  // namespace kit
