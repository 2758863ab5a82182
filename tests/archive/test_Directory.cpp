#include <gtest/gtest.h>

#include <span>

#include "ArchiveKit.h"
#include "class_Compress.h"

using namespace kit;

namespace {

const char* const kCountMsg = "Could not read the file header count for the compressed file";
const char* const kHeadersMsg =
    "Could not read the file headers for the compressed file. The Archive file could possible be "
    "corrupt";

struct TDirResult {
  std::string Error;  // empty when the read succeeded
  int Count;
  bool Spanned;
};

TDirResult ReadDir(const Bytes& file, int64_t offset = 0) {
  TTempDir dir;
  WriteFile(dir / "a.pak", file);
  TFileHeaders headers(nullptr);
  TCodecFileStream stream(dir / "a.pak", fmOpenRead, 0, "");
  try {
    headers.ReadDirectory(stream, offset);
  } catch (const EQuillCompress& e) {
    return {e.what(), headers.Count(), headers.Spanned()};
  }
  return {"", headers.Count(), headers.Spanned()};
}

Bytes Prologue(int32_t count, uint8_t spanned = 0) {
  Bytes b(5, 0);
  PutInt32(b, 0, count);
  b[4] = spanned;
  return b;
}

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

Bytes Chained(std::string name, int32_t next) {
  TRecord r;
  r.RawName = std::move(name);
  r.NextHeader = next;
  return r.Encode();
}

}  // namespace

// Every way a directory can be short, empty, blank or hostile ends in its one message, and
// never in a walk that outlasts the file.
TEST(Directory, ReadsOrFailsCleanly) {
  const Bytes two = Layout({{"a.txt", Text("alpha")}, {"b.txt", Text("beta")}});
  Bytes truncated(two.begin(), two.begin() + static_cast<long>(RecordAt(two, 1)) + 100);
  Bytes circle = Concat({Prologue(1000), Chained("loop", 5)});
  Bytes beyond = Concat({Prologue(2), Chained("x", 1 << 30)});
  Bytes negative = Concat({Prologue(2), Chained("x", -5)});
  Bytes name100 = Concat({Prologue(1), Chained(std::string(100, 'n'), 161)});
  Bytes blank = Concat({Prologue(1), Chained(" \t ", 161)});
  Bytes empty = Concat({Prologue(1), Chained("", 161)});
  std::vector<TMember> many;
  for (int i = 0; i < 70; ++i) many.push_back({"m" + std::to_string(i), Text("x")});
  // The second record lies far beyond the first, the third before it again.
  Bytes apart = Concat({Prologue(3), Chained("a", 5 + 100 * kHeaderSize), Chained("c", 0),
                        Bytes(98 * kHeaderSize, 0), Chained("b", 5 + kHeaderSize)});
  struct Case {
    const char* What;
    Bytes File;
    std::string Error;
    int Count;
  } cases[] = {
      {"no bytes", {}, kCountMsg, 0},
      {"4 bytes", {1, 0, 0, 0}, kCountMsg, 0},
      {"count 0", Prologue(0), "", 0},
      {"count -1 with data after", Concat({Prologue(-1), two}), "", 0},
      {"count INT_MIN", Prologue(INT32_MIN), "", 0},
      {"two members", two, "", 2},
      {"ends inside record 2", truncated, kHeadersMsg, 1},
      {"huge count on a tiny file", Prologue(INT32_MAX), kHeadersMsg, 0},
      {"records chained in a circle", circle, kHeadersMsg, 1},
      {"next record beyond the file", beyond, kHeadersMsg, 1},
      {"next record before the archive", negative, kHeadersMsg, 1},
      {"name of 100 characters", name100, "", 1},
      {"70 members", Layout(many), "", 70},
      {"records apart", apart, "", 3},
      {"blank name", blank, "Tried to add an invalid file header", 0},
      {"empty name", empty, "Tried to add an invalid file header", 0},
  };
  for (const auto& c : cases) {
    TDirResult r = ReadDir(c.File);
    EXPECT_EQ(r.Error, c.Error) << c.What;
    EXPECT_EQ(r.Count, c.Count) << c.What;
  }
}

// The directory is found at the offset; bytes before and after it are someone else's.
TEST(Directory, OffsetAndTrailingBytes) {
  Bytes archive = Layout({{"a.txt", Text("alpha")}});
  Bytes file = Concat({Noise(1000), archive, Noise(300, 7)});
  EXPECT_EQ(ReadDir(file, 1000).Count, 1);
  EXPECT_EQ(ReadDir(file, 1000).Error, "");
  EXPECT_EQ(ReadDir(file, static_cast<int64_t>(file.size()) - 4).Error, kCountMsg);
  EXPECT_EQ(ReadDir(Concat({Prologue(0, 3)})).Spanned, true);
}

