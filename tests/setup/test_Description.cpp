#include <gtest/gtest.h>

#include "TestSupport.h"
#include "uSetupTools.h"

namespace {

// A run record with the names the preparation found, and its description written to a folder.
struct TDescriptionFixture : testing::Test {
  std::string Folder = MakeScratchFolder() + "\\";
  TApplicationInfo Info{""};
  void SetUp() override {
    Info.Package = "app.pak";
    Info.InfFile = "app.inf";
  }
  bool Read(const std::string& keys) {
    // A Package of the keys' own comes first and wins.
    PutFile(Folder + "app.inf", "[ApplicationInfo]\r\n" + keys + "\r\nPackage=app.pak\r\n");
    Info.Package = "app.pak";
    return ReadDescription(Info, Folder);
  }
};

}  // namespace

TEST_F(TDescriptionFixture, ReadsEveryKey) {
  ASSERT_TRUE(
      Read("Name=BIN\\admin.exe\r\nTitle=Zeb Gr\xF6\xDF"
           "e\r\nVersion=2.02\r\nDescription=Tools\r\n"
           "Remark=  (c) Kro  \r\nReadme=liesmich.txt\r\nPackage=data.pak\r\nLibsIncluded=4\r\n"
           "NeededChars=be\r\nFullInstallation=1\r\nBuilderJobInfo=ignored\r\n"));
  EXPECT_EQ(Info.Name, "BIN\\admin.exe");
  EXPECT_EQ(Info.Title,
            "Zeb Gr\xC3\xB6\xC3\x9F"
            "e");  // stored as code page 1252
  EXPECT_EQ(Info.Version, "2.02");
  EXPECT_EQ(Info.Description, "Tools");
  EXPECT_EQ(Info.Remark, "(c) Kro");
  EXPECT_EQ(Info.Readme, "liesmich.txt");
  EXPECT_EQ(Info.Package, "data.pak");
  EXPECT_EQ(Info.LibsIncluded, 4);
  EXPECT_EQ(Info.NeededChars, "BEQ");
  EXPECT_TRUE(Info.FullInstallation);
}

// Without a package or a description member nothing is read and nothing changes.
TEST_F(TDescriptionFixture, NeedsPackageAndDescription) {
  PutFile(Folder + "app.inf", "[ApplicationInfo]\r\nTitle=T\r\n");
  for (auto [package, inf] : {std::pair{"", "app.inf"}, {"  ", "app.inf"}, {"app.pak", " "}}) {
    Info.Package = package;
    Info.InfFile = inf;
    EXPECT_FALSE(ReadDescription(Info, Folder)) << package << "|" << inf;
    EXPECT_EQ(Info.Title, "");
  }
}

// A missing file reads as all defaults, and the description's empty Package wins: with nothing
// to unpack the description fails.
TEST_F(TDescriptionFixture, MissingFileGivesDefaults) {
  Info.InfFile = "absent.inf";
  ASSERT_FALSE(ReadDescription(Info, Folder));
  EXPECT_EQ(Info.Package, "");
  EXPECT_EQ(Info.NeededChars, "Q");
  EXPECT_EQ(Info.LibsIncluded, 0);
  EXPECT_FALSE(Info.FullInstallation);
}

