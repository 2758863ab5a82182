#include <gtest/gtest.h>

#include <cstring>

#include "DriverFakes.h"
#include "TestSupport.h"
#include "uFileSys.h"
#include "uInstallData.h"
#include "uSetupPlatform.h"

namespace {

struct TPeShape {
  bool plus = true;           // PE32+ (64-bit) or PE32
  uint32_t directories = 16;  // NumberOfRvaAndSizes
  uint32_t optionalSize = 0;  // 0: the standard size for the directories
  uint32_t peOffset = 0x80;
  uint32_t certOffset = 0, certSize = 0;
};

// The headers of a PE image as far as the security directory.
std::string PeHead(const TPeShape& s) {
  std::string head(1024, '\0');
  head[0] = 'M', head[1] = 'Z';
  PutLE(head, 0x3C, s.peOffset, 4);
  if (s.peOffset + 4 > head.size()) return head;
  std::memcpy(&head[s.peOffset], "PE\0\0", 4);
  const uint32_t dirs = s.plus ? 112 : 96;
  const uint32_t optionalSize = s.optionalSize ? s.optionalSize : dirs + 8 * s.directories;
  PutLE(head, s.peOffset + 4, 0x8664, 2);
  PutLE(head, s.peOffset + 20, optionalSize, 2);
  const uint32_t opt = s.peOffset + 24;
  PutLE(head, opt, s.plus ? 0x20B : 0x10B, 2);
  PutLE(head, opt + (s.plus ? 108 : 92), s.directories, 4);
  PutLE(head, opt + dirs + 32, s.certOffset, 4);
  PutLE(head, opt + dirs + 36, s.certSize, 4);
  return head;
}

}  // namespace

// The data runs from 302,080 to the certificate table when a trusted one is named at or behind
// 302,080, else to the end: a table inside the stub (signed before the product was appended)
// ends nothing.
TEST(InstallData, RangeFromHeaders) {
  const int64_t A = ARCHIVE_OFFSET;
  struct {
    const char* what;
    std::string head;
    int64_t fileSize;
    int64_t end, dataEnd;
  } cases[] = {
      {"unsigned, one byte of data", PeHead({}), A + 1, A + 1, A + 1},
      {"unsigned stub", PeHead({}), A, A, A},
      {"small unsigned", PeHead({}), 5000, A, 5000},
      {"missing file", "", -1, A, -1},
      {"no PE image", std::string(512, 'x'), A + 10, A + 10, A + 10},
      {"signed PE32+", PeHead({.certOffset = 400000, .certSize = 2048}), 402048, 400000, 400000},
      {"signed PE32", PeHead({.plus = false, .certOffset = 400000, .certSize = 2048}), 402048,
       400000, 400000},
      {"signed stub", PeHead({.certOffset = 302080, .certSize = 8000}), A + 8000, A, A},
      {"signed small stub", PeHead({.certOffset = 20480, .certSize = 4000}), 24480, A, 24480},
      {"stub signed, then data", PeHead({.certOffset = 240000, .certSize = 4000}), 400000, 400000,
       400000},
      {"table ending at the offset", PeHead({.certOffset = A - 8, .certSize = 8}), A + 99, A + 99,
       A + 99},
      {"stub signed, padded, no data", PeHead({.certOffset = 240000, .certSize = 4000}), A, A, A},
      // Directory entries that cannot be right are not trusted.
      {"table past the end", PeHead({.certOffset = 400000, .certSize = 4096}), 402048, 402048,
       402048},
      {"table inside the headers", PeHead({.certOffset = 0x100, .certSize = 400000}), 402048,
       402048, 402048},
      {"table too small", PeHead({.certOffset = 400000, .certSize = 4}), 400004, 400004, 400004},
      {"too few directories", PeHead({.directories = 4, .certOffset = 400000, .certSize = 8}),
       400008, 400008, 400008},
      {"optional header too short",
       PeHead({.optionalSize = 140, .certOffset = 400000, .certSize = 8}), 400008, 400008, 400008},
      {"PE header beyond the head", PeHead({.peOffset = 4000}), A + 7, A + 7, A + 7},
      {"truncated head", PeHead({.certOffset = 400000, .certSize = 8}).substr(0, 200), 400008,
       400008, 400008},
  };
  for (const auto& c : cases) {
    const TDataRange range = InstallationDataRange(c.head, c.fileSize);
    EXPECT_EQ(range.Begin, A) << c.what;
    EXPECT_EQ(range.End, c.end) << c.what;
    EXPECT_EQ(range.DataEnd, c.dataEnd) << c.what;
    EXPECT_EQ(range.FileSize, c.fileSize) << c.what;
    EXPECT_EQ(range.Empty(), c.end == A) << c.what;
  }
}

