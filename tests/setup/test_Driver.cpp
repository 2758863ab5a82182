#include <gtest/gtest.h>

#include "DriverFakes.h"
#include "TestSupport.h"

namespace {

using TLog = std::vector<std::string>;

struct TDriverFixture : testing::Test {
  TDriverLog Log;
  TFakePages Pages{Log};
  TFakeDriverSystem System{Log};
  std::optional<TSetupDriver> Driver{std::in_place, Pages, System};

  TStartResult Start(std::vector<std::string> args = {}) { return Driver->Start(args); }
  // Start, and when that leads to the pages, the whole run and the backdrop's close.
  TLog Whole(std::vector<std::string> args = {}) {
    if (Start(args) == TStartResult::RunPages) Driver->RunPages();
    Driver->Close();
    return Log.Entries;
  }
  // The log from the first wizard page on.
  TLog FromWelcome() const {
    TLog out;
    bool on = false;
    for (const auto& e : Log.Entries)
      if (on || (on = e == "welcome")) out.push_back(e);
    return out;
  }
  TSetupRun& Run() { return Driver->Run; }
};

}  // namespace

// The language follows the system language's name: "deutsch" anywhere, in any case.
TEST(DriverLanguage, FromSystemName) {
  struct {
    const char* name;
    int32_t language;
  } cases[] = {
      {"Deutsch (Deutschland)", kGerman},
      {"DEUTSCH (ÖSTERREICH)", kGerman},
      {"Schweizerdeutsch", kGerman},
      {"deutsch", kGerman},
      {"German (Germany)", kEnglish},
      {"English (United States)", kEnglish},
      {"", kEnglish},
      {"Deutch", kEnglish},
  };
  for (const auto& c : cases) EXPECT_EQ(LanguageFromName(c.name), c.language) << c.name;
}

// The start-up failure texts, byte for byte in both languages.
TEST(DriverMessages, ExactTexts) {
  EXPECT_EQ(NoInstallationDataMessage(kGerman, 302080),
            "Setup enth\xC3\xA4lt keine Installationsdaten. Gr\xC3\xB6\xC3\x9F"
            "e=\"302080\"");
  EXPECT_EQ(NoInstallationDataMessage(kEnglish, -1),
            "Setup does not contain any installation data. Size=\"-1\"");
  EXPECT_EQ(CannotProcessMessage(kGerman), "Setup kann nicht ausgef\xC3\xBChrt werden!");
  EXPECT_EQ(CannotProcessMessage(kEnglish), "Setup can not be processed!");
  EXPECT_EQ(ArchiveNotFoundMessage(kGerman, "C:\\T\\a%s.1"),
            "Setup kann nicht ausgef\xC3\xBChrt werden!\rDie Datei C:\\T\\a%s.1 wurde nicht "
            "gefunden.");
  EXPECT_EQ(ArchiveNotFoundMessage(kEnglish, "C:\\T\\setup.1"),
            "Setup can not be processed!\rThe file C:\\T\\setup.1 could not be found.");
}

