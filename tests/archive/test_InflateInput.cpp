// The inflater the program links (zlib's in archive_tests, the compact one in
// archive_tests_compact) with input that pauses: a source that gives nothing for now, then
// more, as at the end of one disk of a spanned set and the start of the next.
#include <gtest/gtest.h>

#include "ArchiveKit.h"
#include "uExceptions.h"
#include "uInflate.h"

using namespace kit;

namespace {

struct TPaused {
  Bytes Out;
  std::vector<size_t> OutAtPause;  // output so far at each pause, by input bytes given
  bool Ended = false;
  bool Finished = false;  // Finish() did not raise
  std::string Error;
};

// Hands out `piece` bytes, then nothing once (a pause), and so on; reads `readSize` at a time
// until a read comes out short, then lets the source go on.
TPaused Feed(const Bytes& stream, size_t piece, size_t readSize) {
  TPaused r;
  size_t at = 0;
  bool pause = false;
  TInflater inflater([&](uint8_t* data, size_t capacity) -> size_t {
    if ((pause = !pause)) return 0;
    size_t n = std::min({piece, capacity, stream.size() - at});
    std::memcpy(data, stream.data() + at, n);
    at += n;
    return n;
  });
  Bytes block(readSize);
  try {
    for (int idle = 0; !inflater.Ended() && idle < 4;) {
      size_t n = inflater.Read(block.data(), readSize);
      r.Out.insert(r.Out.end(), block.begin(), block.begin() + static_cast<long>(n));
      if (n == readSize) continue;
      if (r.OutAtPause.size() < at + 1) r.OutAtPause.resize(at + 1);
      r.OutAtPause[at] = r.Out.size();
      idle = at == stream.size() ? idle + 1 : 0;
    }
  } catch (const Exception& e) {
    r.Error = e.what();
  }
  r.Ended = inflater.Ended();
  try {
    inflater.Finish();
    r.Finished = true;
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "error");
  }
  return r;
}

}  // namespace

// Every stream comes out whole and checked, whatever bytes the pauses fall between.
TEST(InflaterInput, PausesAtAnyByte) {
  const Bytes block = Noise(32768, 11);
  const Bytes prose = Prose(120'000);
  const Bytes middle = Noise(40'000, 12);
  Bytes far = block;
  far.insert(far.end(), middle.begin(), middle.end());
  far.insert(far.end(), block.begin(), block.end());
  const struct {
    const char* What;
    Bytes Data, Stream;
  } cases[] = {
      {"dynamic blocks", prose, Zlib(prose, 9)},
      {"fixed block", Bytes(3000, 'x'), FixedLiterals(3000, 'x')},
      {"stored blocks", Noise(70'000, 2), Zlib(Noise(70'000, 2), 0)},
      {"repeats at the window's edge", far, Zlib(far, 9)},
      {"empty", {}, Zlib({}, 9)},
  };
  const std::pair<size_t, size_t> feeds[] = {{1, 4096}, {1, 1}, {5, 7}, {4096, 4096}};
  for (const auto& c : cases) {
    for (auto [piece, readSize] : feeds) {
      SCOPED_TRACE(std::string(c.What) + " piece " + std::to_string(piece) + " read " +
                   std::to_string(readSize));
      TPaused r = Feed(c.Stream, piece, readSize);
      EXPECT_EQ(r.Error, "");
      EXPECT_TRUE(r.Ended);
      EXPECT_TRUE(r.Finished);
      EXPECT_TRUE(r.Out == c.Data);
    }
  }
}

// At a pause the output holds everything the input so far holds whole: a stored block's bytes
// as they arrive (after 7 header bytes), and each 8-bit literal once its last bit is in (after
// 2 header bytes and 3 block header bits).
TEST(InflaterInput, PauseHandsOutEveryWholeSymbol) {
  const Bytes noise = Noise(3000, 4);
  const struct {
    const char* What;
    Bytes Stream;
    size_t Overhead;  // input bytes ahead of (and around) the output
  } cases[] = {
      {"stored", StoredStream(noise), 7},
      {"fixed literals", FixedLiterals(3000, 'x'), 3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.What);
    TPaused r = Feed(c.Stream, 1, 4096);
    EXPECT_TRUE(r.Ended);
    ASSERT_EQ(r.OutAtPause.size(), c.Stream.size() + 1);
    for (size_t fed = 0; fed < c.Stream.size(); ++fed)
      ASSERT_EQ(r.OutAtPause[fed], std::min<size_t>(3000, fed < c.Overhead ? 0 : fed - c.Overhead))
          << fed;
  }
}

// A stream cut anywhere never ends, however long its source is asked; a corrupt one fails as
// corrupt, paused or not.
TEST(InflaterInput, CutAndCorruptStreams) {
  const Bytes data = Prose(20'000);
  const Bytes good = Zlib(data, 9);
  Bytes corrupt = good;
  for (size_t i = 20; i < 40; ++i) corrupt[i] ^= 0x5A;
  Bytes badAdler = good;
  badAdler.back() ^= 1;
  for (auto [piece, readSize] : {std::pair<size_t, size_t>{1, 4096}, {7, 1}, {65'536, 4096}}) {
    SCOPED_TRACE("piece " + std::to_string(piece) + " read " + std::to_string(readSize));
    for (size_t cut : {size_t{1}, good.size() / 2, good.size() - 4, good.size() - 1}) {
      TPaused r = Feed(Bytes(good.begin(), good.begin() + static_cast<long>(cut)), piece, readSize);
      EXPECT_FALSE(r.Ended) << cut;
      EXPECT_FALSE(r.Finished) << cut;
      EXPECT_EQ(r.Error, "") << cut;
      EXPECT_TRUE(std::equal(r.Out.begin(), r.Out.end(), data.begin())) << cut;
    }
    // Everything but the trailer: all the data, and still no end.
    EXPECT_EQ(Feed(Bytes(good.begin(), good.end() - 4), piece, readSize).Out.size(), data.size());
    EXPECT_EQ(Feed(corrupt, piece, readSize).Error, "error");
    EXPECT_EQ(Feed(badAdler, piece, readSize).Error, "error");
  }
}
