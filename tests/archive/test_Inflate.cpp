// The compact inflater against zlib as the oracle. This program links the compact
// implementation directly; zlib appears only as the reference.
#include <gtest/gtest.h>

#include "ArchiveKit.h"
#include "uExceptions.h"
#include "uInflate.h"

using namespace kit;

namespace {

// A stream's bytes through a source that hands out at most `piece` bytes a call.
TInflater::TSource SourceOf(const Bytes& stream, size_t piece) {
  return [&stream, piece, at = size_t{0}](uint8_t* data, size_t capacity) mutable {
    size_t n = std::min({piece, capacity, stream.size() - at});
    if (n) std::memcpy(data, stream.data() + at, n);
    at += n;
    return n;
  };
}

struct TResult {
  Bytes Out;
  bool Ended = false;
  bool Threw = false;
};

TResult Inflate(const Bytes& stream, size_t readSize, size_t piece = 65'536) {
  TResult r;
  TInflater inflater(SourceOf(stream, piece));
  size_t have = 0;
  try {
    for (;;) {
      if (r.Out.size() - have < readSize) r.Out.resize(std::max(2 * r.Out.size(), have + readSize));
      size_t n = inflater.Read(r.Out.data() + have, readSize);
      EXPECT_LE(n, readSize);
      have += n;
      if (n < readSize) break;
    }
    // Short once means short for good.
    EXPECT_EQ(inflater.Read(r.Out.data(), readSize), 0u);
  } catch (const Exception& e) {
    EXPECT_EQ(std::string(e.what()), "error");
    r.Threw = true;
    // And a failed stream keeps failing.
    EXPECT_THROW(inflater.Read(r.Out.data(), readSize), Exception);
  }
  r.Out.resize(have);
  r.Ended = inflater.Ended();
  return r;
}

// zlib's verdict on the same stream: its output, and whether it reached a checked end.
TResult Oracle(const Bytes& stream) {
  TResult r;
  z_stream zs{};
  inflateInit(&zs);
  zs.next_in = const_cast<uint8_t*>(stream.data());
  zs.avail_in = static_cast<uInt>(stream.size());
  uint8_t block[4096];
  int result;
  do {
    zs.next_out = block;
    zs.avail_out = sizeof block;
    result = inflate(&zs, Z_NO_FLUSH);
    r.Out.insert(r.Out.end(), block, block + (sizeof block - zs.avail_out));
  } while (result == Z_OK);
  inflateEnd(&zs);
  r.Ended = result == Z_STREAM_END;
  r.Threw = result != Z_STREAM_END && result != Z_BUF_ERROR;
  return r;
}

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

Bytes Repeat(const Bytes& b, int times) {
  Bytes out;
  for (int i = 0; i < times; ++i) out.insert(out.end(), b.begin(), b.end());
  return out;
}

// Deflate data written bit by bit, for the streams zlib never writes.
struct TStreamWriter {
  Bytes Out{0x78, 0x01};
  int Used = 8;