// Variant detection: the configuration's DBModel, then CTServer, then the data path's drive.
TEST(DriverVariant, Rules) {
  using TZeb = std::map<std::string, std::string>;
  struct {
    bool first;
    TZeb zeb;
    uint8_t variant;
  } cases[] = {
      {true, {{"DBModel", "sa"}}, 0},
      {false, {{"DBModel", "cs"}}, 1},
      {false, {{"DBModel", "NW"}}, 2},
      {false, {{"DBModel", "SA"}}, 3},
      {false, {{"DBModel", "sa "}, {"QS", "C:\\DB"}}, 3},  // not "sa": falls through to QS
      {false, {{"DBModel", "xx"}, {"CTServer", "S1@host"}}, 1},
      {false, {{"CTServer", "S1@host"}}, 1},
      {false, {{"CTServer", "NOVELL1"}}, 2},
      {false, {{"CTServer", "NOVELL1"}, {"DBModel", "sa"}}, 3},
      {false, {{"QS", "C:\\KRO\\DB"}}, 3},
      {false, {{"QS", "c:\\kro\\db"}}, 3},  // upper-cased before comparing
      {false, {{"QS", "D:\\DB"}}, 3},
      {false, {{"QS", "1\\DB"}}, 3},
      {false, {{"QS", "E:\\DB"}}, 1},
      {false, {{"QS", "F:\\DB"}}, 1},
      {false, {{"QS", "\\\\SERVER\\DB"}}, 1},
      {false, {{"QD", "F:\\DB"}, {"QS", "C:\\DB"}}, 1},  // QD first
      {false, {{"QD", ""}, {"QS", "C:\\DB"}}, 3},
      {false, {}, 0},
  };
  for (const auto& c : cases) {
    auto lookup = [&](std::string_view name) {
      auto it = c.zeb.find(std::string(name));
      return it == c.zeb.end() ? std::string() : it->second;
    };
    std::string shown;
    for (const auto& [k, v] : c.zeb) shown += k + "=" + v + " ";
    EXPECT_EQ(DetectLibVariant(c.first, lookup), c.variant) << shown << c.first;
  }
}