// A real MinGW-built executable signed in both orders, with and without data: signed after
// packing, the data ends at the table; signed before (the stub signed once, each product
// appended later), the table inside the stub ends nothing and the data runs to the end. Once
// with a table as signing tools write it, once signed by osslsigncode itself.
TEST(InstallData, RealExecutableSignedBothOrders) {
  KRO_NEED_DRIVER_STUB();
  std::optional<std::string> stub = ReadStubImage();
  ASSERT_TRUE(stub) << "driver_stub.exe beside the test program";
  ASSERT_LT(stub->size(), size_t(ARCHIVE_OFFSET));
  ASSERT_FALSE(FindCertificateTable(*stub, stub->size()));

  const std::string data = "QUILL archive bytes of odd length";
  const std::string scratch = MakeScratchFolder() + "\\";
  for (bool tool : {false, true}) {
    const auto sign = [&](const std::string& image) -> std::optional<std::string> {
      if (tool) return OsslSign(image, scratch);
      std::string copy = image;
      Sign(copy, 1504);
      return copy;
    };
    if (tool) KRO_NEED_OSSLSIGN(sign(*stub));
    for (bool before : {false, true}) {
      for (bool withData : {false, true}) {
        const std::string what = std::string(tool ? "osslsigncode" : "table") +
                                 (before ? ", signed before" : ", signed after") +
                                 (withData ? ", data" : ", no data");
        std::string image = before ? *sign(*stub) : *stub;
        image.resize(ARCHIVE_OFFSET, '\0');
        if (withData) image += data;
        const size_t unsignedSize = image.size();
        if (!before) image = *sign(image);
        const std::string path = scratch + "setup.exe";
        PutFile(path, image);
        // Through the file, as the setup reads its own executable.
        std::optional<std::string> back = ReadWholeFile(path);
        ASSERT_TRUE(back);
        const TDataRange range =
            InstallationDataRange(back->substr(0, kPeHeadBytes), GetFileSizeOf(path));
        auto table = FindCertificateTable(back->substr(0, kPeHeadBytes), back->size());
        ASSERT_TRUE(table) << what;
        EXPECT_EQ(range.FileSize, int64_t(back->size())) << what;
        EXPECT_EQ(range.Empty(), !withData) << what;
        if (before) {
          EXPECT_LT(table->Offset, ARCHIVE_OFFSET) << what;
          EXPECT_EQ(range.End, withData ? int64_t(back->size()) : ARCHIVE_OFFSET) << what;
        } else {
          EXPECT_EQ(range.DataEnd, table->Offset) << what;
          // The padding to the table's 8-byte alignment stays with the data.
          if (withData) {
            EXPECT_EQ(range.End, int64_t((unsignedSize + 7) / 8 * 8)) << what;
          }
        }
        if (withData) {
          EXPECT_EQ(back->substr(range.Begin, data.size()), data) << what;
        }
      }
    }
  }
}

// The copy takes exactly the range, across the 40,000-byte chunk boundaries, and leaves nothing
// behind when the executable is shorter than the range.
TEST(InstallData, CopyRange) {
  const std::string scratch = MakeScratchFolder() + "\\";
  const int64_t A = ARCHIVE_OFFSET;
  std::string exe(A, 'S');
  for (int i = 0; i < 170001; ++i) exe += static_cast<char>('a' + i % 23);
  PutFile(scratch + "setup.exe", exe);
  const std::string source = NativePath(scratch + "setup.exe");
  for (int64_t size : {0, 1, 4095, 4096, 4097, 39999, 40000, 40001, 170001}) {
    const std::string target = NativePath(scratch + "copy" + std::to_string(size));
    TDataRange range;
    range.End = A + size;
    EXPECT_EQ(CopyInstallationData(source, range, target), 0) << size;
    EXPECT_EQ(FileText(target), exe.substr(A, size)) << size;
  }
  TDataRange beyond;
  beyond.End = A + 170002;
  const std::string target = NativePath(scratch + "beyond");
  EXPECT_EQ(CopyInstallationData(source, beyond, target), -1);
  EXPECT_FALSE(fsys::FileExists(target));
  EXPECT_NE(CopyInstallationData(NativePath(scratch + "none.exe"), beyond, target), 0);
  EXPECT_FALSE(fsys::FileExists(target));
}
