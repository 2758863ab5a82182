#include <gtest/gtest.h>

#include "DriverFakes.h"
#include "TestSupport.h"
#include "class_Compress.h"
#include "uFileSys.h"

namespace {

// The real system, with the executable, the installation and the machine-wide steps replaced.
struct TScratchSystem : TDefaultSetupSystem {
  TDriverLog& Log;
  std::string Exe, Installation;
  TScratchSystem(TDriverLog& log, std::string exe, std::string installation)
      : Log(log), Exe(std::move(exe)), Installation(std::move(installation)) {}
  std::string OwnExePath() override { return Exe; }
  std::string FindInstallation() override { return Installation; }
  std::string SystemLanguageName() override { return "Deutsch"; }
  uint32_t PlatformId() override { return 2; }
  void SetupEnvironmentNT(const TApplicationInfo&) override { Log.Add("environment"); }
  void CreateShortcuts(const TApplicationInfo&) override { Log.Add("shortcuts"); }
  void RebootWindows() override { Log.Add("reboot"); }
};

// Pages that do the preparation and unpacking work with the engine, as the real pages do.
struct TWorkingPages : TFakePages {
  using TFakePages::TFakePages;
  std::string SeenWorkDir;
  bool ShowLoad(TSetupRun& run, TLoadRequest& request) override {
    Log.Add("load");
    SeenWorkDir = request.WorkDir;
    if (request.ArchivePath.empty()) {
      request.ArchivePath = request.WorkDir + "setup.1";
      if (CopyInstallationData(request.ExePath, request.Range, request.ArchivePath) != 0)
        return false;
    }
    TQuillCompress loader;
    loader.SetCompressedFile(request.ArchivePath);
    loader.OnListing = [&](TQuillCompress& q, const TlzhFileStats& s) {
      q.AddFileToProcess(s.FileName);
      if (s.FileName.ends_with(".pak")) run.AppInfo.Package = s.FileName;
      if (s.FileName.ends_with(".inf")) run.AppInfo.InfFile = s.FileName;
    };
    loader.ListFiles();
    loader.ExtractDirectory = request.WorkDir;
    loader.ExtractFiles();
    return true;
  }
  void ShowCreate(TSetupRun& run) override {
    Log.Add("create");
    TQuillCompress creator;
    creator.SetCompressedFile(NativePath(run.WorkDir + run.AppInfo.Package));
    creator.OnListing = [](TQuillCompress& q, const TlzhFileStats& s) {
      q.AddFileToProcess(s.FileName);
    };
    creator.ListFiles();
    creator.ExtractDirectory = NativePath(run.AppInfo.DestDir());
    creator.ExtractFiles();
    ++run.PageNo;
  }
};

std::string Pack(const std::string& folder, const std::string& name,
                 const std::vector<std::pair<std::string, std::string>>& members) {
  std::vector<TPackItem> items;
  for (const auto& [member, bytes] : members) {
    PutFile(folder + member, bytes);
    items.push_back({NativePath(folder + member), member, 45000});
  }
  TQuillCompress writer;
  writer.SetCompressedFile(NativePath(folder + name));
  writer.AddFiles(items);
  return *ReadWholeFile(folder + name);
}

}  // namespace

