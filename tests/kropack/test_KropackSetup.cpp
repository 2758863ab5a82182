#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>

#include "KropackKit.h"
#include "uInstallData.h"

using namespace kit;

namespace {

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

const std::string kInf =
    "[ApplicationInfo]\r\nName=bin\\kro.exe\r\nTitle=Kro Test\r\nPackage=Kro.pak\r\n"
    "LibsIncluded=4\r\nFullInstallation=1\r\n";

// SOURCE_DATE_EPOCH for the scope; nullptr leaves it unset.
struct TEpoch {
  explicit TEpoch(const char* value) { Set(value); }
  ~TEpoch() { Set(nullptr); }
  static void Set(const char* value) {
#ifdef _WIN32
    _putenv_s("SOURCE_DATE_EPOCH", value ? value : "");  // empty removes it
#else
    if (value)
      setenv("SOURCE_DATE_EPOCH", value, 1);
    else
      unsetenv("SOURCE_DATE_EPOCH");
#endif
  }
};

void SetModified(const std::string& path, int64_t utcSeconds) {
  using namespace std::chrono;
  fs::last_write_time(P(path), file_clock::from_sys(sys_seconds(seconds(utcSeconds))));
}

double DateAt(const Bytes& archive, size_t record) {
  double date;
  std::memcpy(&date, &archive.at(record + 4), sizeof date);
  return date;
}

// The stored dates of an archive's members, in directory order.
std::vector<double> Dates(const Bytes& archive) {
  std::vector<double> dates;
  size_t record = kPrologueSize;
  for (int i = 0; i < GetInt32(archive, 0); ++i) {
    dates.push_back(DateAt(archive, record));
    record = static_cast<size_t>(GetInt32(archive, record + 118));
  }
  return dates;
}

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
  ASSERT_GT(setup.size(), static_cast<size_t>(ARCHIVE_OFFSET));
  EXPECT_TRUE(std::equal(stub.begin(), stub.end(), setup.begin()));
  EXPECT_TRUE(std::all_of(setup.begin() + 1000, setup.begin() + ARCHIVE_OFFSET,
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

// Files of the user's at the names kropack writes its temporary files under are never
// touched, whether the setup file is new or replaces an older one.
TEST_F(KropackSetup, LeavesFilesAtTheTemporaryNamesAlone) {
  const std::vector<std::string> theirs = {"setup.exe.~kro", "setup.exe.~pak",
                                           "setup.exe.~pak.~kro", "setup.exe.~paka"};
  for (bool older : {false, true}) {
    SCOPED_TRACE(older ? "over an older setup file" : "a new setup file");
    fs::remove(P(Dir / "setup.exe"));
    if (older) WriteFile(Dir / "setup.exe", Text("older"));
    for (const auto& name : theirs) WriteFile(Dir / name, Text("user's " + name));
    TRun run = Build(Noise(1000));
    ASSERT_EQ(run.Exit, 0) << run.Err;
    EXPECT_GT(ReadFile(Dir / "setup.exe").size(), static_cast<size_t>(ARCHIVE_OFFSET));
    for (const auto& name : theirs) EXPECT_EQ(ReadFile(Dir / name), Text("user's " + name));
    EXPECT_FALSE(fs::exists(P(Dir / "setup.exe.~pakb")));
    EXPECT_FALSE(fs::exists(P(Dir / "setup.exe.~kroa")));
  }
}

// The package goes into the setup file's archive as it is, in stored blocks (78 01), not
// compressed a second time; read back (here through the inflater the program links: zlib's,
// or setup.exe's own in kropack_setup_compact) it is the archive kropack pack writes.
TEST_F(KropackSetup, PackageIsStoredAsItIs) {
  Put(Dir, "pkg/gross.bin", Noise(2'200'000, 7));  // several stored blocks, in three pieces
  ASSERT_EQ(Build(Noise(1000)).Exit, 0);
  ASSERT_EQ(Kropack(Dir, {"pack", "-C", Dir / "pkg", Dir / "ref.pak", "."}).Exit, 0);
  const Bytes ref = ReadFile(Dir / "ref.pak");
  const Bytes setup = ReadFile(Dir / "setup.exe");
  const Bytes archive(setup.begin() + ARCHIVE_OFFSET, setup.end());
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

// The same inputs give the same setup file, whenever and wherever it is written and with any
// number of threads: the package is dated by its newest member, not by when it was written.
TEST_F(KropackSetup, SameInputsSameSetupFile) {
  ASSERT_EQ(Build(Noise(1000)).Exit, 0);
  const Bytes first = ReadFile(Dir / "setup.exe");
  fs::create_directories(P(Dir / "elsewhere"));
  TRun again =
      Kropack(Dir, {"setup", "--threads", "1", "--stub", Dir / "stub.exe", "--inf", Dir / "kro.inf",
                    "--package", Dir / "pkg", "-o", Dir / "elsewhere/other.exe"});
  ASSERT_EQ(again.Exit, 0) << again.Err;
  EXPECT_TRUE(ReadFile(Dir / "elsewhere/other.exe") == first);
}

// With SOURCE_DATE_EPOCH set no stored date is later than it: the members' and the
// description's own dates when earlier or equal, the epoch otherwise; the package carries the
// newest of its members' dates.
TEST_F(KropackSetup, DatesClampedToSourceDateEpoch) {
  // Files in the package's order: Liesmich.txt, bin\kro.exe, zeb\zeb.ini; then the description.
  const char* const files[] = {"pkg/Liesmich.txt", "pkg/bin/kro.exe", "pkg/zeb/zeb.ini", "kro.inf"};
  const int64_t modified[] = {1'700'000'000, 1'600'000'000, 1'650'000'000, 1'680'000'000};
  const struct {
    const char* Epoch;  // nullptr: not set
    int64_t Members[3], Inf, Package;
  } cases[] = {
      {nullptr, {1'700'000'000, 1'600'000'000, 1'650'000'000}, 1'680'000'000, 1'700'000'000},
      {"1800000000", {1'700'000'000, 1'600'000'000, 1'650'000'000}, 1'680'000'000, 1'700'000'000},
      // Equal is not later.
      {"1700000000", {1'700'000'000, 1'600'000'000, 1'650'000'000}, 1'680'000'000, 1'700'000'000},
      {"1690000000", {1'690'000'000, 1'600'000'000, 1'650'000'000}, 1'680'000'000, 1'690'000'000},
      {"1660000000", {1'660'000'000, 1'600'000'000, 1'650'000'000}, 1'660'000'000, 1'660'000'000},
      {"1000000000", {1'000'000'000, 1'000'000'000, 1'000'000'000}, 1'000'000'000, 1'000'000'000},
      {"0", {0, 0, 0}, 0, 0},
  };
  // The date a file modified at that instant is stored with.
  auto stored = [&](int64_t seconds) {
    WriteFile(Dir / "ref", {});
    SetModified(Dir / "ref", seconds);
    return fsys::FileDateTime(Dir / "ref").value();
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Epoch ? c.Epoch : "not set");
    for (size_t i = 0; i < std::size(files); ++i) SetModified(Dir / files[i], modified[i]);
    TEpoch epoch(c.Epoch);
    TRun run = Build(Noise(100));
    ASSERT_EQ(run.Exit, 0) << run.Err;
    const Bytes setup = ReadFile(Dir / "setup.exe");
    const std::vector<double> outer = Dates(Bytes(setup.begin() + ARCHIVE_OFFSET, setup.end()));
    ASSERT_EQ(outer.size(), 2u);
    EXPECT_EQ(outer[0], stored(c.Inf));
    EXPECT_EQ(outer[1], stored(c.Package));
    fs::remove_all(P(Dir / "tmp"));
    ASSERT_EQ(
        Kropack(Dir, {"extract", "--offset", "302080", "-d", Dir / "tmp", Dir / "setup.exe"}).Exit,
        0);
    const std::vector<double> inner = Dates(ReadFile(Dir / "tmp/Kro.pak"));
    ASSERT_EQ(inner.size(), 3u);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(inner[i], stored(c.Members[i])) << i;
  }
}

// An empty package takes the description's date; kropack pack clamps as setup does.
TEST_F(KropackSetup, EmptyPackageAndPackClamp) {
  TEpoch epoch("1500000000");
  fs::create_directories(P(Dir / "leer"));
  SetModified(Dir / "kro.inf", 1'400'000'000);
  TRun run = Kropack(Dir, {"setup", "--stub", Dir / "kro.inf", "--inf", Dir / "kro.inf",
                           "--package", Dir / "leer", "-o", Dir / "setup.exe"});
  ASSERT_EQ(run.Exit, 0) << run.Err;
  const Bytes setup = ReadFile(Dir / "setup.exe");
  const std::vector<double> outer = Dates(Bytes(setup.begin() + ARCHIVE_OFFSET, setup.end()));
  ASSERT_EQ(outer.size(), 2u);
  EXPECT_EQ(outer[1], outer[0]);
  EXPECT_EQ(outer[0], fsys::FileDateTime(Dir / "kro.inf").value());

  SetModified(Dir / "pkg/bin/kro.exe", 1'600'000'000);
  ASSERT_EQ(Kropack(Dir, {"pack", "-C", Dir / "pkg", Dir / "p.pak", "bin"}).Exit, 0);
  SetModified(Dir / "kro.inf", 1'500'000'000);
  EXPECT_EQ(Dates(ReadFile(Dir / "p.pak")),
            std::vector<double>{fsys::FileDateTime(Dir / "kro.inf").value()});
}

// A SOURCE_DATE_EPOCH that is no number of seconds stops the run before anything is written.
TEST_F(KropackSetup, MalformedSourceDateEpoch) {
  const char* const values[] = {
#ifndef _WIN32
      "",  // on Windows an empty value removes the variable
#endif
      "abc", "-5", "1.5", " 5", "5 ", "0x10", "123456789012"};
  for (const char* value : values) {
    SCOPED_TRACE(value);
    TEpoch epoch(value);
    WriteFile(Dir / "setup.exe", Text("old"));
    TRun run = Build(Noise(100));
    EXPECT_EQ(run.Exit, 1);
    EXPECT_TRUE(Contains(run.Err, "is not a number of seconds since 1970")) << run.Err;
    EXPECT_EQ(ReadFile(Dir / "setup.exe"), Text("old"));
    TRun pack = Kropack(Dir, {"pack", "-C", Dir / "pkg", Dir / "p.pak", "."});
    EXPECT_EQ(pack.Exit, 1);
    EXPECT_FALSE(fs::exists(P(Dir / "p.pak")));
  }
}

// A stub of exactly 302,080 bytes needs no padding; one byte more is refused.
TEST_F(KropackSetup, StubSizeLimit) {
  ASSERT_EQ(Build(Bytes(ARCHIVE_OFFSET, 'S')).Exit, 0);
  EXPECT_EQ(ReadFile(Dir / "setup.exe")[ARCHIVE_OFFSET - 1], 'S');
  EXPECT_EQ(GetInt32(ReadFile(Dir / "setup.exe"), ARCHIVE_OFFSET), 2) << "two members follow";

  fs::remove(P(Dir / "setup.exe"));
  TRun run = Build(Bytes(ARCHIVE_OFFSET + 1, 'S'));
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

// Without --stub the stub installed beside the program is taken; where there is none (as
// beside a test program) the run stops and says where it looked. The installed case is
// tests/deb/deb-install.
TEST_F(KropackSetup, NoStubInstalled) {
  TRun run = Kropack(
      Dir, {"setup", "--inf", Dir / "kro.inf", "--package", Dir / "pkg", "-o", Dir / "setup.exe"});
  EXPECT_EQ(run.Exit, 1);
  EXPECT_TRUE(Contains(run.Err,
                       "no --stub given, and no setup.exe installed beside kropack "
                       "(../share/kro-setup/setup.exe from the program's folder)"))
      << run.Err;
  EXPECT_FALSE(fs::exists(P(Dir / "setup.exe")));
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
