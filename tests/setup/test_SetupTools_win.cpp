// The system tools and the system configuration against the real interfaces of the test's
// private Wine prefix: its registry, file system, shell and environment.
#include <windows.h>
//
#include <gtest/gtest.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <memory>

#include "../winsys/RawRegistry.h"
#include "../winsys/ShellFolderRedirect.h"
#include "TestSupport.h"
#include "uFileSys.h"
#include "uHandles.h"
#include "uRegistry.h"
#include "uSysConfig.h"
#include "uText.h"

namespace {

// Saves registry values and puts them back, type and all, when the test ends.
class TRegistrySnapshot {
 public:
  void Save(TRegRoot root, const std::string& key, const std::string& name) {
    Saved.push_back({root, key, name, RawValue(root, key, name)});
  }
  ~TRegistrySnapshot() {
    for (const auto& s : Saved) PutRawValue(s.Root, s.Key, s.Name, s.Value);
  }

 private:
  struct TEntry {
    TRegRoot Root;
    std::string Key, Name;
    std::optional<TRegValue> Value;
  };
  std::vector<TEntry> Saved;
};

void SetRaw(TRegRoot root, const std::string& key, const std::string& name,
            const std::optional<TRegValue>& value) {
  ASSERT_TRUE(PutRawValue(root, key, name, value));
}

const std::string kMachineEnv = "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";
const std::string kMaker = "SOFTWARE\\Kro GmbH\\Shared";
const std::string kBootKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Setup";
constexpr auto HKLM = TRegRoot::LocalMachine;
constexpr auto HKLM32 = TRegRoot::LocalMachine32;
constexpr auto HKCU = TRegRoot::CurrentUser;

}  // namespace

// Temporary files are new, empty, unique and inside the temporary folder.
TEST(SystemTools, TempFiles) {
  const std::string dir = GetTempDir();
  ASSERT_FALSE(dir.empty());
  EXPECT_EQ(dir.back(), '\\');
  EXPECT_TRUE(fsys::DirectoryExists(dir));
  const std::string a = MakeTempFile("kro"), b = MakeTempFile("");
  ASSERT_FALSE(a.empty());
  ASSERT_FALSE(b.empty());
  EXPECT_NE(a, b);
  EXPECT_EQ(a.rfind(dir + "kro", 0), 0u) << a;
  EXPECT_EQ(GetFileSizeOf(a), 0);
  EXPECT_EQ(GetFileSizeOf(b), 0);
}