// A whole update from a setup file, unsigned and signed: the data after the executable is
// prepared in a private folder, the description read, the package unpacked into the existing
// installation, zeb.ini written, the readme shown, and the private folder gone at the end.
TEST(DriverRun, SetupFileUnsignedAndSigned) {
  KRO_NEED_DRIVER_STUB();
  std::optional<std::string> stub = ReadStubImage();
  ASSERT_TRUE(stub);
  // 0 unsigned, 1 signed after packing, 2 the stub signed before, 3 and 4 the same signed by
  // osslsigncode.
  for (int signedFile : {0, 1, 2, 3, 4}) {
    const std::string scratch = MakeScratchFolder() + "\\";
    const auto sign = [&](std::string& image, uint32_t tableSize) {
      if (signedFile < 3) return Sign(image, tableSize);
      std::optional<std::string> done = OsslSign(image, scratch);
      if (done) image = *done;
    };
    if (signedFile >= 3 && !OsslSign(*stub, scratch)) continue;
    const std::string pak =
        Pack(scratch, "app.pak", {{"app.exe", std::string(40001, 'x')}, {"readme.txt", "Neu"}});
    const std::string inf =
        "[ApplicationInfo]\r\nTitle=Kro Demo\r\nVersion=2.02\r\nPackage=app.pak\r\n"
        "Readme=readme.txt\r\nLibsIncluded=0\r\n";
    const std::string outer = Pack(scratch, "outer.1", {{"app.inf", inf}, {"app.pak", pak}});
    const bool after = signedFile == 1 || signedFile == 3,
               before = signedFile == 2 || signedFile == 4;
    std::string setup = *stub;
    if (before) sign(setup, 2000);
    setup.resize(ARCHIVE_OFFSET, '\0');
    setup += outer;
    if (after) sign(setup, 2000);
    PutFile(scratch + "Setup.exe", setup);
    const std::string dest = scratch + "dest";
    ASSERT_TRUE(fsys::ForceDirectories(NativePath(dest)));

    TDriverLog log;
    TWorkingPages pages{log};
    pages.Moves = {1, 1};
    pages.ShortcutChecked = true;
    TScratchSystem system{log, NativePath(scratch + "Setup.exe"), dest};
    {
      TSetupDriver driver(pages, system);
      ASSERT_EQ(driver.Start({}), TStartResult::RunPages) << signedFile;
      EXPECT_EQ(driver.Run.Language, kGerman);
      EXPECT_EQ(driver.Run.AppInfo.Title, "Kro Demo");
      EXPECT_EQ(driver.Run.AppInfo.ArchiveTotals.TotalSize, int64_t(inf.size() + pak.size()));
      EXPECT_TRUE(fsys::DirectoryExists(pages.SeenWorkDir));
      // A signature's table starts on an 8-byte boundary; the padding before it stays with
      // the data, and the archive reads past it.
      std::string expected = outer;
      if (after) expected.resize((ARCHIVE_OFFSET + outer.size() + 7) / 8 * 8 - ARCHIVE_OFFSET);
      EXPECT_EQ(ReadWholeFile(pages.SeenWorkDir + "setup.1"), expected);
      driver.RunPages();
      EXPECT_FALSE(driver.Run.InstallFailed);
      driver.Close();
    }
    EXPECT_EQ(log.Entries, (std::vector<std::string>{"load", "backdrop", "welcome", "destination",
                                                     "create", "environment", "finish", "shortcuts",
                                                     "readme " + dest + "\\readme.txt"}));
    EXPECT_EQ(FileText(dest + "\\app.exe"), std::string(40001, 'x'));
    EXPECT_TRUE(FileText(dest + "\\ZEB\\zeb.ini"));
    EXPECT_FALSE(fsys::DirectoryExists(pages.SeenWorkDir));
  }
}

// A setup file without data reports its own size, signed or not, before or after padding;
// nothing is prepared.
TEST(DriverRun, StubWithoutData) {
  KRO_NEED_DRIVER_STUB();
  std::optional<std::string> stub = ReadStubImage();
  ASSERT_TRUE(stub);
  // 0 unsigned and padded, 1 padded then signed, 2 signed then padded, 3 signed only.
  for (int signedFile : {0, 1, 2, 3}) {
    const std::string scratch = MakeScratchFolder() + "\\";
    std::string setup = *stub;
    if (signedFile >= 2) Sign(setup, 3000);
    if (signedFile <= 2) setup.resize(ARCHIVE_OFFSET, '\0');
    if (signedFile == 1) Sign(setup, 3000);
    PutFile(scratch + "Setup.exe", setup);
    TDriverLog log;
    TWorkingPages pages{log};
    TScratchSystem system{log, NativePath(scratch + "Setup.exe"), ""};
    TSetupDriver driver(pages, system);
    EXPECT_EQ(driver.Start({}), TStartResult::Stop);
    EXPECT_EQ(log.Entries,
              (std::vector<std::string>{"message Setup enth\xC3\xA4lt keine Installationsdaten. "
                                        "Gr\xC3\xB6\xC3\x9F"
                                        "e=\"" +
                                        std::to_string(setup.size()) + "\""}))
        << signedFile;
  }
}

// A description whose Package is empty (or only quotes) ends the start with the short message,
// before any page, rather than with an engine error at unpacking.
TEST(DriverRun, EmptyPackageCannotBeProcessed) {
  KRO_NEED_DRIVER_STUB();
  std::optional<std::string> stub = ReadStubImage();
  ASSERT_TRUE(stub);
  for (const char* package : {"", "\"\"", "  "}) {
    const std::string scratch = MakeScratchFolder() + "\\";
    const std::string pak = Pack(scratch, "app.pak", {{"app.exe", "x"}});
    const std::string inf = std::string("[ApplicationInfo]\r\nTitle=Kro\r\nPackage=") + package +
                            "\r\nLibsIncluded=0\r\n";
    std::string setup = *stub;
    setup.resize(ARCHIVE_OFFSET, '\0');
    setup += Pack(scratch, "outer.1", {{"app.inf", inf}, {"app.pak", pak}});
    PutFile(scratch + "Setup.exe", setup);
    TDriverLog log;
    TWorkingPages pages{log};
    TScratchSystem system{log, NativePath(scratch + "Setup.exe"), ""};
    TSetupDriver driver(pages, system);
    EXPECT_EQ(driver.Start({}), TStartResult::Stop) << package;
    EXPECT_EQ(log.Entries, (std::vector<std::string>{
                               "load", "message Setup kann nicht ausgef\xC3\xBChrt werden!"}))
        << package;
  }
}