  void Bit(uint32_t b) {
    if (Used == 8) Out.push_back(0), Used = 0;
    Out.back() = static_cast<uint8_t>(Out.back() | (b & 1) << Used++);
  }
  TStreamWriter& Bits(uint32_t v, int n) {
    for (int i = 0; i < n; ++i) Bit(v >> i);
    return *this;
  }
  TStreamWriter& Times(uint32_t v, int n, int count) {
    for (int i = 0; i < count; ++i) Bits(v, n);
    return *this;
  }
  // Huffman codes go highest bit first.
  TStreamWriter& Code(uint32_t code, int n) {
    for (int i = n - 1; i >= 0; --i) Bit(code >> i);
    return *this;
  }
  // Matches of 258 bytes at distance 1, in a fixed block.
  TStreamWriter& Runs(int count) {
    for (int i = 0; i < count; ++i) Fixed(285).Code(0, 5);
    return *this;
  }
  TStreamWriter& Codes(std::initializer_list<std::pair<uint32_t, int>> codes) {
    for (auto [code, n] : codes) Code(code, n);
    return *this;
  }
  TStreamWriter& Fixed(int symbol) {
    if (symbol < 144) return Code(0x30 + symbol, 8);
    if (symbol < 256) return Code(0x190 + symbol - 144, 9);
    if (symbol < 280) return Code(symbol - 256, 7);
    return Code(0xC0 + symbol - 280, 8);
  }
  // A dynamic block's header: every code length sent with a code-length code of 16 four-bit
  // codes, where the length v is sent as v.
  TStreamWriter& Dynamic(const std::vector<int>& lit, const std::vector<int>& dist) {
    static const int kOrder[19] = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                   11, 4,  12, 3, 13, 2, 14, 1, 15};
    Bits(2, 2).Bits(static_cast<uint32_t>(lit.size() - 257), 5);
    Bits(static_cast<uint32_t>(dist.size() - 1), 5).Bits(15, 4);
    for (int s : kOrder) Bits(s < 16 ? 4 : 0, 3);
    for (int v : lit) Code(static_cast<uint32_t>(v), 4);
    for (int v : dist) Code(static_cast<uint32_t>(v), 4);
    return *this;
  }
  // Aligns and appends the Adler-32 of what the stream decodes to.
  Bytes Finish(const std::string& decoded) {
    uLong a = adler32(1, reinterpret_cast<const Bytef*>(decoded.data()),
                      static_cast<uInt>(decoded.size()));
    for (int i = 3; i >= 0; --i) Out.push_back(static_cast<uint8_t>(a >> (8 * i)));
    return Out;
  }
};

// Literal/length code lengths: those given, every other symbol's 0; at least 257 of them.
std::vector<int> LitLengths(std::initializer_list<std::pair<int, int>> set) {
  std::vector<int> lengths(257, 0);
  for (auto [symbol, length] : set) {
    if (symbol >= static_cast<int>(lengths.size())) lengths.resize(symbol + 1, 0);
    lengths[symbol] = length;
  }
  return lengths;
}

}  // namespace