// The current drive at start: a drive letter or the share of a network path.
TEST(DriverStartDir, ExecutableDriveRoot) {
  struct {
    const char *path, *root;
  } cases[] = {
      {"C:\\Temp\\setup.exe", "C:\\"},
      {"e:/x/setup.exe", "e:\\"},
      {"\\\\srv\\pub\\setup.exe", "\\\\srv\\pub\\"},
      {"\\\\srv\\pub", "\\\\srv\\pub\\"},
      {"\\\\srv", ""},
      {"\\\\\\x", ""},
      {"/usr/bin/setup", ""},
      {"", ""},
      {"1:\\x", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(ExecutableDriveRoot(c.path), c.root) << c.path;
}

// A relative archive argument means the folder setup was started in, not the executable's drive.
TEST(DriverStartDir, AbsoluteArchivePath) {
  struct {
    const char *argument, *startDir, *path;
  } cases[] = {
      {"data\\setup.1", "D:\\WORK", "D:\\WORK\\data\\setup.1"},
      {"setup.1", "D:\\", "D:\\setup.1"},
      {"\\pub\\setup.1", "D:\\WORK", "D:\\pub\\setup.1"},
      {"\\pub\\setup.1", "\\\\srv\\share\\x", "\\\\srv\\share\\pub\\setup.1"},
      {"E:\\setup.1", "D:\\WORK", "E:\\setup.1"},
      {"E:setup.1", "D:\\WORK", "E:setup.1"},
      {"\\\\srv\\s\\setup.1", "D:\\WORK", "\\\\srv\\s\\setup.1"},
      {"setup.1", "", "setup.1"},
      {"a.1", "/home/u", "/home/u/a.1"},
      {"/tmp/a.1", "/home/u", "/tmp/a.1"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(AbsoluteArchivePath(c.argument, c.startDir), c.path) << c.argument << c.startDir;
}

// Restart only after a first installation on the 9x family; the readme lives in the destination.
TEST(DriverDecisions, RebootAndReadme) {
  EXPECT_TRUE(IsRebootRequired(true, 0));
  EXPECT_TRUE(IsRebootRequired(true, 1));
  EXPECT_FALSE(IsRebootRequired(true, 2));
  EXPECT_FALSE(IsRebootRequired(false, 1));
  TApplicationInfo info{"C:\\KRO"};
  EXPECT_FALSE(IsFirstInstallation(info));
  EXPECT_TRUE(IsFirstInstallation(TApplicationInfo{""}));
  EXPECT_EQ(ReadmePath(info), "");
  info.Readme = "liesmich.rtf";
  EXPECT_EQ(ReadmePath(info), "C:\\KRO\\liesmich.rtf");
  info.Destination = "C:\\KRO\\";
  EXPECT_EQ(ReadmePath(info), "C:\\KRO\\liesmich.rtf");
}

// Where the installation data is, by the size of the executable and the arguments.
TEST_F(TDriverFixture, StartLocatesTheData) {
  struct {
    std::vector<std::string> args;
    int64_t exeSize;
    const char* language;
    TLog log;
  } cases[] = {
      {{},
       302080,
       "Deutsch",
       {"message Setup enth\xC3\xA4lt keine Installationsdaten. "
        "Gr\xC3\xB6\xC3\x9F"
        "e=\"302080\""}},
      {{}, -1, "English", {"message Setup does not contain any installation data. Size=\"-1\""}},
      {{}, 0, "English", {"message Setup does not contain any installation data. Size=\"0\""}},
      {{},
       302081,
       "English",
       {"mkdir", "load", "description C:\\TEMP\\kro0123\\app.inf", "backdrop",
        "totals C:\\TEMP\\kro0123\\setup.1"}},
      // An argument is the archive from its first byte, whatever the executable holds.
      {{"F:\\archive.1", "ignored"},
       100,
       "English",
       {"mkdir", "load", "description C:\\TEMP\\kro0123\\app.inf", "backdrop",
        "totals F:\\archive.1"}},
  };
  for (const auto& c : cases) {
    Driver.emplace(Pages, System);
    Log.Entries.clear();
    System.ExeSize = c.exeSize;
    System.LanguageName = c.language;
    System.ChangeDirOk = true;
    const bool runs = Driver->Start(c.args) == TStartResult::RunPages;
    TLog log = Log.Entries;
    log.erase(log.begin());  // the change to the executable's drive
    EXPECT_EQ(log, c.log) << c.exeSize;
    EXPECT_EQ(runs, c.log.size() > 1) << c.exeSize;
    if (c.exeSize == 302081) {
      ASSERT_TRUE(Pages.LoadSeen);
      EXPECT_EQ(Pages.LoadSeen->ArchivePath, "");
      EXPECT_EQ(Pages.LoadSeen->ExePath, System.ExePath);
      EXPECT_EQ(Pages.LoadSeen->Range.Begin, 302080);
      EXPECT_EQ(Pages.LoadSeen->Range.End, 302081);
      EXPECT_EQ(Pages.LoadSeen->WorkDir, "C:\\TEMP\\kro0123\\");
      EXPECT_EQ(Run().AppInfo.ArchiveTotals.TotalSize, 123456);
    }
    if (!c.args.empty()) {
      EXPECT_EQ(Pages.LoadSeen->ArchivePath, "F:\\archive.1");
    }
  }
}

// Every way the start-up can fail ends with its message (or the error shown), and the private
// folder, once made, goes when the backdrop closes.
TEST_F(TDriverFixture, StartFailures) {
  const std::string cannot = "message Setup can not be processed!";
  struct {
    const char* what;
    std::function<void(TFakePages&, TFakeDriverSystem&)> arrange;
    TLog tail;  // the log after the drive change
    size_t removed;
  } cases[] = {
      {"no work folder", [](auto&, auto& s) { s.WorkFolderOk = false; }, {cannot}, 0},
      {"load cancelled",
       [](auto& p, auto&) { p.LoadResult = false; },
       {"mkdir", "load", cannot, "rmdir"},
       1},
      {"load raises",
       [](auto& p, auto&) { p.LoadThrows = true; },
       {"mkdir", "load", "error Cannot open the compressed file x", cannot, "rmdir"},
       1},
      {"no description",
       [](auto&, auto& s) { s.DescriptionOk = false; },
       {"mkdir", "load", "description C:\\TEMP\\kro0123\\app.inf", cannot, "rmdir"},
       1},
      {"archive gone",
       [](auto&, auto& s) { s.ArchiveExists = false; },
       {"mkdir", "load", "description C:\\TEMP\\kro0123\\app.inf", "backdrop",
        "message Setup can not be processed!\rThe file C:\\TEMP\\kro0123\\setup.1 could not be "
        "found.",
        "rmdir"},
       1},
      {"directory unreadable",
       [](auto&, auto& s) { s.TotalsThrow = true; },
       {"mkdir", "load", "description C:\\TEMP\\kro0123\\app.inf", "backdrop",
        "totals C:\\TEMP\\kro0123\\setup.1", "error The archive directory is damaged", "rmdir"},
       1},
      {"drive unreachable",
       [](auto&, auto& s) { s.ChangeDirOk = false; },
       {"error Cannot change to the drive E:\\"},
       0},
  };
  for (const auto& c : cases) {
    Log.Entries.clear();
    TFakePages pages{Log};
    TFakeDriverSystem system{Log};
    c.arrange(pages, system);
    int exitCode = -1;
    {
      TSetupDriver driver(pages, system);
      EXPECT_EQ(driver.Start({}), TStartResult::Stop) << c.what;
      driver.Close();
      exitCode = driver.Run.ExitCode;
    }
    TLog log = Log.Entries;
    log.erase(log.begin());
    log.pop_back();  // back to StartDir
    EXPECT_EQ(log, c.tail) << c.what;
    EXPECT_EQ(system.Removed.size(), c.removed) << c.what;
    EXPECT_EQ(exitCode, kExitNotStarted) << c.what;
    EXPECT_EQ(system.LogLines.back(), "exit code: 3 (not started)") << c.what;
  }
}

// A failure nobody expected is shown and ends the run instead of leaving the backdrop open; a
// silent abort ends it without a message.
TEST_F(TDriverFixture, UnexpectedFailuresEndTheRun) {
  struct TThrowingPages : TFakePages {
    using TFakePages::TFakePages;
    bool Silent = false;
    void ShowDestination(TSetupRun&) override {
      if (Silent) throw EAbort();
      throw std::runtime_error("out of window handles");
    }
  };
  for (bool silent : {false, true}) {
    Log.Entries.clear();
    TThrowingPages pages{Log};
    pages.Silent = silent;
    pages.Moves = {1};
    TSetupDriver driver(pages, System);
    driver.RunPages();
    const TLog expected = silent ? TLog{"welcome"} : TLog{"welcome", "error out of window handles"};
    EXPECT_EQ(Log.Entries, expected);
    EXPECT_FALSE(driver.Run.InstallConfirmed);
  }
  struct TBrokenSystem : TFakeDriverSystem {
    using TFakeDriverSystem::TFakeDriverSystem;
    std::string FindInstallation() override { throw std::runtime_error("registry unreadable"); }
  };
  Log.Entries.clear();
  TBrokenSystem broken{Log};
  TSetupDriver driver(Pages, broken);
  EXPECT_EQ(driver.Start({}), TStartResult::Stop);
  EXPECT_EQ(Log.Entries, (TLog{"chdir E:\\", "error registry unreadable"}));
}

// A relative argument is taken from the start folder before the drive changes.
TEST_F(TDriverFixture, RelativeArgument) {
  ASSERT_EQ(Start({"archive.1"}), TStartResult::Stop);  // the fake knows no such file
  ASSERT_TRUE(Pages.LoadSeen);
  EXPECT_EQ(Pages.LoadSeen->ArchivePath, "D:\\WORK\\archive.1");
  EXPECT_EQ(
      Log.Entries.back(),
      "message Setup can not be processed!\rThe file D:\\WORK\\archive.1 could not be found.");
}

// Start-up state: first installation, variant, restart flags.
TEST_F(TDriverFixture, StartSetsTheRunState) {
  struct {
    std::string installation;
    uint32_t platform;
    std::string dbModel;
    bool first, reboot;
    uint8_t variant;
  } cases[] = {
      {"", 1, "sa", true, true, 0},  // a first installation ignores any configuration
      {"", 2, "sa", true, false, 0},
      {"C:\\KRO", 1, "SA", false, false, 3},
      {"C:\\KRO", 2, "nw", false, false, 2},
  };
  for (const auto& c : cases) {
    Driver.emplace(Pages, System);
    System.Installation = c.installation;
    System.Platform = c.platform;
    System.Zeb = {{"DBModel", c.dbModel}};
    System.LanguageName = "deutsch";
    ASSERT_EQ(Start(), TStartResult::RunPages);
    EXPECT_EQ(Run().Language, kGerman);
    EXPECT_EQ(Run().StartDir, "D:\\WORK");
    EXPECT_EQ(Run().AppInfo.Destination, c.installation);
    EXPECT_EQ(Run().AppInfo.FirstInstallation, c.first) << c.installation;
    EXPECT_EQ(Run().AppInfo.LibVariant, c.variant) << c.installation;
    EXPECT_EQ(Run().RebootRequired, c.reboot) << c.installation << c.platform;
    EXPECT_EQ(Run().RebootNow, c.reboot);
  }
}

// The page loop: the order of pages for each way through the wizard.
TEST_F(TDriverFixture, PageLoop) {
  struct {
    const char* what;
    uint8_t libsIncluded;
    std::vector<int> moves;
    TLog pages;
    bool confirmed;
  } cases[] = {
      {"straight, library page", 4, {1, 1, 1}, {"welcome", "destination", "libs"}, true},
      {"straight, fixed variant", 2, {1, 1}, {"welcome", "destination"}, true},
      {"cancel on welcome", 4, {0}, {"welcome"}, false},
      {"cancel on destination", 4, {1, 0}, {"welcome", "destination"}, false},
      {"cancel on library", 4, {1, 1, 0}, {"welcome", "destination", "libs"}, false},
      {"back and forth",
       4,
       {1, -1, 1, 1, -1, 1, 1},
       {"welcome", "destination", "welcome", "destination", "libs", "destination", "libs"},
       true},
      {"back from destination, fixed variant",
       0,
       {1, -1, 1, 1},
       {"welcome", "destination", "welcome", "destination"},
       true},
      // A page that leaves the counter outside the wizard ends it.
      {"counter out of range", 4, {1, 7}, {"welcome", "destination"}, false},
      {"counter below zero", 4, {-1}, {"welcome"}, false},
  };
  for (const auto& c : cases) {
    Log.Entries.clear();
    TFakePages pages{Log};
    pages.Moves = c.moves;
    TSetupDriver driver(pages, System);
    driver.Run.AppInfo.LibsIncluded = c.libsIncluded;
    driver.Run.AppInfo.LibVariant = 3;
    driver.RunPages();
    TLog shown;
    for (const auto& e : Log.Entries)
      if (e == "welcome" || e == "destination" || e == "libs") shown.push_back(e);
    EXPECT_EQ(shown, c.pages) << c.what;
    EXPECT_EQ(driver.Run.InstallConfirmed, c.confirmed) << c.what;
    if (!c.confirmed) {
      EXPECT_EQ(driver.Run.ExitCode, kExitCancelled) << c.what;
    }
    // A cancelled wizard shows nothing more and configures nothing.
    if (!c.confirmed) {
      EXPECT_EQ(Log.Entries.size(), shown.size()) << c.what;
    }
    if (c.libsIncluded == 4 && c.confirmed) {
      EXPECT_EQ(pages.LibPreselected, 3);
      EXPECT_EQ(driver.Run.AppInfo.LibVariant, pages.LibChoice);
    }
    if (c.libsIncluded != 4 && c.confirmed) {
      EXPECT_EQ(driver.Run.AppInfo.LibVariant, c.libsIncluded);
    }
  }
}

// After the wizard: unpacking, configuration, outcome page, shortcuts, readme, restart.
TEST_F(TDriverFixture, StepsAfterTheWizard) {
  struct {
    const char* what;
    TCreateEnd end;
    uint32_t platform;
    bool shortcut, readmeExists, rebootRequired, rebootChoice;
    TLog log;
    bool failed;
    int exitCode;
  } cases[] = {
      {"success on NT",
       TCreateEnd::Done,
       2,
       false,
       false,
       false,
       false,
       {"create", "environment", "zebini", "finish"},
       false,
       0},
      {"success on 9x, first installation, restart chosen",
       TCreateEnd::Done,
       1,
       true,
       true,
       true,
       true,
       {"create", "autoexec", "zebini", "finish", "shortcuts", "readme C:\\KRO\\readme.rtf",
        "rmdir", "reboot"},
       false,
       0},
      {"restart declined",
       TCreateEnd::Done,
       1,
       false,
       true,
       true,
       false,
       {"create", "autoexec", "zebini", "finish", "readme C:\\KRO\\readme.rtf"},
       false,
       3010},
      {"failed files",
       TCreateEnd::FilesFailed,
       2,
       true,
       true,
       false,
       false,
       {"create", "errors C:\\KRO\\BIN\\app.exe"},
       true,
       2},
      {"run aborted",
       TCreateEnd::RunAborted,
       1,
       true,
       true,
       true,
       true,
       {"create", "aborted"},
       true,
       1},
      // Cancel confirmed on the unpacking page before its run: nothing extracted, aborted.
      {"abort before the run",
       TCreateEnd::AbortBeforeRun,
       2,
       true,
       true,
       false,
       false,
       {"create", "aborted"},
       true,
       1},
      // An archive error escaping the run is shown, then the outcome follows.
      {"archive error",
       TCreateEnd::Throws,
       2,
       true,
       true,
       false,
       false,
       {"create", "error Size mismatch", "aborted"},
       true,
       1},
      {"archive error after a failed file",
       TCreateEnd::ThrowsAfterFailure,
       2,
       true,
       true,
       false,
       false,
       {"create", "error The disk is full", "errors C:\\KRO\\BIN\\app.exe"},
       true,
       2},
  };
  for (const auto& c : cases) {
    Log.Entries.clear();
    TFakePages pages{Log};
    pages.Moves = {1, 1};
    pages.CreateEnd = c.end;
    pages.ShortcutChecked = c.shortcut;
    pages.RebootChoice = c.rebootChoice;
    System.Platform = c.platform;
    System.ExistingFiles = c.readmeExists ? std::vector<std::string>{"C:\\KRO\\readme.rtf"}
                                          : std::vector<std::string>{};
    TSetupDriver driver(pages, System);
    driver.Run.WorkDir = "C:\\TEMP\\kro0123\\";
    driver.Run.AppInfo.Destination = "C:\\KRO";
    driver.Run.AppInfo.Readme = "readme.rtf";
    driver.Run.RebootRequired = driver.Run.RebootNow = c.rebootRequired;
    driver.RunPages();
    TLog log(Log.Entries.begin() + 2, Log.Entries.end());  // past welcome and destination
    EXPECT_EQ(log, c.log) << c.what;
    EXPECT_EQ(driver.Run.InstallFailed, c.failed) << c.what;
    EXPECT_EQ(driver.Run.ExitCode, c.exitCode) << c.what;
  }
}

// A readme key naming a missing file shows nothing; no readme key looks for nothing.
TEST_F(TDriverFixture, ReadmeOnlyWhenPresent) {
  for (const char* readme : {"", "missing.txt"}) {
    Log.Entries.clear();
    TFakePages pages{Log};
    pages.Moves = {1, 1};
    TSetupDriver driver(pages, System);
    driver.Run.AppInfo.Destination = "C:\\KRO";
    driver.Run.AppInfo.Readme = readme;
    driver.RunPages();
    EXPECT_EQ(Log.Entries.back(), "finish") << readme;
  }
}

// zeb.ini that cannot be written: shown, and the run ends on the errors page naming it.
TEST_F(TDriverFixture, ZebIniFailureEndsOnTheErrorsPage) {
  Pages.Moves = {1, 1};
  Pages.ShortcutChecked = true;
  System.ZebIniThrows = true;
  System.EnvironmentThrows = true;  // absorbed: zeb.ini is still attempted
  Run().AppInfo.Destination = "C:\\KRO";
  Driver->RunPages();
  EXPECT_EQ(Log.Entries, (TLog{"welcome", "destination", "create", "environment", "zebini",
                               "error Cannot write \"C:\\KRO\\ZEB\\zeb.ini\" (error 5)",
                               "errors C:\\KRO\\ZEB\\zeb.ini"}));
  EXPECT_TRUE(Run().InstallFailed);
}

// A whole run from start to close, and the private folder removed at the end of every kind of
// run: by Close, or by the driver's end when the program stops without closing.
TEST_F(TDriverFixture, WholeRunRemovesThePrivateFolder) {
  Pages.Moves = {1, 1};
  System.Installation = "C:\\KRO";
  TLog log = Whole();
  EXPECT_EQ(log, (TLog{"chdir E:\\", "mkdir", "load", "description C:\\TEMP\\kro0123\\app.inf",
                       "backdrop", "totals C:\\TEMP\\kro0123\\setup.1", "welcome", "destination",
                       "create", "environment", "zebini", "finish", "rmdir", "chdir D:\\WORK"}));
  EXPECT_EQ(System.Removed, (TLog{"C:\\TEMP\\kro0123\\"}));
  Driver.reset();
  EXPECT_EQ(System.Removed.size(), 1u);  // once only

  for (int cancelAt : {0, 1}) {
    TDriverLog log2;
    TFakePages pages{log2};
    TFakeDriverSystem system{log2};
    pages.Moves = cancelAt == 0 ? std::vector<int>{0} : std::vector<int>{1, 0};
    {
      TSetupDriver driver(pages, system);
      ASSERT_EQ(driver.Start({}), TStartResult::RunPages);
      driver.RunPages();
    }
    EXPECT_EQ(system.Removed, (TLog{"C:\\TEMP\\kro0123\\"})) << cancelAt;
  }
}

// The real system seam over a real archive: the totals the destination page shows, and the
// language name the tests and the end-to-end runs may set.
TEST(DriverDefaultSystem, TotalsAndLanguageName) {
  const std::string folder = MakeScratchFolder() + "\\";
  PutFile(folder + "a.bin", std::string(4097, 'a'));
  PutFile(folder + "b.txt", "bb");
  TQuillCompress writer;
  writer.SetCompressedFile(NativePath(folder + "setup.1"));
  writer.AddFiles({{NativePath(folder + "a.bin"), "a.bin", 45000},
                   {NativePath(folder + "b.txt"), "sub\\b.txt", 45000}});
  TDefaultSetupSystem system;
  TlzhFileStats totals;
  system.ReadArchiveTotals(folder + "setup.1", totals);
  EXPECT_EQ(totals.TotalSize, 4099);
  EXPECT_THROW(system.ReadArchiveTotals(folder + "none.1", totals), EQuillCompress);
  EXPECT_TRUE(system.FileExists(folder + "setup.1"));
  EXPECT_EQ(system.FileSize(folder + "b.txt"), 2);
  EXPECT_EQ(system.FileSize(folder + "none"), -1);
  EXPECT_EQ(system.ReadHead(folder + "a.bin", 10), std::string(10, 'a'));
  EXPECT_EQ(system.ReadHead(folder + "b.txt", 10), "bb");

  // The start folder is kept and restored as the system spells it.
  const std::string start = system.CurrentDirectory();
  ASSERT_FALSE(start.empty());
  ASSERT_TRUE(system.ChangeDirectory(folder));
  EXPECT_TRUE(system.FileExists(system.CurrentDirectory() + "/setup.1"));
  EXPECT_TRUE(system.ChangeDirectory(start));
  EXPECT_EQ(system.CurrentDirectory(), start);
  EXPECT_FALSE(system.ChangeDirectory(folder + "none"));

  // The shipped system has no test seam for the language: the variable whole runs give the
  // test build is not read.
  TFakeSystem env;
  env.Env["KRO_SETUP_LANGUAGE_NAME"] = "Deutsch (Schweiz)";
  TSystemHooksOverride hooks(env.Hooks());
  EXPECT_EQ(system.SystemLanguageName(), GetSystemLanguageName());
}
