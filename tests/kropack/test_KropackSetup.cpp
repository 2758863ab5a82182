#include <gtest/gtest.h>

#include "KropackKit.h"

using namespace kit;

namespace {

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

const std::string kInf =
    "[ApplicationInfo]\r\nName=bin\\kro.exe\r\nTitle=Kro Test\r\nPackage=Kro.pak\r\n"
    "LibsIncluded=4\r\nFullInstallation=1\r\n";

class KropackSetup : public ::testing::Test {
 protected:
  void SetUp() override {
    Put(Dir, "pkg/bin/kro.exe", Noise(70'001));
    Put(Dir, "pkg/Liesmich.txt", Prose(3000));
    Put(Dir, "pkg/zeb/zeb.ini", Text("[ZEB]\r\n"));
    WriteFile(Dir / "kro.inf", Text(kInf));
  }
  TRun Build(const Bytes& stub, const std::string& inf = "kro.inf") {
    WriteFile(Dir / "stub.exe", stub);
    return Kropack(Dir, {"setup", "--stub", Dir / "stub.exe", "--inf", Dir / inf, "--package",
                         Dir / "pkg", "-o", Dir / "setup.exe"});
  }
  TTempDir Dir;
};

// The stub is padded to exactly 302,080 bytes, the archive follows with the description and
// the package, and the package gives back the folder.
TEST_F(KropackSetup, BuildsTheSetupFile) {
  Bytes stub = Noise(1000);
  TRun run = Build(stub);
  ASSERT_EQ(run.Exit, 0) << run.Err;
  Bytes setup = ReadFile(Dir / "setup.exe");
  ASSERT_GT(setup.size(), static_cast<size_t>(kSetupStubSize));
  EXPECT_TRUE(std::equal(stub.begin(), stub.end(), setup.begin()));
  EXPECT_TRUE(std::all_of(setup.begin() + 1000, setup.begin() + kSetupStubSize,
                          [](uint8_t b) { return b == 0; }));

  TRun list = Kropack(Dir, {"list", "--offset", "302080", Dir / "setup.exe"});
  ASSERT_EQ(list.Exit, 0) << list.Err;
  auto lines = Lines(list.Out);
  ASSERT_EQ(lines.size(), 4u) << list.Out;
  EXPECT_TRUE(lines[1].ends_with(" kro.inf"));
  EXPECT_TRUE(lines[2].ends_with(" Kro.pak"));
  ASSERT_EQ(
      Kropack(Dir, {"extract", "--offset", "302080", "-d", Dir / "tmp", Dir / "setup.exe"}).Exit,
      0);
  EXPECT_EQ(ReadFile(Dir / "tmp/kro.inf"), Text(kInf));
  ASSERT_EQ(Kropack(Dir, {"extract", "--tree", "-d", Dir / "dest", Dir / "tmp/Kro.pak"}).Exit, 0);
  for (auto name : {"bin/kro.exe", "Liesmich.txt", "zeb/zeb.ini"})
    EXPECT_EQ(ReadFile(Dir / ("dest/" + std::string(name))),
              ReadFile(Dir / ("pkg/" + std::string(name))));
  EXPECT_FALSE(fs::exists(P(Dir / "setup.exe.~kro")));
  EXPECT_FALSE(fs::exists(P(Dir / "setup.exe.~pak")));
}

// The package goes into the setup file's archive as it is, in stored blocks (78 01), not
// compressed a second time; read back (here through the inflater the program links: zlib's,
// or setup.exe's own in kropack_setup_compact) it is the archive kropack pack writes.
TEST_F(KropackSetup, PackageIsStoredAsItIs) {
  Put(Dir, "pkg/gross.bin", Noise(200'000, 7));  // several stored blocks
  ASSERT_EQ(Build(Noise(1000)).Exit, 0);
  ASSERT_EQ(Kropack(Dir, {"pack", "-C", Dir / "pkg", Dir / "ref.pak", "."}).Exit, 0);
  const Bytes ref = ReadFile(Dir / "ref.pak");
  const Bytes setup = ReadFile(Dir / "setup.exe");
  const Bytes archive(setup.begin() + kSetupStubSize, setup.end());
  const size_t record = static_cast<size_t>(GetInt32(archive, kPrologueSize + 118));
  const size_t data = static_cast<size_t>(GetInt32(archive, record + 126));
  const size_t packed = static_cast<size_t>(GetInt32(archive, record + 130));
  EXPECT_EQ(GetInt32(archive, record + 122), static_cast<int32_t>(ref.size()));
  EXPECT_EQ(archive.at(data), 0x78);
  EXPECT_EQ(archive.at(data + 1), 0x01);
  // Five bytes a block of at most 64 KiB, two of header, four of Adler-32.
  EXPECT_LE(packed, ref.size() + 6 + 5 * (ref.size() / 16'384 + 1));
  EXPECT_EQ(data + packed, archive.size());

  ASSERT_EQ(
      Kropack(Dir, {"extract", "--offset", "302080", "-d", Dir / "tmp", Dir / "setup.exe"}).Exit,
      0);
  EXPECT_TRUE(ReadFile(Dir / "tmp/Kro.pak") == ref);
}

// A stub of exactly 302,080 bytes needs no padding; one byte more is refused.
TEST_F(KropackSetup, StubSizeLimit) {
  ASSERT_EQ(Build(Bytes(kSetupStubSize, 'S')).Exit, 0);
  EXPECT_EQ(ReadFile(Dir / "setup.exe")[kSetupStubSize - 1], 'S');
  EXPECT_EQ(GetInt32(ReadFile(Dir / "setup.exe"), kSetupStubSize), 2) << "two members follow";

  fs::remove(P(Dir / "setup.exe"));
  TRun run = Build(Bytes(kSetupStubSize + 1, 'S'));
  EXPECT_EQ(run.Exit, 1);
  EXPECT_TRUE(Contains(run.Err, "is 302081 bytes, more than the 302080")) << run.Err;
  EXPECT_FALSE(fs::exists(P(Dir / "setup.exe")));
}

// Descriptions that would stop the setup are refused with the problem named; an existing
// output file is left as it was.
TEST_F(KropackSetup, DescriptionChecks) {
  struct TCase {
    std::string Inf;
    std::string Message;  // empty: accepted
  };
  const std::vector<TCase> cases = {
      {"[Other]\r\nPackage=Kro.pak\r\n", "has no section [ApplicationInfo]"},
      {"[ApplicationInfo]\r\nTitle=x\r\n", "has no key Package"},
      {"[ApplicationInfo]\r\nPackage=\r\n", "has no key Package"},
      {"[ApplicationInfo]\r\nPackage=Kro.zip\r\n", "Package=Kro.zip is not a bare file name"},
      {"[ApplicationInfo]\r\nPackage=sub\\Kro.pak\r\n", "is not a bare file name ending in .pak"},
      {"[ApplicationInfo]\r\nPackage=C:Kro.pak\r\n", "is not a bare file name ending in .pak"},
      {"[ApplicationInfo]\r\nPackage=.pak\r\n", "is not a bare file name ending in .pak"},
      {"[ApplicationInfo]\r\nPackage=Kro.pak\r\nLibsIncluded=5\r\n",
       "LibsIncluded=5 is not a number from 0 to 4"},
      {"[ApplicationInfo]\r\nPackage=Kro.pak\r\nLibsIncluded=-1\r\n", "LibsIncluded=-1"},
      {"[ApplicationInfo]\r\nPackage=Kro.pak\r\nLibsIncluded=zwei\r\n", "LibsIncluded=zwei"},
      {"[applicationinfo]\r\npackage = kro.PAK \r\nlibsincluded=$4\r\n", ""},
      {"[ApplicationInfo]\r\nPackage=Kro.pak\r\nLibsIncluded=0\r\n", ""},
      {"[ApplicationInfo]\r\nPackage=Kro.pak\r\n", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Inf);
    WriteFile(Dir / "setup.exe", Text("old"));
    WriteFile(Dir / "kro.inf", Text(c.Inf));
    TRun run = Build(Noise(100));
    if (c.Message.empty()) {
      EXPECT_EQ(run.Exit, 0) << run.Err;
      continue;
    }
    EXPECT_EQ(run.Exit, 1);
    EXPECT_TRUE(Contains(run.Err, c.Message)) << run.Err;
    EXPECT_EQ(ReadFile(Dir / "setup.exe"), Text("old"));
  }
}

// The setup finds its description by the extension .inf.
TEST_F(KropackSetup, DescriptionMustBeNamedInf) {
  WriteFile(Dir / "kro.ini", Text(kInf));
  TRun run = Build(Noise(100), "kro.ini");
  EXPECT_EQ(run.Exit, 1);
  EXPECT_TRUE(Contains(run.Err, "must be named *.inf")) << run.Err;
  EXPECT_FALSE(fs::exists(P(Dir / "setup.exe")));
}

}  // namespace