// Every payload at every level comes out byte for byte in any read size, and ends checked.
TEST(Inflate, MatchesZlibOnWhatZlibWrites) {
  const Bytes block = Noise(32768, 11);
  const struct {
    const char* Name;
    Bytes Data;
  } payloads[] = {
      {"empty", {}},
      {"one byte", {0x42}},
      {"text", Prose(300'000)},
      {"incompressible", Noise(200'000, 3)},
      {"long runs",
       Concat({Bytes(100'000, 'a'), Text("xyz"), Bytes(70'000, 0), Repeat(Text("ab"), 40'000)})},
      // Repeats at the window's edge and beyond it, where only literals can reach.
      {"far references", Concat({block, block, Noise(40'000, 12), Noise(40'000, 12), block})},
      {"several MB", Concat({Prose(1'500'000), Noise(500'000, 4), Prose(1'000'000)})},
  };
  // A read size with the source's piece size it runs with.
  const std::pair<size_t, size_t> reads[] = {{1, 65'536}, {7, 1}, {4096, 13}, {1 << 23, 65'536}};
  for (const auto& p : payloads) {
    for (int level : {0, 1, 6, 9}) {
      const Bytes stream = Zlib(p.Data, level);
      for (auto [readSize, piece] : reads) {
        SCOPED_TRACE(std::string(p.Name) + " level " + std::to_string(level) + " read " +
                     std::to_string(readSize) + " piece " + std::to_string(piece));
        TResult r = Inflate(stream, readSize, piece);
        EXPECT_FALSE(r.Threw);
        EXPECT_TRUE(r.Ended);
        EXPECT_TRUE(r.Out == p.Data);
      }
    }
  }
}

// Damaged and hostile streams: each fails as zlib fails (an error, or short without an end),
// with the same output before it.
TEST(Inflate, FailsWhereZlibFails) {
  enum TVerdict { kEnds, kShort, kThrows };
  const Bytes data = Prose(20'000);
  const Bytes good = Zlib(data, 9);
  const Bytes stored = Zlib(Text("stored block"), 0);
  auto patched = [](Bytes b, size_t at, uint8_t x) {
    b.at(at) ^= x;
    return b;
  };
  auto cut = [&](size_t n) { return Bytes(good.begin(), good.begin() + static_cast<long>(n)); };
  const auto single = LitLengths({{'a', 1}, {256, 2}, {257, 2}});
  struct Case {
    std::string What;
    Bytes Stream;
    TVerdict Verdict;
  } cases[] = {
      {"intact", good, kEnds},
      {"header check", patched(good, 1, 1), kThrows},
      {"method 7", {0x77, 0x09, 0x03, 0x00}, kThrows},
      {"window of 64 KiB", {0x88, 0x1C, 0x03, 0x00}, kThrows},
      // Its dictionary id reads as an empty block and a trailer, should the flag go unseen.
      {"preset dictionary", {0x78, 0xBB, 0x03, 0x00, 0, 0, 0, 1}, kThrows},
      {"nothing", {}, kShort},
      {"block type 3", {0x78, 0x01, 0x07}, kThrows},
      {"stored length check", patched(stored, 5, 0x10), kThrows},
      {"stored block cut short", Bytes(stored.begin(), stored.end() - 8), kShort},
      {"fixed: sound",
       TStreamWriter().Bits(3, 3).Fixed('a').Fixed(257).Code(0, 5).Fixed(256).Finish("aaaa"),
       kEnds},
      // Followed by 200 KB more: output that would come before the trailer, were it accepted.
      {"fixed: distance too far back",
       TStreamWriter().Bits(3, 3).Fixed('a').Fixed(257).Code(1, 5).Runs(800).Fixed(256).Finish(""),
       kThrows},
      {"fixed: distance code 30",
       TStreamWriter().Bits(3, 3).Fixed('a').Fixed(257).Code(30, 5).Finish(""), kThrows},
      {"fixed: length code 286", TStreamWriter().Bits(3, 3).Fixed('a').Fixed(286).Finish(""),
       kThrows},
      // The fixed codes again after a dynamic block replaced them.
      {"fixed, dynamic, fixed",
       TStreamWriter()
           .Bits(2, 3)
           .Fixed('a')
           .Fixed(256)
           .Bits(0, 1)
           .Dynamic(single, {1})
           .Codes({{0, 1}, {2, 2}})
           .Bits(3, 3)
           .Fixed('b')
           .Fixed(256)
           .Finish("aab"),
       kEnds},
      {"dynamic: sound, single distance code",
       TStreamWriter()
           .Bits(1, 1)
           .Dynamic(single, {1})
           .Codes({{0, 1}, {3, 2}, {0, 1}, {2, 2}})
           .Finish("aaaa"),
       kEnds},
      {"dynamic: unused distance code",
       TStreamWriter()
           .Bits(1, 1)
           .Dynamic(single, {1})
           .Codes({{0, 1}, {3, 2}, {1, 1}, {2, 2}})
           .Finish("aaaa"),
       kThrows},
      {"dynamic: no distance codes at all",
       TStreamWriter()
           .Bits(1, 1)
           .Dynamic(single, {0})
           .Codes({{0, 1}, {3, 2}, {0, 1}})
           .Finish("aaaa"),
       kThrows},
      {"dynamic: end of block alone",
       TStreamWriter().Bits(1, 1).Dynamic(LitLengths({{256, 1}}), {0}).Code(0, 1).Finish(""),
       kEnds},
      {"dynamic: no end-of-block code",
       TStreamWriter().Bits(1, 1).Dynamic(LitLengths({{'a', 1}, {'b', 1}}), {1}).Finish(""),
       kThrows},
      {"dynamic: literal lengths over-subscribed",
       TStreamWriter()
           .Bits(1, 1)
           .Dynamic(LitLengths({{'a', 1}, {'b', 1}, {256, 1}}), {1})
           .Finish(""),
       kThrows},
      {"dynamic: literal lengths incomplete",
       TStreamWriter().Bits(1, 1).Dynamic(LitLengths({{'a', 1}, {256, 2}}), {1}).Finish(""),
       kThrows},
      {"dynamic: distance lengths over-subscribed",
       TStreamWriter().Bits(1, 1).Dynamic(single, {1, 1, 1}).Finish(""), kThrows},
      {"dynamic: 287 literal lengths",
       TStreamWriter().Bits(1, 1).Dynamic(LitLengths({{256, 1}, {286, 0}}), {1}).Finish(""),
       kThrows},
      {"dynamic: code-length code over-subscribed",
       TStreamWriter().Bits(1, 1).Bits(2, 2).Bits(0, 10).Bits(15, 4).Times(1, 3, 19).Finish(""),
       kThrows},
      {"dynamic: code-length code incomplete",
       TStreamWriter().Bits(1, 1).Bits(2, 2).Bits(0, 14).Bits(0, 9).Bits(1, 3).Finish(""), kThrows},
      // Code-length codes of one bit each: 16 and 0, then 16 first, nothing to repeat; 18 and
      // 0, then 2 x 138 zero lengths where 258 are due.
      {"dynamic: repeat without a length",
       TStreamWriter()
           .Bits(1, 1)
           .Bits(2, 2)
           .Bits(0, 14)
           .Bits(1, 3)
           .Bits(0, 6)
           .Bits(1, 3)
           .Code(1, 1)
           .Bits(0, 2)
           .Finish(""),
       kThrows},
      {"dynamic: repeat past the last length",
       TStreamWriter()
           .Bits(1, 1)
           .Bits(2, 2)
           .Bits(0, 14)
           .Bits(0, 6)
           .Bits(1, 3)
           .Bits(1, 3)
           .Code(1, 1)
           .Bits(127, 7)
           .Code(1, 1)
           .Bits(127, 7)
           .Finish(""),
       kThrows},
  };
  std::vector<Case> all(std::begin(cases), std::end(cases));
  for (size_t i = 0; i < 4; ++i)  // each byte of the trailer
    all.push_back(
        {"trailer byte " + std::to_string(i), patched(good, good.size() - 1 - i, 0x40), kThrows});
  for (size_t k = 1; k < 7; ++k)
    all.push_back({"cut at " + std::to_string(k) + "/7", cut(good.size() * k / 7), kShort});
  all.push_back({"cut before the last byte", cut(good.size() - 1), kShort});
  for (const auto& c : all) {
    SCOPED_TRACE(c.What);
    const TResult zlib = Oracle(c.Stream);
    ASSERT_EQ(zlib.Threw, c.Verdict == kThrows);  // the case says what it claims
    ASSERT_EQ(zlib.Ended, c.Verdict == kEnds);
    for (size_t readSize : {size_t{1}, size_t{4096}}) {
      const TResult r = Inflate(c.Stream, readSize, readSize == 1 ? 1 : 65'536);
      EXPECT_EQ(r.Threw, zlib.Threw);
      EXPECT_EQ(r.Ended, zlib.Ended);
      // Output before the failure is zlib's, possibly less of it when the failure throws.
      ASSERT_LE(r.Out.size(), zlib.Out.size());
      EXPECT_TRUE(std::equal(r.Out.begin(), r.Out.end(), zlib.Out.begin()));
      if (!r.Threw) {
        EXPECT_EQ(r.Out.size(), zlib.Out.size());
      }
    }
  }
}

// What the source raises passes through unchanged; bytes after the stream are never asked for.
TEST(Inflate, SourceBehaviour) {
  const Bytes good = Zlib(Prose(100'000), 9);
  int calls = 0;
  TInflater failing([&](uint8_t* data, size_t capacity) -> size_t {
    if (++calls == 2) throw EQuillCompress("disk gone");
    size_t n = std::min<size_t>(capacity, 100);
    std::memcpy(data, good.data(), n);
    return n;
  });
  uint8_t block[4096];
  try {
    while (failing.Read(block, sizeof block) == sizeof block) {
    }
    ADD_FAILURE() << "the source's exception was lost";
  } catch (const EQuillCompress& e) {
    EXPECT_STREQ(e.what(), "disk gone");
  }

  Bytes followed = Concat({Zlib(Text("short"), 9), Noise(200'000)});
  size_t asked = 0;
  calls = 0;
  TInflater inflater([&](uint8_t* data, size_t capacity) {
    ++calls;
    size_t n = std::min(capacity, followed.size() - asked);
    std::memcpy(data, followed.data() + asked, n);
    asked += n;
    return n;
  });
  EXPECT_EQ(inflater.Read(block, sizeof block), 5u);
  EXPECT_TRUE(inflater.Ended());
  EXPECT_EQ(inflater.Read(block, sizeof block), 0u);
  EXPECT_EQ(calls, 1);
}
