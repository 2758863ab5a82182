// Real link files through the shell link object of the Wine prefix, read back through the
// same interfaces.
#include <windows.h>
//
#include <gtest/gtest.h>

#include <shlobj.h>
#include <shobjidl.h>
#include <memory>

#include "ShellFolderRedirect.h"
#include "class_Shortcut.h"
#include "uHandles.h"
#include "uText.h"

namespace {

struct TLinkInfo {
  std::string Path, WorkingDirectory, Description;
};

std::optional<TLinkInfo> ReadLink(const std::string& file) {
  TComPtr<IShellLinkW> link;
  TComPtr<IPersistFile> persist;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              link.PutVoid())) ||
      FAILED(link->QueryInterface(IID_IPersistFile, persist.PutVoid())) ||
      FAILED(persist->Load(Widen(file).c_str(), STGM_READ)))
    return std::nullopt;
  wchar_t path[MAX_PATH] = {}, dir[MAX_PATH] = {}, description[INFOTIPSIZE] = {};
  link->GetPath(path, MAX_PATH, nullptr, 0);
  link->GetWorkingDirectory(dir, MAX_PATH);
  link->GetDescription(description, INFOTIPSIZE);
  return TLinkInfo{Narrow(path), Narrow(dir), Narrow(description)};
}

bool Exists(const std::string& path) {
  return GetFileAttributesW(Widen(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

class ShellLinks : public testing::Test {
 protected:
  static void SetUpTestSuite() { Desktop = std::make_unique<TScratchDesktop>(); }
  static void TearDownTestSuite() { Desktop.reset(); }
  static inline std::unique_ptr<TScratchDesktop> Desktop;

  void SetUp() override {
    Scratch = Dir.Str();
    App = Scratch + "\\App";
    CreateDirectoryW(Widen(App).c_str(), nullptr);
    Target = App + "\\prog.exe";
    TFileHandle::FromCreate(
        CreateFileW(Widen(Target).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  }

  TScratchFolder Dir;
  std::string Scratch, App, Target;
};

}  // namespace

// A link in a folder of our own, read back: target, working directory with its trailing
// backslash, description.
TEST_F(ShellLinks, WritesAndReadsBack) {
  TShortcut shortcut;
  shortcut.Folder = Scratch + "\\Links";
  shortcut.Target = Target;
  shortcut.Description =
      "Zeb Gr\xC3\xB6\xC3\x9F"
      "e";
  ASSERT_TRUE(shortcut.CreateShortcut());
  auto link = ReadLink(Scratch +
                       "\\Links\\Zeb Gr\xC3\xB6\xC3\x9F"
                       "e.lnk");
  ASSERT_TRUE(link);
  EXPECT_TRUE(SameTextAZ(link->Path, Target)) << link->Path;
  EXPECT_EQ(link->WorkingDirectory, App + "\\");
  EXPECT_EQ(link->Description,
            "Zeb Gr\xC3\xB6\xC3\x9F"
            "e");
  // The folder exists now: a second link into it still succeeds.
  shortcut.Description = "Second";
  EXPECT_TRUE(shortcut.CreateShortcut());
  EXPECT_TRUE(Exists(Scratch + "\\Links\\Second.lnk"));
}

// Failures give false: no folder, two new levels, paths beyond the shell's buffers. A title
// with a character no file name holds still gives its link, named with "_" for it. An empty
// target only makes the folder.
TEST_F(ShellLinks, FailuresAndEmptyTarget) {
  struct {
    std::string folder, target, description;
    bool result;
  } cases[] = {
      {"", Target, "Prog", false},
      {Scratch + "\\A\\B", Target, "Prog", false},
      {Scratch + "\\Bad", Target, "a|b", true},
      {Scratch + "\\Long", Target, std::string(300, 'n'), false},
      {Scratch + "\\Long", App + "\\" + std::string(280, 't') + ".exe", "Prog", false},
      {Scratch + "\\OnlyFolder", "", "Prog", true},
  };
  for (const auto& c : cases) {
    TShortcut shortcut;
    shortcut.Folder = c.folder;
    shortcut.Target = c.target;
    shortcut.Description = c.description;
    EXPECT_EQ(shortcut.CreateShortcut(), c.result) << c.folder << " " << c.description;
  }
  EXPECT_TRUE(Exists(Scratch + "\\Bad\\a_b.lnk"));
  EXPECT_TRUE(Exists(Scratch + "\\OnlyFolder"));
  EXPECT_FALSE(Exists(Scratch + "\\OnlyFolder\\Prog.lnk"));
  EXPECT_FALSE(Exists(Scratch + "\\A"));
}

// The program-menu subfolder is created on first use and reused; the desktop takes a link
// directly. Both are the prefix's own folders; the links are removed afterwards.
TEST_F(ShellLinks, SpecialFolders) {
  TShortcut shortcut;
  shortcut.SetFolderID(fidPrograms);
  const std::string programs = shortcut.GetSpecialFolderPath();
  ASSERT_FALSE(programs.empty());
  EXPECT_NE(programs.back(), '\\');
  const std::string menu = programs + "\\Kro GmbH Test";
  RemoveDirectoryW(Widen(menu).c_str());
  shortcut.Folder = "Kro GmbH Test";
  shortcut.Target = Target;
  for (const char* name : {"One", "Two"}) {
    shortcut.Description = name;
    EXPECT_TRUE(shortcut.CreateShortcut()) << name;
    EXPECT_TRUE(Exists(menu + "\\" + name + ".lnk"));
    DeleteFileW(Widen(menu + "\\" + name + ".lnk").c_str());
  }
  RemoveDirectoryW(Widen(menu).c_str());

  shortcut.SetFolderID(fidDesktop);
  shortcut.Folder.clear();
  shortcut.Description = "Kro Desktop Test";
  const std::string desktop = shortcut.GetSpecialFolderPath();
  ASSERT_EQ(desktop, Desktop->Path());  // never the host's home folder the prefix links to
  ASSERT_TRUE(shortcut.CreateShortcut());
  auto link = ReadLink(desktop + "\\Kro Desktop Test.lnk");
  ASSERT_TRUE(link);
  EXPECT_EQ(link->WorkingDirectory, App + "\\");
  DeleteFileW(Widen(desktop + "\\Kro Desktop Test.lnk").c_str());

  shortcut.SetFolderID(fidNone);
  EXPECT_EQ(shortcut.GetSpecialFolderPath(), "");
}
