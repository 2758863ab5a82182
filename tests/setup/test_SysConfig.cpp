#include <gtest/gtest.h>

#include "TestSupport.h"
#include "uFileSys.h"
#include "uRegistry.h"
#include "uSysConfig.h"
#include "uText.h"

namespace {

const std::string kMachineEnv = "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";
const std::string kUserEnv = "Environment";
const std::string kMaker = "SOFTWARE\\Kro GmbH\\Shared";
constexpr auto HKLM = TRegRoot::LocalMachine;
constexpr auto HKLM32 = TRegRoot::LocalMachine32;  // where the maker's programs register
constexpr auto HKCU = TRegRoot::CurrentUser;

struct TSysFixture : testing::Test {
  TFakeSystem System;
  TSystemHooksOverride Hooks{System.Hooks()};
  TMemoryRegistry Registry;
  TRegistryOverride RegistryOverride{Registry};
  TApplicationInfo Info{"C:\\KRO"};

  void Put(TRegRoot root, const std::string& key, const std::string& name, const std::string& data,
           TRegType type = TRegType::String) {
    std::unique_ptr<TRegKey> k;
    ASSERT_EQ(Registry.Root(root)->Open(key, TRegAccess::Full, true, k), kRegOk);
    ASSERT_EQ(k->Set(name, {type, data}), kRegOk);
  }
  std::optional<TRegValue> Get(TRegRoot root, const std::string& key, const std::string& name) {
    TMemoryRegistry::TNode* node = Registry.Find(root, key);
    if (!node) return std::nullopt;
    auto it = node->Values.find(LowerAZ(name));
    if (it == node->Values.end()) return std::nullopt;
    return it->second;
  }
  std::string Data(TRegRoot root, const std::string& key, const std::string& name) {
    auto v = Get(root, key, name);
    return v ? v->Data : "(absent)";
  }
  void ConfiguredMachine(const std::string& path) {
    Put(HKLM, kMachineEnv, "ZEB", "C:\\KRO\\ZEB");
    Put(HKLM, kMachineEnv, "PATH", path, TRegType::ExpandString);
    Put(HKLM32, kMaker, "ZEB", "C:\\KRO\\ZEB");
  }
};

}  // namespace

