// The unpacking's work: the package's folder tree rebuilt below the destination, members that
// cannot be written (or would leave the destination) shown and listed, the library variant
// copied into place, and what counts as a failed installation.
#include <gtest/gtest.h>

#include <chrono>

#ifdef _WIN32
#include <windows.h>

#include "uHandles.h"
#endif

#include "ArchiveKit.h"
#include "diaCreatorRun.h"
#include "uPaths.h"
#include "uText.h"

namespace {

using kit::Bytes;

// A package in a private folder, a destination, and a page that records what it was shown.
struct TUnpack {
  kit::TTempDir Work, Dest;
  TSetupRun Run;
  TQuillCompress Creator;
  std::vector<std::string> Errors;
  std::vector<TlzhFileStats> Statuses;
  TCreatorView View;
  std::string Destination;

  explicit TUnpack(const std::vector<kit::TMember>& members) {
    Run.WorkDir = IncludeTrailingDelimiter(Work.Str());
    Run.AppInfo.Package = "demo.pak";
    kit::WriteFile(Work / "demo.pak", kit::Layout(members));
    Destination = Dest.Str() + "\\";  // as DestDir gives it
    View.Status = [this](const TlzhFileStats& s) { Statuses.push_back(s); };
    View.ShowError = [this](const std::string& m) { Errors.push_back(m); };
    View.SystemText = [](int code) { return "system text " + std::to_string(code) + "\r\n"; };
  }
  bool Install() { return RunInstallation(Run, Destination, Creator, View); }
  std::string At(const std::string& relative) const { return Dest / NativePath(relative); }
};

TEST(CreatorRun, TreeIsRebuiltBelowTheDestination) {
  const std::vector<kit::TMember> members = {{"kro.exe", kit::Noise(5000)},
                                             {"zeb\\sa\\x.dll", kit::Prose(4097)},
                                             {"doc\\de\\liesmich.txt", kit::Text("")},
                                             {"Übersicht\\ä.txt", kit::Text("ü")}};
  std::vector<kit::TMember> stored = members;
  for (auto& m : stored) m.RawName = *TryUtf8ToCp1252(m.RawName);
  TUnpack u(stored);
  EXPECT_FALSE(u.Install());
  for (const kit::TMember& m : members)
    EXPECT_EQ(kit::ReadFile(u.At(m.RawName)), m.Data) << m.RawName;
  EXPECT_TRUE(u.Errors.empty());
  EXPECT_TRUE(u.Run.AppInfo.FailedFiles.empty());
  ASSERT_FALSE(u.Statuses.empty());
  EXPECT_EQ(u.Statuses.back().TotalPercent, 100);
  EXPECT_EQ(u.Statuses.front().FileName, "kro.exe");
}

// Members whose stored folders would leave the destination are refused: nothing is written
// for them, outside or inside, each is shown and listed, and the others are still unpacked.
TEST(CreatorRun, MembersLeavingTheDestinationAreRefused) {
  const char* evil[] = {"..\\evil.txt",    "a\\..\\..\\evil.txt",         "\\evil.txt",
                        "C:\\evil.txt",    "\\\\server\\share\\evil.txt", "a\\CON\\evil.txt",
                        "ok\\..\\evil.txt"};
  std::vector<kit::TMember> members = {{"good.txt", kit::Text("good")}};
  for (const char* name : evil) members.push_back({name, kit::Text("evil")});
  members.push_back({"last\\good.txt", kit::Text("last")});
  TUnpack u(members);
  EXPECT_TRUE(u.Install());
  EXPECT_EQ(kit::ReadFile(u.At("good.txt")), kit::Text("good"));
  EXPECT_EQ(kit::ReadFile(u.At("last\\good.txt")), kit::Text("last"));
  ASSERT_EQ(u.Run.AppInfo.FailedFiles.size(), std::size(evil));
  ASSERT_EQ(u.Errors.size(), std::size(evil));
  for (size_t i = 0; i < std::size(evil); ++i) {
    EXPECT_EQ(u.Run.AppInfo.FailedFiles[i], NativePath(u.Destination + evil[i]));
    EXPECT_NE(u.Errors[i].find(u.Run.AppInfo.FailedFiles[i]), std::string::npos);
  }
  EXPECT_FALSE(kit::fs::exists(u.Dest.Root.parent_path() / "evil.txt"));
  // Only what was meant to be there: the two good files and the folders they needed.
  int files = 0;
  for (const auto& e : kit::fs::recursive_directory_iterator(u.Dest.Root))
    files += e.is_regular_file();
  EXPECT_EQ(files, 2);
}

// A target that cannot be created: shown with the system's text for the code, in the run's
// language; the path is listed; unpacking goes on and the installation counts as failed.
TEST(CreatorRun, UncreatableTargetIsListedAndUnpackingGoesOn) {
  for (int32_t language : {kGerman, kEnglish}) {
    TUnpack u({{"busy.dll", kit::Text("new")}, {"after.txt", kit::Text("after")}});
    u.Run.Language = language;
    kit::fs::create_directories(kit::P(u.At("busy.dll")));  // a folder in its way
    EXPECT_TRUE(u.Install());
    ASSERT_EQ(u.Run.AppInfo.FailedFiles.size(), 1u);
    const std::string target = u.Run.AppInfo.FailedFiles[0];
    EXPECT_EQ(target, NativePath(u.Destination + "busy.dll"));
    ASSERT_EQ(u.Errors.size(), 1u);
    EXPECT_EQ(u.Errors[0].substr(0, 9), language == kGerman ? "Die Datei" : "The file ");
    EXPECT_NE(u.Errors[0].find(target), std::string::npos);
    EXPECT_NE(u.Errors[0].find("system text"), std::string::npos);
    EXPECT_EQ(kit::ReadFile(u.At("after.txt")), kit::Text("after"));
  }
}

TEST(CreatorRun, CopyMessageIsExact) {
  EXPECT_EQ(CopyFailedMessage(kGerman, "C:\\KRO\\a.dll", "Zugriff verweigert\r\n"),
            "Die Datei C:\\KRO\\a.dll konnte nicht kopiert werden!\rWindows meldet: Zugriff "
            "verweigert\r\n");
  EXPECT_EQ(CopyFailedMessage(kEnglish, "a.dll", ""),
            "The file a.dll could not be copied!\rWindows said: ");
}

std::vector<kit::TMember> WithVariants() {
  return {{"kro.exe", kit::Text("exe")},
          {"zeb\\cs\\zeb.dll", kit::Text("cs dll")},
          {"zeb\\sa\\zeb.dll", kit::Text("sa dll")},
          {"zeb\\sa\\zebutil.exe", kit::Text("sa util")},
          {"zeb\\sa\\sub\\deep.txt", kit::Text("not copied")},
          {"zeb\\zeb.dll", kit::Text("old dll")}};
}

// Which variant is copied into "zeb\", and when the copy is skipped: the table names the
// library settings and what "zeb\zeb.dll" holds afterwards.
TEST(CreatorRun, LibraryVariantIsCopiedIntoPlace) {
  struct Case {
    uint8_t LibsIncluded, LibVariant;
    const char* Dll;
    bool UtilCopied;
  } cases[] = {
      {3, 3, "sa dll", true},   {4, 3, "sa dll", true},   {4, 1, "cs dll", false},
      {0, 3, "old dll", false}, {4, 0, "old dll", false}, {4, 2, "old dll", false},  // no nw
  };
  for (const Case& c : cases) {
    TUnpack u(WithVariants());
    u.Run.AppInfo.LibsIncluded = c.LibsIncluded;
    u.Run.AppInfo.LibVariant = c.LibVariant;
    EXPECT_FALSE(u.Install()) << int(c.LibVariant);
    EXPECT_EQ(kit::ReadFile(u.At("zeb\\zeb.dll")), kit::Text(c.Dll)) << int(c.LibVariant);
    EXPECT_EQ(kit::fs::exists(kit::P(u.At("zeb\\zebutil.exe"))), c.UtilCopied);
    EXPECT_FALSE(kit::fs::exists(kit::P(u.At("zeb\\sub"))));
    EXPECT_FALSE(kit::fs::exists(kit::P(u.At("zeb\\zeb.dll.~kro"))));
  }
}

// A library file that cannot be copied is shown by its bare name, its target is listed, the
// other files are still copied; together with an unpacking failure both are listed in order.
TEST(CreatorRun, FailedLibraryCopyIsListed) {
  std::vector<kit::TMember> members = WithVariants();
  members.push_back({"busy.txt", kit::Text("busy")});
  TUnpack u(members);
  u.Run.Language = kGerman;
  u.Run.AppInfo.LibsIncluded = 4;
  u.Run.AppInfo.LibVariant = 3;
  kit::fs::create_directories(kit::P(u.At("zeb\\zebutil.exe\\x")));  // a full folder in its way
  kit::fs::create_directories(kit::P(u.At("busy.txt")));
  EXPECT_TRUE(u.Install());
  EXPECT_EQ(u.Run.AppInfo.FailedFiles,
            (std::vector<std::string>{NativePath(u.Destination + "busy.txt"),
                                      NativePath(u.Destination + "zeb\\zebutil.exe")}));
  ASSERT_EQ(u.Errors.size(), 2u);
  EXPECT_EQ(u.Errors[1].substr(0, 29), "Die Datei zebutil.exe konnte ");
  EXPECT_EQ(kit::ReadFile(u.At("zeb\\zeb.dll")), kit::Text("sa dll"));
}

// The library copy keeps each file's last-write time and attributes, as a file copy does, and
// leaves a file that looks like its temporary file alone.
TEST(CreatorRun, LibraryCopyKeepsDatesAndAttributes) {
  TUnpack u({});
  const auto when = kit::fs::file_time_type::clock::now() - std::chrono::hours(24 * 1000);
  struct Case {
    const char* Name;
    kit::fs::perms Mode;  // natively
    uint32_t Attributes;  // on Windows
  } cases[] = {
      {"a.dll", kit::fs::perms::owner_read | kit::fs::perms::group_read, 0x3},  // read-only, hidden
      {"b.dll", kit::fs::perms::owner_read | kit::fs::perms::owner_write, 0x20},  // archive
  };
  for (const Case& c : cases) {
    const std::string source = u.At(std::string("zeb\\sa\\") + c.Name);
    kit::fs::create_directories(kit::P(source).parent_path());
    kit::WriteFile(source, kit::Text(c.Name));
    kit::fs::last_write_time(kit::P(source), when);
#ifdef _WIN32
    SetFileAttributesW(kit::P(source).c_str(), c.Attributes);
#else
    kit::fs::permissions(kit::P(source), c.Mode);
#endif
  }
  kit::WriteFile(u.At("zeb\\a.dll.~kro"), kit::Text("user"));
  std::vector<std::string> failed;
  EXPECT_TRUE(CopyLibraryVariant(u.Destination, 3, kGerman, failed, u.View));
  EXPECT_TRUE(failed.empty());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    const std::string source = u.At(std::string("zeb\\sa\\") + c.Name);
    const std::string target = u.At(std::string("zeb\\") + c.Name);
    EXPECT_EQ(kit::ReadFile(target), kit::Text(c.Name));
    EXPECT_EQ(kit::fs::last_write_time(kit::P(target)), kit::fs::last_write_time(kit::P(source)));
#ifdef _WIN32
    // Wine adds the archive bit to every file.
    const DWORD attributes = GetFileAttributesW(kit::P(target).c_str());
    EXPECT_EQ(attributes & c.Attributes, c.Attributes);
    EXPECT_EQ(attributes, GetFileAttributesW(kit::P(source).c_str()));
    // Read-only files would outlive the scratch folder.
    SetFileAttributesW(kit::P(target).c_str(), FILE_ATTRIBUTE_NORMAL);
    SetFileAttributesW(kit::P(source).c_str(), FILE_ATTRIBUTE_NORMAL);
#else
    EXPECT_EQ(kit::fs::status(kit::P(target)).permissions(), c.Mode);
#endif
  }
  EXPECT_EQ(kit::ReadFile(u.At("zeb\\a.dll.~kro")), kit::Text("user"));
}

