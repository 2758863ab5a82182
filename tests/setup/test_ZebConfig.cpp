#include <gtest/gtest.h>

#include "TestSupport.h"
#include "uFileSys.h"
#include "uGetZebIni.h"
#include "uRegistry.h"

namespace {

// Each test gets its own environment and an empty registry.
struct TZebFixture : testing::Test {
  TFakeSystem System;
  TSystemHooksOverride Hooks{System.Hooks()};
  TMemoryRegistry Registry;
  TRegistryOverride RegistryOverride{Registry};

  // The maker's 32-bit programs register in the 32-bit view.
  void RegisterMaker(const std::string& zeb, TRegRoot view = TRegRoot::LocalMachine32) {
    TRegExt("SOFTWARE\\Kro GmbH", false, view).WriteString("Shared", "ZEB", zeb);
  }
};

}  // namespace

// The installation folder is cut before the first "\zeb": from ZEB keeping its case, from the
// registry in lower case; a value without "\zeb" is taken whole.
TEST_F(TZebFixture, FindInstallationCuts) {
  struct {
    const char* env;  // nullptr: unset
    const char* registry;
    const char* expected;
  } cases[] = {
      {"C:\\KRO\\ZEB", nullptr, "C:\\KRO"},
      {"D:\\LIBRARY", nullptr, "D:\\LIBRARY"},
      {"D:\\ZEBRA\\ZEB", nullptr, "D:"},
      {"C:\\Kro\\Zeb", "X:\\other\\zeb", "C:\\Kro"},
      {nullptr, "C:\\Kro\\Zeb\\", "c:\\kro"},
      {"", "E:\\INST\\ZEB", "e:\\inst"},
      {"\\zeb", "F:\\A\\ZEB", "f:\\a"},
      {nullptr, "G:\\LIB\\", "g:\\lib\\"},
      {nullptr, nullptr, ""},
  };
  for (const auto& c : cases) {
    System.Env.erase("ZEB");
    if (c.env) System.Env["ZEB"] = c.env;
    TMemoryRegistry fresh;
    TRegistryOverride reg(fresh);
    if (c.registry) RegisterMaker(c.registry);
    EXPECT_EQ(FindInstallation(), c.expected) << (c.env ? c.env : "(unset)");
  }
  // A registration in our own 64-bit view is none of the maker's.
  System.Env.erase("ZEB");
  TMemoryRegistry fresh;
  TRegistryOverride reg(fresh);
  RegisterMaker("C:\\KRO\\ZEB", TRegRoot::LocalMachine);
  EXPECT_EQ(FindInstallation(), "");
  RegisterMaker("D:\\KRO\\ZEB");
  EXPECT_EQ(FindInstallation(), "d:\\kro");
}

// An installation folder leads to its library folder; UID names a file read before zeb.ini.
TEST(ZebConfigFiles, PathsFromFolder) {
  EXPECT_EQ(ZebLibraryDir("C:\\KRO"), "C:\\KRO\\zeb");
  EXPECT_EQ(ZebLibraryDir("C:\\KRO\\"), "C:\\KRO\\zeb");
  EXPECT_EQ(ZebLibraryDir("C:\\KRO\\ZEB"), "C:\\KRO\\ZEB");
  EXPECT_EQ(ZebConfigFiles("C:\\KRO\\zeb", ""),
            std::vector<std::string>{"C:\\KRO\\zeb\\w32\\etc\\zeb.ini"});
  EXPECT_EQ(ZebConfigFiles("C:\\KRO\\ZEB", "17"),
            (std::vector<std::string>{"C:\\KRO\\ZEB\\w32\\etc\\zeb.17",
                                      "C:\\KRO\\ZEB\\w32\\etc\\zeb.ini"}));
}

// Line rules: comments and lines without "=" are skipped, keys count once across sections,
// blanks before "=" keep the key's place but never match a lookup, blanks after it stay.
TEST(ZebConfigText, LineRules) {
  TZebConfig config;
  TSeenKeys seen;
  config.AddText(
      "# CTServer=comment@host\r\n[FS1]\r\nDBModel=\r\nQD=C:\\DATA\r\n[FS2]\r\ndbmodel=cs\r\n"
      "  REMPath =\\\\SRV\\\r\nQS= F:\\X \r\nnoequals\r\n\r\n",
      seen);
  config.AddText("QD=later\nREMPath=second\nBD=\\B\n", seen);
  EXPECT_EQ(config.Lines(), (std::vector<std::string>{"BD=\\B", "DBModel=", "QD=C:\\DATA",
                                                      "QS= F:\\X", "REMPath =\\\\SRV\\"}));
  struct {
    const char *name, *value;
  } lookups[] = {{"dbmodel", ""}, {"QD", "C:\\DATA"}, {"qs", " F:\\X"},
                 {"REMPath", ""}, {"CTServer", ""},   {"bd", "\\B"}};
  for (const auto& l : lookups) EXPECT_EQ(config.Value(l.name), l.value) << l.name;
}

// Reading real files: the UID file overrides zeb.ini, a missing file is skipped, an empty
// folder means the ZEB variable, and a reload starts from scratch.
TEST_F(TZebFixture, LoadsFilesInOrder) {
  const std::string root = MakeScratchFolder();
  const std::string etc = root + "\\zeb\\w32\\etc";
  ASSERT_TRUE(fsys::ForceDirectories(NativePath(etc)));
  PutFile(etc + "\\zeb.ini", "DBModel=sa\r\nCTServer=main@srv\r\n");
  PutFile(etc + "\\zeb.17", "# local\r\nDBModel=nw\r\n");

  LoadZebConfig(root);
  EXPECT_EQ(GetZebValue("DBModel"), "sa");
  System.Env["UID"] = "17";
  LoadZebConfig(root);
  EXPECT_EQ(GetZebValue("DBModel"), "nw");
  EXPECT_EQ(GetZebValue("CTServer"), "main@srv");
  System.Env["UID"] = "18";  // no such file
  LoadZebConfig(root + "\\zeb");
  EXPECT_EQ(GetZebValue("DBModel"), "sa");

  System.Env["ZEB"] = root + "\\zeb";  // a library folder is used as it is
  LoadZebConfig("");
  EXPECT_EQ(GetZebValue("CTServer"), "main@srv");
  System.Env.erase("ZEB");
  LoadZebConfig("");
  EXPECT_TRUE(ZebConfig().Lines().empty());
}
