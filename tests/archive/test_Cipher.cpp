#include <gtest/gtest.h>

#include "ArchiveKit.h"
#include "class_Cipher.h"
#include "uDates.h"
#include "uExceptions.h"
#include "uStreams.h"

using namespace kit;

namespace {

Bytes WriteThenRead(uint8_t codec, const std::string& key, const Bytes& data,
                    std::vector<size_t> readSizes, Bytes* stored = nullptr) {
  TTempDir dir;
  {
    TCodecFileStream out(dir / "c.bin", fmCreate, codec, key);
    Bytes copy = data;
    EXPECT_EQ(out.Write(copy.data(), copy.size()), static_cast<int64_t>(copy.size()));
    EXPECT_EQ(copy, data);  // the caller's buffer is never changed
  }
  if (stored) *stored = ReadFile(dir / "c.bin");
  TCodecFileStream in(dir / "c.bin", fmOpenRead, codec, key);
  Bytes back;
  for (size_t n : readSizes) {
    Bytes part(n);
    EXPECT_EQ(in.Read(part.data(), n), static_cast<int64_t>(n));
    back.insert(back.end(), part.begin(), part.end());
  }
  return back;
}

}  // namespace

// The schedule restarts with every call: data written in one call reads back only when read in
// calls that cut it at the same places (modulo 256).
TEST(Cipher, CodecRoundTrips) {
  const Bytes noise = Noise(300);
  const Bytes zeros(300, 0);
  struct Case {
    uint8_t Codec;
    Bytes Data;
    std::vector<size_t> Reads;
    bool Same;
  } cases[] = {
      {0, noise, {100, 200}, true},  {0, noise, {300}, true},     {7, noise, {1, 299}, true},
      {1, noise, {300}, true},       {2, noise, {300}, true},     {1, noise, {100, 200}, false},
      {2, zeros, {100, 200}, false}, {2, zeros, {256, 44}, true}, {1, noise, {256, 44}, true},
  };
  for (const auto& c : cases)
    EXPECT_EQ(WriteThenRead(c.Codec, "abc", c.Data, c.Reads) == c.Data, c.Same)
        << int(c.Codec) << " " << c.Reads.size();
}

TEST(Cipher, StoredBytes) {
  Bytes stored;
  WriteThenRead(2, "abc", Bytes(300, 0), {300}, &stored);
  ASSERT_EQ(stored.size(), 300u);
  EXPECT_EQ(stored[0], 'a');
  EXPECT_EQ(stored[1], 'b');
  EXPECT_EQ(stored[2], 'c');
  EXPECT_EQ(stored[255], 'a');  // 255 mod 3 = 0
  EXPECT_EQ(stored[256], 'a');  // the schedule restarts after 256 bytes
  EXPECT_EQ(stored[257], 'b');
  WriteThenRead(1, "abc", Bytes(3, 0), {3}, &stored);
  EXPECT_EQ(stored, (Bytes{256 - 'a', 256 - 'b', 256 - 'c'}));
  WriteThenRead(0, "abc", Text("plain"), {5}, &stored);
  EXPECT_EQ(stored, Text("plain"));
}

TEST(Cipher, KeysAndWrapAround) {
  TCipher c;
  EXPECT_EQ(c.Key(), "qd2vu");
  EXPECT_EQ(c.KeySchedule()[5], 'q');
  c.SetKey("");
  EXPECT_EQ(c.Key(), "qd2vu");
  c.SetKey("\x01");
  uint8_t b[3] = {255, 0, 7};
  c.AddKey(b, 3);
  EXPECT_EQ(b[0], 0);  // 255 + 1
  EXPECT_EQ(b[1], 1);
  c.SubtractKey(b, 3);
  c.SubtractKey(b, 2);
  EXPECT_EQ(b[1], 255);  // 0 - 1
  auto before = c.KeySchedule();
  c.SetKey("\x01");
  EXPECT_EQ(c.KeySchedule(), before);
  c.SetKey("");  // back to the default key, schedule and all
  EXPECT_EQ(c.Key(), "qd2vu");
  EXPECT_EQ(c.KeySchedule()[6], 'd');
}

TEST(Cipher, UnopenableFileNamesItself) {
  TTempDir dir;
  try {
    TCodecFileStream s(dir / "none.bin", fmOpenRead, 0, "");
    ADD_FAILURE();
  } catch (const EQuillCompress& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot open the compressed file " + dir / "none.bin");
  }
}

// Archive dates to DOS dates: two-second steps, clamped to 1980-2107 whatever is stored.
TEST(Dates, ToDos) {
  auto dos = [](int y, int mo, int d, int h, int mi, int s) {
    return std::pair<uint16_t, uint16_t>((y - 1980) << 9 | mo << 5 | d, h << 11 | mi << 5 | s / 2);
  };
  struct Case {
    double Value;
    std::pair<uint16_t, uint16_t> Dos;
  } cases[] = {
      {EncodeDateTime({2024, 2, 29, 13, 45, 59, 0}), dos(2024, 2, 29, 13, 45, 58)},
      {EncodeDateTime({1980, 1, 1, 0, 0, 0, 0}), dos(1980, 1, 1, 0, 0, 0)},
      {EncodeDateTime({2107, 12, 31, 23, 59, 58, 0}), dos(2107, 12, 31, 23, 59, 58)},
      {EncodeDateTime({1899, 12, 30, 12, 0, 0, 0}), dos(1980, 1, 1, 0, 0, 0)},
      {EncodeDateTime({2200, 1, 1, 0, 0, 0, 0}), dos(2107, 12, 31, 23, 59, 58)},
      {-700000.0, dos(1980, 1, 1, 0, 0, 0)},
      {std::nan(""), dos(1980, 1, 1, 0, 0, 0)},
      {1e300, dos(2107, 12, 31, 23, 59, 58)},
  };
  for (const auto& c : cases) {
    uint16_t date = 0, time = 0;
    DateTimeToDos(c.Value, date, time);
    EXPECT_EQ(std::make_pair(date, time), c.Dos) << c.Value;
  }
  EXPECT_DOUBLE_EQ(EncodeDateTime({1899, 12, 30, 18, 0, 0, 0}), 0.75);
  EXPECT_DOUBLE_EQ(EncodeDateTime({1899, 12, 29, 6, 0, 0, 0}), -1.25);
  TDateParts p{};
  ASSERT_TRUE(DecodeDateTime(-1.25, p));
  EXPECT_EQ(p.Day, 29);
  EXPECT_EQ(p.Hour, 6);
}

TEST(Format, FillsLeftToRight) {
  EXPECT_EQ(Format("%d is %s", {"2", "x"}), "2 is x");
  EXPECT_EQ(Format("<%s> <%s>", {"%s", "b"}), "<%s> <b>");
  EXPECT_EQ(Format("100%", {}), "100%");
}