// Values read as the profile functions give them: quotes around a value go, a UTF-8 byte-order
// mark neither hides the first section nor garbles its text; a blank Package fails the read.
TEST_F(TDescriptionFixture, ProfileValues) {
  struct {
    const char* text;  // the whole file
    bool read;
    const char* title;
    const char* package;
  } cases[] = {
      {"[ApplicationInfo]\r\nTitle=\"Kro Lohn\"\r\nPackage='kro.pak'\r\n", true, "Kro Lohn",
       "kro.pak"},
      {"[ApplicationInfo]\r\nTitle=  \" Kro \"  \r\nPackage=\"kro.pak\r\n", true, " Kro ",
       "\"kro.pak"},
      {"[ApplicationInfo]\r\nTitle=\"Kro\" \"Lohn\"\r\nPackage=a.pak\r\n", true, "Kro\" \"Lohn",
       "a.pak"},
      {"\xEF\xBB\xBF[ApplicationInfo]\r\nTitle=Gr\xC3\xB6\xC3\x9F"
       "e\r\nPackage=kro.pak\r\n",
       true,
       "Gr\xC3\xB6\xC3\x9F"
       "e",
       "kro.pak"},
      {"[ApplicationInfo]\r\nTitle=Kro\r\nPackage=\r\n", false, "Kro", ""},
      {"[ApplicationInfo]\r\nTitle=Kro\r\nPackage=\"\"\r\n", false, "Kro", ""},
      {"[ApplicationInfo]\r\nTitle=Kro\r\n", false, "Kro", ""},
  };
  for (const auto& c : cases) {
    PutFile(Folder + "app.inf", c.text);
    Info.Package = "app.pak";
    EXPECT_EQ(ReadDescription(Info, Folder), c.read) << c.text;
    EXPECT_EQ(Info.Title, c.title) << c.text;
    EXPECT_EQ(Info.Package, c.package) << c.text;
  }
}

// NeededChars is upper-cased and always holds one Q; LibsIncluded keeps its low 8 bits;
// FullInstallation is true for any non-zero number only.
TEST_F(TDescriptionFixture, ValueRules) {
  struct {
    const char* keys;
    const char* chars;
    int libs;
    bool full;
  } cases[] = {
      {"NeededChars=qb\nLibsIncluded=2\nFullInstallation=-1\n", "QB", 2, true},
      {"LibsIncluded=abc\nFullInstallation=yes\n", "Q", 0, false},
      {"NeededChars=  b e \nLibsIncluded=$104\nFullInstallation=0\n", "B EQ", 4, false},
      {"LibsIncluded=7\nFullInstallation=0x10\n", "Q", 7, true},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(Read(c.keys));
    EXPECT_EQ(Info.NeededChars, c.chars) << c.keys;
    EXPECT_EQ(Info.LibsIncluded, c.libs) << c.keys;
    EXPECT_EQ(Info.FullInstallation, c.full) << c.keys;
  }
}

// DestDir adds one trailing backslash, ZebDir the library folder; empty stays empty.
TEST(ApplicationInfo, DestDirAndZebDir) {
  struct {
    const char *destination, *destDir, *zebDir;
  } cases[] = {{"C:\\KRO", "C:\\KRO\\", "C:\\KRO\\ZEB\\"},
               {"C:\\KRO\\", "C:\\KRO\\", "C:\\KRO\\ZEB\\"},
               {"", "", ""}};
  for (const auto& c : cases) {
    TApplicationInfo info(c.destination);
    EXPECT_EQ(info.DestDir(), c.destDir);
    EXPECT_EQ(info.ZebDir(), c.zebDir);
  }
}

// The default constructor looks for the existing installation.
TEST(ApplicationInfo, ConstructorFindsInstallation) {
  TFakeSystem system;
  system.Env["ZEB"] = "E:\\Apps\\ZEB";
  TSystemHooksOverride hooks(system.Hooks());
  EXPECT_EQ(TApplicationInfo().Destination, "E:\\Apps");
}

// The restart and the environment go through the hooks, so no test ever restarts a machine;
// an unset variable reads as empty, and the hooks come back when the override ends.
TEST(SystemHooks, RestartAndEnvironment) {
  TFakeSystem system;
  system.Env["UID"] = "17";
  {
    TSystemHooksOverride hooks(system.Hooks());
    RebootWindows();
    EXPECT_EQ(system.Reboots, 1);
    EXPECT_EQ(GetEnvVar("UID"), "17");
    EXPECT_EQ(GetEnvVar("KRO_UNSET_VARIABLE"), "");
  }
  EXPECT_NE(GetEnvVar("UID"), "17");
}