TEST(Directory, NameLengthByteBeyond100ReadsAtMost100) {
  TRecord r;
  r.RawName = std::string(100, 'q');
  Bytes rec = r.Encode();
  rec[17] = 200;
  TFileHeader h(nullptr);
  std::copy(rec.begin(), rec.end(), h.Record.begin());
  EXPECT_EQ(h.FileName(), std::string(100, 'q'));
}

// The key is the text before the first semicolon; only A to Z ignore case; the first of two
// equal names wins.
TEST(Directory, IndexOfFile) {
  TTempDir dir;
  WriteFile(dir / "a.pak", Layout({{"Bin\\Kro.exe", Text("1")},
                                   {"\xc4nderung.txt", Text("2")},
                                   {"bin\\kro.exe", Text("3")},
                                   {"x;y", Text("4")}}));
  TFileHeaders headers(nullptr);
  TCodecFileStream stream(dir / "a.pak", fmOpenRead, 0, "");
  headers.ReadDirectory(stream, 0);
  struct Case {
    std::string Request;
    int Index;
  } cases[] = {
      {"Bin\\Kro.exe", 0},
      {"BIN\\KRO.EXE", 0},
      {"bin\\kro.exe", 0},
      {"Bin\\Kro.exe;1.0", 0},
      {"Bin\\Kro.exe;", 0},
      {" Bin\\Kro.exe", -1},
      {"Bin\\Kro.exe ", -1},
      {"\xc3\x84nderung.txt", 1},
      {"\xc3\xa4nderung.txt", -1},
      {"ANDERUNG.TXT", -1},
      {"x;y", -1},
      {"x", -1},
      {"", -1},
      {";Bin\\Kro.exe", -1},
      {"Bin/Kro.exe", -1},
  };
  for (const auto& c : cases) EXPECT_EQ(headers.IndexOfFile(c.Request), c.Index) << c.Request;
}

// The container's own worked example: 331 incompressible bytes deflate to 342 at level 9.
TEST(Directory, WorkedExampleComesOutExactly) {
  TTempDir dir;
  WriteFile(dir / "one.bin", Noise(331));
  WriteFile(dir / "two.txt", Prose(5000));
  TQuillCompress q;
  q.SetCompressedFile(dir / "ex.pak");
  q.AddFiles({{dir / "one.bin", "one.bin", 45000.25}, {dir / "two.txt", "sub\\two.txt", 45001.5}});
  Bytes a = ReadFile(dir / "ex.pak");

  EXPECT_EQ(GetInt32(a, 0), 2);
  EXPECT_EQ(a[4], 0);
  EXPECT_EQ(GetInt32(a, 5 + 130), 342);  // CompressedSize
  EXPECT_EQ(GetInt32(a, 5 + 126), 161);  // DataPosition
  EXPECT_EQ(GetInt32(a, 5 + 13), 502);   // LastByte
  EXPECT_EQ(GetInt32(a, 5 + 118), 503);  // NextHeader
  EXPECT_EQ(a[161], 0x78);
  EXPECT_EQ(a[162], 0xDA);
  EXPECT_EQ(GetInt32(a, 503 + 0), 2);      // FileNumber
  EXPECT_EQ(GetInt32(a, 503 + 126), 659);  // second member's data
  EXPECT_EQ(GetInt32(a, 503 + 118), static_cast<int32_t>(a.size()));
  // Identical to the layout built by hand, byte for byte.
  EXPECT_EQ(a, Layout({{"one.bin", Noise(331), 45000.25}, {"sub\\two.txt", Prose(5000), 45001.5}}));

  q.ReadHeaders();
  ASSERT_EQ(q.GetFileCount(), 2);
  EXPECT_EQ(q.Headers().GetFileHeaders(1).FileName(), "sub\\two.txt");
  try {
    q.Headers().GetFileHeaders(2);
    ADD_FAILURE() << "index 2 accepted";
  } catch (const EQuillCompress& e) {
    EXPECT_STREQ(e.what(), "2 is an invalid TFileHeader index in TFileHeaders.GetFileHeaders");
  }
}