// A path contains the library only as a whole entry, with or without a trailing backslash.
TEST(PathEntries, Contains) {
  struct {
    const char* path;
    bool contained;
  } cases[] = {
      {"C:\\KRO\\ZEB", true},
      {"c:\\kro\\zeb\\;C:\\TOOLS", true},
      {"C:\\A; C:\\Kro\\Zeb ", true},
      {"\"C:\\KRO\\ZEB\"", true},
      {"C:\\KRO\\ZEBRA;C:\\TOOLS", false},
      {"D:\\C:\\KRO\\ZEB", false},
      {"C:\\KRO\\ZEB\\W32", false},
      {"C:\\KRO\\ZEB\\\\", false},
      {"", false},
      {";;", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(PathContainsEntry(c.path, "C:\\KRO\\ZEB"), c.contained) << c.path;
}

// Removal takes exactly the matching entries with their separators, never part of another.
TEST(PathEntries, Remove) {
  struct {
    const char *path, *rest;
  } cases[] = {
      {"C:\\KRO\\ZEB\\;C:\\TOOLS", "C:\\TOOLS"},
      {"C:\\KRO\\ZEBRA;C:\\TOOLS", "C:\\KRO\\ZEBRA;C:\\TOOLS"},
      {"C:\\TOOLS;c:\\kro\\zeb", "C:\\TOOLS"},
      {"C:\\A;C:\\KRO\\ZEB;%SystemRoot%;C:\\KRO\\ZEB\\", "C:\\A;%SystemRoot%"},
      {"C:\\KRO\\ZEB", ""},
      {"C:\\A;;C:\\B", "C:\\A;;C:\\B"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(RemovePathEntries(c.path, "C:\\KRO\\ZEB"), c.rest) << c.path;
  EXPECT_EQ(PrependPathEntry("C:\\KRO\\ZEB", "C:\\TOOLS"), "C:\\KRO\\ZEB;C:\\TOOLS");
  EXPECT_EQ(PrependPathEntry("C:\\KRO\\ZEB", " "), "C:\\KRO\\ZEB");
}

// Everything in place: nothing is written, the user's environment is left alone, nobody told.
TEST_F(TSysFixture, EnvironmentAlreadyConfigured) {
  ConfiguredMachine("%SystemRoot%;c:\\kro\\zeb");
  Put(HKCU, kUserEnv, "ZEB", "X:\\OLD");
  EXPECT_EQ(SetupEnvironmentNT(Info), TEnvResult::Unchanged);
  EXPECT_EQ(Data(HKLM, kMachineEnv, "PATH"), "%SystemRoot%;c:\\kro\\zeb");
  EXPECT_EQ(Data(HKCU, kUserEnv, "ZEB"), "X:\\OLD");
  EXPECT_EQ(System.Broadcasts, 0);
}

// The machine-wide update, and the user's own copies cleaned by whole entries.
TEST_F(TSysFixture, MachineWideUpdate) {
  struct {
    const char* machinePath;  // nullptr: absent
    int registered;           // the view holding the maker's registration; 0 none
    const char* userPath;     // nullptr: absent
    const char* newMachinePath;
    const char* newUserPath;  // "(absent)" when deleted or never there
  } cases[] = {
      {"%SystemRoot%\\system32", 32, "C:\\KRO\\ZEB\\;C:\\TOOLS",
       "C:\\KRO\\ZEB;%SystemRoot%\\system32", "C:\\TOOLS"},
      {nullptr, 32, "C:\\KRO\\ZEB", "C:\\KRO\\ZEB", "(absent)"},
      {"C:\\KRO\\ZEBRA", 32, "C:\\KRO\\ZEBRA;C:\\TOOLS", "C:\\KRO\\ZEB;C:\\KRO\\ZEBRA",
       "C:\\KRO\\ZEBRA;C:\\TOOLS"},
      // Path and variable in place, but no registration of the library: ZEB is rewritten.
      {"C:\\KRO\\ZEB", 0, "  C:\\KRO\\ZEB ", "C:\\KRO\\ZEB", "(absent)"},
      // A registration in the 64-bit view is not the maker's: the same.
      {"C:\\KRO\\ZEB", 64, "  C:\\KRO\\ZEB ", "C:\\KRO\\ZEB", "(absent)"},
  };
  for (const auto& c : cases) {
    Registry.Find(HKLM, "")->Keys.clear();
    Registry.Find(HKCU, "")->Keys.clear();
    Registry.Find(HKLM32, "")->Keys.clear();
    System.Broadcasts = 0;
    if (c.machinePath) {
      Put(HKLM, kMachineEnv, "PATH", c.machinePath, TRegType::ExpandString);
      Put(HKLM, kMachineEnv, "ZEB", "C:\\KRO\\ZEB");
    }
    if (c.registered) Put(c.registered == 32 ? HKLM32 : HKLM, kMaker, "ZEB", "C:\\KRO\\ZEB");
    Put(HKCU, kUserEnv, "ZEB", "C:\\KRO\\ZEB");
    if (c.userPath) Put(HKCU, kUserEnv, "PATH", c.userPath, TRegType::ExpandString);

    EXPECT_EQ(SetupEnvironmentNT(Info), TEnvResult::MachineWide) << c.userPath;
    auto zeb = Get(HKLM, kMachineEnv, "ZEB");
    ASSERT_TRUE(zeb);
    EXPECT_EQ(zeb->Data, "C:\\KRO\\ZEB");
    EXPECT_EQ(zeb->Type, TRegType::String);
    auto path = Get(HKLM, kMachineEnv, "PATH");
    ASSERT_TRUE(path);
    EXPECT_EQ(path->Data, c.newMachinePath);
    EXPECT_EQ(path->Type, TRegType::ExpandString);
    EXPECT_EQ(Data(HKCU, kUserEnv, "ZEB"), "(absent)");
    EXPECT_EQ(Data(HKCU, kUserEnv, "PATH"), c.newUserPath);
    EXPECT_EQ(System.Broadcasts, 1);
  }
}

// A PATH far beyond 2,048 characters keeps every byte and its expandable type.
TEST_F(TSysFixture, LongPathSurvives) {
  std::string old;
  for (int i = 0; old.size() < 3'000; ++i)
    old +=
        "%SystemRoot%\\Tools" + std::to_string(i) + ";%ProgramFiles%\\P" + std::to_string(i) + ";";
  Put(HKLM, kMachineEnv, "PATH", old, TRegType::ExpandString);
  ASSERT_EQ(SetupEnvironmentNT(Info), TEnvResult::MachineWide);
  auto path = Get(HKLM, kMachineEnv, "PATH");
  ASSERT_TRUE(path);
  EXPECT_EQ(path->Data, "C:\\KRO\\ZEB;" + old);
  EXPECT_EQ(path->Type, TRegType::ExpandString);
}

// Without the right to write HKEY_LOCAL_MACHINE the user's own environment is configured, and
// a machine-wide PATH that cannot be read as text is never replaced.
TEST_F(TSysFixture, FallsBackToUser) {
  struct {
    bool denyMachine;
    TRegType machinePathType;
    const char* userPath;
    const char* newUserPath;
  } cases[] = {
      {true, TRegType::ExpandString, "C:\\TOOLS", "C:\\KRO\\ZEB;C:\\TOOLS"},
      {true, TRegType::ExpandString, nullptr, "C:\\KRO\\ZEB"},
      {false, TRegType::Other, "%USERPROFILE%\\bin", "C:\\KRO\\ZEB;%USERPROFILE%\\bin"},
  };
  for (const auto& c : cases) {
    Registry.Find(HKLM, "")->Keys.clear();
    Registry.Find(HKCU, "")->Keys.clear();
    System.Broadcasts = 0;
    Put(HKLM, kMachineEnv, "PATH", c.machinePathType == TRegType::Other ? "" : "C:\\WIN",
        c.machinePathType);
    if (c.userPath) Put(HKCU, kUserEnv, "PATH", c.userPath, TRegType::ExpandString);
    TDenyWritesBackend deny(Registry, HKLM);
    std::optional<TRegistryOverride> denied;
    if (c.denyMachine) denied.emplace(deny);

    EXPECT_EQ(SetupEnvironmentNT(Info), TEnvResult::PerUser);
    denied.reset();
    EXPECT_EQ(Data(HKLM, kMachineEnv, "ZEB"), c.denyMachine ? "(absent)" : "C:\\KRO\\ZEB");
    EXPECT_EQ(Get(HKLM, kMachineEnv, "PATH")->Type, c.machinePathType);
    EXPECT_EQ(Data(HKCU, kUserEnv, "ZEB"), "C:\\KRO\\ZEB");
    auto path = Get(HKCU, kUserEnv, "PATH");
    ASSERT_TRUE(path);
    EXPECT_EQ(path->Data, c.newUserPath);
    EXPECT_EQ(path->Type, TRegType::ExpandString);
    EXPECT_EQ(System.Broadcasts, 1);
  }
  // Run again: the user's environment already has both, nothing more happens.
  TDenyWritesBackend deny(Registry, HKLM);
  TRegistryOverride denied(deny);
  EXPECT_EQ(SetupEnvironmentNT(Info), TEnvResult::Unchanged);
  EXPECT_EQ(System.Broadcasts, 1);
}

// No destination, nothing to configure.
TEST_F(TSysFixture, NothingWithoutDestination) {
  TApplicationInfo none("");
  EXPECT_EQ(SetupEnvironmentNT(none), TEnvResult::Failed);
  EXPECT_EQ(Registry.Find(HKLM, kMachineEnv), nullptr);
  EXPECT_FALSE(SetupAutoexec(none));
  EXPECT_THROW(WriteZebIni(none, TZebConfig()), EZebIniError);
}

// The autoexec lines follow the running process's ZEB and PATH, by whole path entries.
TEST_F(TSysFixture, AutoexecLines) {
  using V = std::vector<std::string>;
  const V both = {"set ZEB=C:\\KRO\\ZEB", "PATH=C:\\KRO\\ZEB\\;%PATH%"};
  EXPECT_EQ(AutoexecAdditions(Info, "", "C:\\WINDOWS"), both);
  EXPECT_EQ(AutoexecAdditions(Info, "", "C:\\KRO\\ZEBRA"), both);
  EXPECT_EQ(AutoexecAdditions(Info, "C:\\KRO\\ZEB", "C:\\WINDOWS;c:\\kro\\zeb\\"), V{});
  EXPECT_EQ(AutoexecAdditions(Info, "x", "C:\\WINDOWS"), V{both[1]});
  EXPECT_EQ(AutoexecAdditions(TApplicationInfo("C:\\KRO\\"), "", "C:\\KRO\\ZEB"), V{both[0]});

  EXPECT_EQ(AppendAutoexecLines("", {"a"}), "a\r\n");
  EXPECT_EQ(AppendAutoexecLines("@echo off", {"a", "b"}), "@echo off\r\na\r\nb\r\n");
  EXPECT_EQ(AppendAutoexecLines("x\r\n\x1A", {"a"}), "x\r\na\r\n");
  EXPECT_EQ(AppendAutoexecLines("x\n", {"a"}), "x\na\r\n");
}

// autoexec.bat in the boot folder: created with two lines and no backup when missing; later
// runs keep its content, append again and refresh the backup.
TEST_F(TSysFixture, AutoexecFile) {
  const std::string boot = MakeScratchFolder();
  Put(HKLM, "Software\\Microsoft\\Windows\\CurrentVersion\\Setup", "BootDir", boot);
  const std::string bat = boot + "\\autoexec.bat", kro = boot + "\\autoexec.kro";
  System.Env["PATH"] = "C:\\WINDOWS";
  const std::string lines = "set ZEB=C:\\KRO\\ZEB\r\nPATH=C:\\KRO\\ZEB\\;%PATH%\r\n";

  ASSERT_TRUE(SetupAutoexec(Info));
  EXPECT_EQ(FileText(bat), lines);
  EXPECT_FALSE(fsys::FileExists(NativePath(kro)));

  PutFile(bat, "@ECHO OFF\r\nSET BLASTER=A220\xE4");
  ASSERT_TRUE(SetupAutoexec(Info));
  EXPECT_EQ(FileText(kro), "@ECHO OFF\r\nSET BLASTER=A220\xE4");
  EXPECT_EQ(FileText(bat), "@ECHO OFF\r\nSET BLASTER=A220\xE4\r\n" + lines);
  ASSERT_TRUE(SetupAutoexec(Info));
  EXPECT_EQ(FileText(kro), "@ECHO OFF\r\nSET BLASTER=A220\xE4\r\n" + lines);
  EXPECT_EQ(FileText(bat), "@ECHO OFF\r\nSET BLASTER=A220\xE4\r\n" + lines + lines);

  System.Env["ZEB"] = "C:\\KRO\\ZEB";
  System.Env["PATH"] = "C:\\KRO\\ZEB;C:\\WINDOWS";
  EXPECT_FALSE(SetupAutoexec(Info));
  EXPECT_EQ(fsys::ListDirectory(NativePath(boot))->size(), 2u);  // no temporary left behind
}

// Module folders: the configuration's letter+"D", else letter+"S", under RemPath; else the
// product's own folder for the letter; unknown letters give nothing.
TEST(ModuleDir, Resolve) {
  TZebConfig config;
  TSeenKeys seen;
  config.AddText("BD=\\kro\\modul\nES=e:\\punde\\\nED=\nRS=r:\\\n", seen);
  TApplicationInfo info("C:\\KRO");
  struct {
    const char *remPath, *letter, *dir;
  } cases[] = {
      {"\\\\SRV\\APP", "B", "\\\\SRV\\APP\\KRO\\MODUL\\W32"},
      {"", "B", "\\KRO\\MODUL\\W32"},
      {"", "E", "E:\\PUNDE\\W32"},
      {"", "R", "R:\\W32"},
      {"\\\\SRV", "F", "C:\\KRO\\DARSO\\W32"},
      {"", "G", "C:\\KRO\\HOLK\\W32"},
      {"", "M", "C:\\KRO\\WIRDE\\W32"},
      {"", "Q", "C:\\KRO\\ZEB\\W32"},
      {"", "V", "C:\\KRO\\KUVE\\W32"},
      {"", "X", ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ResolveModuleDir(c.remPath, c.letter, info, config), c.dir) << c.letter;
}

// zeb.ini byte for byte: the local library, and a client-server one with REMPath.
TEST(ZebIni, Text) {
  TApplicationInfo info("C:\\KRO");
  info.NeededChars = "BQ";
  EXPECT_EQ(BuildZebIni(info, TZebConfig()),
            "[Log]\r\nLevel=0\r\nFile=%TEMP%/zeb.log\r\nAppend=0\r\nSync=1\r\nHints=1\r\n\r\n"
            "[FS1]\r\nServer=LOCLIB\r\nUser=TOVEK\r\nPassword=TOVEK\r\n"
            "B=C:\\KRO\\SAVO\\W32\r\nQ=C:\\KRO\\ZEB\\W32\r\n\r\n"
            "[zeb]\r\nPrimaryServer=S1\r\nFatalStop=1\r\nBanner=0\r\nVerbose=0\r\n\r\n");

  TZebConfig config;
  TSeenKeys seen;
  config.AddText("CTServer=main@srv\r\nREMPath=\\\\srv\\app\\\r\nBD=\\KRO\\MODUL\r\n", seen);
  info.NeededChars = "BXBQ";
  EXPECT_EQ(BuildZebIni(info, config),
            "[Log]\r\nLevel=0\r\nFile=%TEMP%/zeb.log\r\nAppend=0\r\nSync=1\r\nHints=1\r\n\r\n"
            "[FS1]\r\nServer=main@srv\r\nB=\\\\SRV\\APP\\KRO\\MODUL\\W32\r\nX=\r\n"
            "Q=C:\\KRO\\ZEB\\W32\r\n\r\n"
            "[zeb]\r\nPrimaryServer=S1\r\nFatalStop=1\r\nBanner=0\r\nVerbose=0\r\n\r\n");
}

// zeb.ini on disk: written in code page 1252 with its folder, never over an existing one, and
// a failure is reported with nothing left behind.
TEST(ZebIni, File) {
  const std::string root = MakeScratchFolder();
  TApplicationInfo info(root +
                        "\\Gr\xC3\xB6\xC3\x9F"
                        "e");
  info.NeededChars = "Q";
  ASSERT_TRUE(WriteZebIni(info, TZebConfig()));
  auto text = FileText(info.ZebDir() + "zeb.ini");
  ASSERT_TRUE(text);
  EXPECT_NE(text->find("Q=" + root +
                       "\\Gr\xF6\xDF"
                       "e\\ZEB\\W32\r\n"),
            std::string::npos);

  PutFile(info.ZebDir() + "zeb.ini", "mine");
  EXPECT_FALSE(WriteZebIni(info, TZebConfig()));
  EXPECT_EQ(FileText(info.ZebDir() + "zeb.ini"), "mine");

  // A file where the library folder should be.
  TApplicationInfo blocked(root + "\\blocked");
  ASSERT_TRUE(fsys::ForceDirectories(NativePath(root + "\\blocked")));
  PutFile(root + "\\blocked\\ZEB", "file");
  EXPECT_THROW(WriteZebIni(blocked, TZebConfig()), EZebIniError);

  // A name code page 1252 cannot hold.
  TApplicationInfo greek(root + "\\\xCE\xB1");
  greek.NeededChars = "Q";
  EXPECT_THROW(WriteZebIni(greek, TZebConfig()), EZebIniError);
  EXPECT_FALSE(fsys::FileExists(NativePath(greek.ZebDir() + "zeb.ini")));
  EXPECT_EQ(fsys::ListDirectory(NativePath(greek.ZebDir()))->size(), 0u);
}

// The two links: program menu in "Kro GmbH", then the desktop, to the program below DestDir.
TEST(Shortcuts, Rows) {
  TApplicationInfo info("C:\\KRO");
  info.Name = "BIN\\admin.exe";
  info.Title = "Zeb Admin";
  auto rows = ShortcutRows(info);
  EXPECT_EQ(rows[0].Folder, "Kro GmbH");
  EXPECT_EQ(rows[0].FolderID, fidPrograms);
  EXPECT_EQ(rows[1].Folder, "");
  EXPECT_EQ(rows[1].FolderID, fidDesktop);
  for (const auto& row : rows) {
    EXPECT_EQ(row.Target, "C:\\KRO\\BIN\\admin.exe");
    EXPECT_EQ(row.Description, "Zeb Admin");
  }
}