// File sizes at the chunk boundaries of the preparation copy; -1 without a file.
TEST(SystemTools, FileSizes) {
  const std::string folder = MakeScratchFolder();
  for (int32_t size : {0, 1, 4'095, 4'096, 4'097, 39'999, 40'000, 40'001, 302'081, 1'234'567}) {
    const std::string path = folder + "\\f" + std::to_string(size);
    PutFile(path, std::string(static_cast<size_t>(size), 'k'));
    EXPECT_EQ(GetFileSizeOf(path), size);
  }
  EXPECT_EQ(GetFileSizeOf(folder + "\\absent"), -1);
  EXPECT_EQ(GetFileSizeOf(folder), -1);  // a folder is no file
  EXPECT_GT(GetOwnExeSize(), 0);
  EXPECT_EQ(GetOwnExeSize(), GetFileSizeOf(fsys::OwnExecutable().value_or("")));
}

// Free space of a drive given as "C:" is that of C:\; a drive that does not exist gives 0.
TEST(SystemTools, FreeSpace) {
  const double c = GetFreeSpace("C:");
  EXPECT_GT(c, 0);
  EXPECT_NEAR(GetFreeSpace("c:\\"), c, 256.0 * 1024 * 1024);
  EXPECT_NEAR(GetFreeSpace("C:\\windows"), c, 256.0 * 1024 * 1024);
  DWORD drives = GetLogicalDrives();
  int missing = 25;
  while (missing > 2 && (drives & (1u << missing))) --missing;
  ASSERT_GT(missing, 2);
  EXPECT_EQ(GetFreeSpace(std::string(1, char('A' + missing)) + ":"), 0);
}

// Version fields: the NT platform, a plausible major version, other parts give the major.
TEST(SystemTools, VersionAndLanguage) {
  EXPECT_EQ(GetOSVersionPart(3), 2u);
  EXPECT_GE(GetOSVersionPart(0), 5u);
  EXPECT_EQ(GetOSVersionPart(9), GetOSVersionPart(0));
  EXPECT_EQ(GetOSVersionPart(-1), GetOSVersionPart(0));
  EXPECT_GT(GetOSVersionPart(2), 0u);
  const std::string language = GetSystemLanguageName();
  EXPECT_FALSE(language.empty());
  EXPECT_EQ(language.find('\0'), std::string::npos);
}

// The boot folder: "C:\" unless the registry names one, with a backslash ensured.
TEST(SystemTools, BootDir) {
  TRegistrySnapshot snapshot;
  snapshot.Save(HKLM, kBootKey, "BootDir");
  struct {
    std::optional<std::string> value;
    const char* expected;
  } cases[] = {{std::nullopt, "C:\\"}, {"D:\\Boot", "D:\\Boot\\"}, {"E:\\", "E:\\"}, {"", "C:\\"}};
  for (const auto& c : cases) {
    SetRaw(HKLM, kBootKey, "BootDir",
           c.value ? std::optional(TRegValue{TRegType::String, *c.value}) : std::nullopt);
    EXPECT_EQ(GetBootDir(), c.expected);
  }
}

// Environment values are read whole, far beyond 255 characters; unset gives empty.
TEST(SystemTools, EnvironmentReadWhole) {
  const std::string value = "C:\\" + std::string(5'000, 'p');
  SetEnvironmentVariableW(L"KRO_TEST_LONG", Widen(value).c_str());
  EXPECT_EQ(GetEnvVar("KRO_TEST_LONG"), value);
  SetEnvironmentVariableW(L"KRO_TEST_LONG", nullptr);
  EXPECT_EQ(GetEnvVar("KRO_TEST_LONG"), "");
}

namespace {

struct TEnvironmentNT : testing::Test {
  TRegistrySnapshot Snapshot;
  TApplicationInfo Info{"C:\\KRO"};
  std::string OldPath;
  void SetUp() override {
    Snapshot.Save(HKLM, kMachineEnv, "ZEB");
    Snapshot.Save(HKLM, kMachineEnv, "PATH");
    Snapshot.Save(HKLM, kMaker, "ZEB");
    Snapshot.Save(HKLM32, kMaker, "ZEB");
    Snapshot.Save(HKCU, "Environment", "ZEB");
    Snapshot.Save(HKCU, "Environment", "PATH");
    for (int i = 0; OldPath.size() < 2'500; ++i)
      OldPath += "%SystemRoot%\\system32\\t" + std::to_string(i) + ";";
    OldPath += "%SystemRoot%";
    SetRaw(HKLM, kMachineEnv, "ZEB", std::nullopt);
    SetRaw(HKLM, kMachineEnv, "PATH", TRegValue{TRegType::ExpandString, OldPath});
    SetRaw(HKCU, "Environment", "ZEB", TRegValue{TRegType::String, "C:\\KRO\\ZEB"});
    SetRaw(HKCU, "Environment", "PATH",
           TRegValue{TRegType::ExpandString, "C:\\KRO\\ZEB\\;%USERPROFILE%\\bin"});
  }
};

}  // namespace

// The machine-wide update in the real registry: types kept, the long PATH whole, the user's
// copies cleaned, and the real broadcast survived.
TEST_F(TEnvironmentNT, MachineWide) {
  ASSERT_EQ(SetupEnvironmentNT(Info), TEnvResult::MachineWide);
  auto zeb = RawValue(HKLM, kMachineEnv, "ZEB");
  ASSERT_TRUE(zeb);
  EXPECT_EQ(zeb->Type, TRegType::String);
  EXPECT_EQ(zeb->Data, "C:\\KRO\\ZEB");
  auto path = RawValue(HKLM, kMachineEnv, "PATH");
  ASSERT_TRUE(path);
  EXPECT_EQ(path->Type, TRegType::ExpandString);
  EXPECT_EQ(path->Data, "C:\\KRO\\ZEB;" + OldPath);
  EXPECT_FALSE(RawValue(HKCU, "Environment", "ZEB"));
  auto user = RawValue(HKCU, "Environment", "PATH");
  ASSERT_TRUE(user);
  EXPECT_EQ(user->Data, "%USERPROFILE%\\bin");
  EXPECT_EQ(user->Type, TRegType::ExpandString);
}

// A configured machine whose registration only the maker's 32-bit programs see, written there
// with the plain Win32 calls a 32-bit program makes: the installation is found, and nothing
// is rewritten. The same value in our own 64-bit view alone is no registration.
TEST_F(TEnvironmentNT, MakerRegistrationIn32BitView) {
  TSystemHooks hooks = DefaultSystemHooks();
  hooks.GetEnv = [](const std::string&) { return std::optional<std::string>(); };
  TSystemHooksOverride noZeb(hooks);
  const std::wstring key = Widen(kMaker);
  const auto put = [&](REGSAM view, const wchar_t* data) {
    HKEY raw = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view,
                              nullptr, &raw, nullptr),
              ERROR_SUCCESS);
    TKeyHandle owner(raw);
    if (data)
      ASSERT_EQ(RegSetValueExW(raw, L"ZEB", 0, REG_SZ, reinterpret_cast<const BYTE*>(data),
                               DWORD((wcslen(data) + 1) * sizeof(wchar_t))),
                ERROR_SUCCESS);
    else
      RegDeleteValueW(raw, L"ZEB");
  };
  SetRaw(HKLM, kMachineEnv, "ZEB", TRegValue{TRegType::String, "C:\\KRO\\ZEB"});
  SetRaw(HKLM, kMachineEnv, "PATH", TRegValue{TRegType::ExpandString, "C:\\KRO\\ZEB;" + OldPath});

  put(KEY_WOW64_64KEY, nullptr);
  put(KEY_WOW64_32KEY, L"C:\\Kro\\Zeb");
  ASSERT_FALSE(RawValue(HKLM, kMaker, "ZEB")) << "the prefix shares one view for both";
  EXPECT_EQ(FindInstallation(), "c:\\kro");
  ASSERT_EQ(SetupEnvironmentNT(Info), TEnvResult::Unchanged);
  // Already configured: the user's own copies stay.
  EXPECT_EQ(RawValue(HKCU, "Environment", "ZEB")->Data, "C:\\KRO\\ZEB");

  put(KEY_WOW64_32KEY, nullptr);
  put(KEY_WOW64_64KEY, L"C:\\Kro\\Zeb");
  EXPECT_EQ(FindInstallation(), "");
  ASSERT_EQ(SetupEnvironmentNT(Info), TEnvResult::MachineWide);
  // Unregistered: the machine-wide update ran and cleaned the user's copies.
  EXPECT_FALSE(RawValue(HKCU, "Environment", "ZEB"));
}

// Without the right to write HKEY_LOCAL_MACHINE the user's environment gets both.
TEST_F(TEnvironmentNT, UserFallback) {
  SetRaw(HKCU, "Environment", "ZEB", std::nullopt);
  SetRaw(HKCU, "Environment", "PATH", TRegValue{TRegType::ExpandString, "%USERPROFILE%\\bin"});
  TDenyWritesBackend deny(RegistryBackend(), HKLM);
  {
    TRegistryOverride denied(deny);
    ASSERT_EQ(SetupEnvironmentNT(Info), TEnvResult::PerUser);
  }
  EXPECT_FALSE(RawValue(HKLM, kMachineEnv, "ZEB"));
  EXPECT_EQ(RawValue(HKLM, kMachineEnv, "PATH")->Data, OldPath);
  EXPECT_EQ(RawValue(HKCU, "Environment", "ZEB")->Data, "C:\\KRO\\ZEB");
  auto user = RawValue(HKCU, "Environment", "PATH");
  ASSERT_TRUE(user);
  EXPECT_EQ(user->Data, "C:\\KRO\\ZEB;%USERPROFILE%\\bin");
  EXPECT_EQ(user->Type, TRegType::ExpandString);
}

namespace {

class Shortcuts : public testing::Test {
 protected:
  static void SetUpTestSuite() { Desktop = std::make_unique<TScratchDesktop>(); }
  static void TearDownTestSuite() { Desktop.reset(); }
  static inline std::unique_ptr<TScratchDesktop> Desktop;
};

// The target and the description the link file holds; empty when it cannot be loaded.
std::pair<std::string, std::string> LinkTargetAndDescription(const std::string& file) {
  TComPtr<IShellLinkW> link;
  TComPtr<IPersistFile> persist;
  wchar_t path[MAX_PATH] = {}, description[INFOTIPSIZE] = {};
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                 link.PutVoid())) &&
      SUCCEEDED(link->QueryInterface(IID_IPersistFile, persist.PutVoid())) &&
      SUCCEEDED(persist->Load(Widen(file).c_str(), STGM_READ))) {
    link->GetPath(path, MAX_PATH, nullptr, 0);
    link->GetDescription(description, INFOTIPSIZE);
  }
  return {Narrow(path), Narrow(description)};
}

}  // namespace