#ifdef _WIN32
// A library file held open by another program is reported with the sharing violation's text
// and keeps its content; the other files are still copied.
TEST(CreatorRun, LibraryTargetInUse) {
  TUnpack u({});
  kit::fs::create_directories(kit::P(u.At("zeb\\sa")));
  kit::WriteFile(u.At("zeb\\sa\\zeb.dll"), kit::Text("new dll"));
  kit::WriteFile(u.At("zeb\\sa\\zebutil.exe"), kit::Text("new util"));
  kit::WriteFile(u.At("zeb\\zeb.dll"), kit::Text("old dll"));
  auto h =
      TFileHandle::FromCreate(CreateFileW(kit::P(u.At("zeb\\zeb.dll")).c_str(), GENERIC_READ,
                                          FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(h);
  std::vector<std::string> failed;
  EXPECT_FALSE(CopyLibraryVariant(u.Destination, 3, kEnglish, failed, u.View));
  h.Reset();
  EXPECT_EQ(failed, std::vector<std::string>{u.At("zeb\\zeb.dll")});
  ASSERT_EQ(u.Errors.size(), 1u);
  EXPECT_EQ(u.Errors[0], "The file zeb.dll could not be copied!\rWindows said: system text 32\r\n");
  EXPECT_EQ(kit::ReadFile(u.At("zeb\\zeb.dll")), kit::Text("old dll"));
  EXPECT_EQ(kit::ReadFile(u.At("zeb\\zebutil.exe")), kit::Text("new util"));
}
#endif

// An unpacking that fails only in the library copy still fails; one that fails only in
// unpacking still copies the library.
TEST(CreatorRun, EitherFailureFailsTheInstallation) {
  TUnpack u(WithVariants());
  u.Run.AppInfo.LibsIncluded = 3;
  u.Run.AppInfo.LibVariant = 3;
  kit::fs::create_directories(kit::P(u.At("zeb\\zebutil.exe\\x")));
  EXPECT_TRUE(u.Install());
  EXPECT_EQ(u.Run.AppInfo.FailedFiles.size(), 1u);
}

TEST(CreatorRun, RunsThatCannotStartRaise) {
  {
    TUnpack u(WithVariants());
    u.Destination.clear();
    EXPECT_THROW(u.Install(), Exception);
  }
  {
    TUnpack u(WithVariants());
    u.Run.AppInfo.Package = "missing.pak";
    EXPECT_THROW(u.Install(), EQuillCompress);
    EXPECT_TRUE(u.Run.AppInfo.FailedFiles.empty());
  }
}

TEST(CreatorRun, VariantFolders) {
  EXPECT_EQ(LibVariantFolder(1), "zeb\\cs\\");
  EXPECT_EQ(LibVariantFolder(2), "zeb\\nw\\");
  EXPECT_EQ(LibVariantFolder(3), "zeb\\sa\\");
  EXPECT_EQ(LibVariantFolder(0), "");
  EXPECT_EQ(LibVariantFolder(4), "");
}

}  // namespace