// Through the component every directory failure is the one corrupt-archive message, and a
// missing file names its path.
TEST(Directory, ComponentMessages) {
  TTempDir dir;
  WriteFile(dir / "short.pak", {1, 2});
  WriteFile(dir / "blank.pak", Concat({Prologue(1), Chained("  ", 161)}));
  struct Case {
    std::string File;
    std::string Error;
  } cases[] = {
      {dir / "short.pak", kHeadersMsg},
      {dir / "blank.pak", kHeadersMsg},
      {dir / "missing.pak", "Cannot open the compressed file " + dir / "missing.pak"},
  };
  for (const auto& c : cases) {
    TQuillCompress q;
    q.SetCompressedFile(c.File);
    try {
      q.ReadHeaders();
      ADD_FAILURE() << c.File;
    } catch (const EQuillCompress& e) {
      EXPECT_EQ(e.what(), c.Error);
      EXPECT_FALSE(q.HeadersLoaded());
      EXPECT_FALSE(q.Abort);
    }
  }
}

// Moving between disk files of one set keeps the directory; another archive drops it.
TEST(Directory, SetCompressedFileKeepsDirectoryWithinASet) {
  TTempDir dir;
  WriteFile(dir / "setup.1", Layout({{"a.txt", Text("alpha")}}));
  struct Case {
    std::string Next;
    bool StaysLoaded;
    std::string Stored;  // a name equal but for case is no change at all
  } cases[] = {
      {dir / "setup.1", true, dir / "setup.1"},  {dir / "SETUP.1", true, dir / "setup.1"},
      {dir / "setup.2", true, dir / "setup.2"},  {dir / "setup.inf", true, dir / "setup.inf"},
      {dir / "other.1", false, dir / "other.1"}, {dir / "setup", true, dir / "setup"},
  };
  for (const auto& c : cases) {
    TQuillCompress q;
    q.SetCompressedFile(dir / "setup.1");
    q.ReadHeaders();
    q.SetCompressedFile(c.Next);
    EXPECT_EQ(q.HeadersLoaded(), c.StaysLoaded) << c.Next;
    EXPECT_EQ(q.CompressedFile(), c.Stored);
  }
}

// Totals cover the whole directory in 64 bits; ratios round the exact quotient, half to even.
TEST(Directory, TotalsAndPercentages) {
  struct Case {
    int64_t Part, Whole;
    int Percent;
  } cases[] = {
      {0, 0, 0},       {1, 0, 0},       {1, 8, 12},
      {3, 8, 38},      {5, 8, 62},      {7, 8, 88},
      {1, 16, 6},      {1, 2, 50},      {1, 3, 33},
      {2, 3, 67},      {255, 100, 255}, {256, 100, 0},
      {342, 331, 103}, {-1, 100, 0},    {int64_t{3} << 40, int64_t{4} << 40, 75},
  };
  // Decimal halves, which floating point misses on either side.
  const Case halves[] = {
      {109, 200, 54},   {115, 200, 58},   {111, 200, 56}, {1, 200, 0},
      {3, 200, 2},      {5, 200, 2},      {13, 40, 32},   {1089, 2000, 54},
      {1091, 2000, 55}, {-109, -200, 54}, {1, -200, 0},
  };
  // The extremes of 64 bits.
  const Case extremes[] = {
      {INT64_MIN, INT64_MIN, 100},
      {INT64_MAX, INT64_MAX, 100},
      {INT64_MAX / 2 + 1, INT64_MAX, 50},
      {int64_t{5} << 60, int64_t{2} << 60, 250},
  };
  for (const auto& table : {std::span<const Case>(cases), std::span<const Case>(halves),
                            std::span<const Case>(extremes)})
    for (const auto& c : table)
      EXPECT_EQ(PercentOf(c.Part, c.Whole), c.Percent) << c.Part << "/" << c.Whole;

  TTempDir dir;
  TRecord big;
  big.RawName = "big";
  big.FileSize = INT32_MAX;
  big.CompressedSize = 2'000'000'000;
  Bytes file = Prologue(3);
  for (int i = 0; i < 3; ++i) {
    big.NextHeader = static_cast<int32_t>(file.size() + kHeaderSize);
    Bytes e = big.Encode();
    file.insert(file.end(), e.begin(), e.end());
  }
  WriteFile(dir / "big.pak", file);
  TFileHeaders headers(nullptr);
  TCodecFileStream stream(dir / "big.pak", fmOpenRead, 0, "");
  headers.ReadDirectory(stream, 0);
  TlzhFileStats stats;
  stats.TotalBytesDone = 9;
  headers.InitTotals(stats);
  EXPECT_EQ(stats.TotalSize, 3 * int64_t{INT32_MAX});
  EXPECT_EQ(stats.TotalCompressedSize, 6'000'000'000);
  EXPECT_EQ(stats.TotalRatio, 93);
  EXPECT_EQ(stats.TotalBytesDone, 0);
}