// Both links of a finished installation, to the program in its subfolder; a title with
// characters no file name holds names the files with "_" for them and stays the description.
TEST_F(Shortcuts, ProgramMenuAndDesktop) {
  const std::string dest = MakeScratchFolder();
  ASSERT_TRUE(fsys::ForceDirectories(dest + "\\BIN"));
  PutFile(dest + "\\BIN\\admin.exe", "MZ");
  TApplicationInfo info(dest);
  info.Name = "BIN\\admin.exe";
  const std::string pid = std::to_string(GetCurrentProcessId());

  TShortcut probe;
  probe.SetFolderID(fidPrograms);
  const std::string menu = probe.GetSpecialFolderPath() + "\\Kro GmbH";
  const bool menuExisted = fsys::DirectoryExists(menu);
  probe.SetFolderID(fidDesktop);
  ASSERT_EQ(probe.GetSpecialFolderPath(), Desktop->Path());

  for (const auto& [title, file] :
       {std::pair{"Kro Setup Test " + pid, "Kro Setup Test " + pid},
        {"Kro \"Lohn\" 2/3: A|B <" + pid + ">?*\\", "Kro _Lohn_ 2_3_ A_B _" + pid + "____"}}) {
    info.Title = title;
    EXPECT_EQ(CreateShortcuts(info), 2) << title;
    for (const std::string& link :
         {menu + "\\" + file + ".lnk", Desktop->Path() + "\\" + file + ".lnk"}) {
      auto [target, description] = LinkTargetAndDescription(link);
      EXPECT_TRUE(SameTextAZ(target, dest + "\\BIN\\admin.exe")) << link;
      EXPECT_EQ(description, title) << link;
      DeleteFileW(Widen(link).c_str());
    }
  }
  if (!menuExisted) RemoveDirectoryW(Widen(menu).c_str());
}
