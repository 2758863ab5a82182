#include <gtest/gtest.h>

#include "DriverFakes.h"
#include "uSetupOptions.h"

namespace {

std::string Shown(const TSetupOptions& o) {
  return std::string(o.Silent ? "S " : "") + (o.Shortcuts ? "SHORTCUTS " : "") +
         (o.NoRestart ? "NORESTART " : "") + "lib=" + std::to_string(o.Library) + " d=" + o.Folder +
         " log=" + o.LogFile + " archive=" + (o.HasArchive ? o.Archive : "-") + " bad=" + o.Bad;
}

}  // namespace

// Each option, its letter case, its value, and what makes a command line bad.
TEST(SetupOptions, Table) {
  struct {
    std::vector<std::string> args;
    const char* parsed;
  } cases[] = {
      {{}, "lib=-1 d= log= archive=- bad="},
      {{"/S"}, "S lib=-1 d= log= archive=- bad="},
      {{"/s", "/shortcuts", "/NoRestart"}, "S SHORTCUTS NORESTART lib=-1 d= log= archive=- bad="},
      {{"/d=D:\\Kro Neu", "/Lib=3", "/log=C:\\Temp\\Setup.LOG"},
       "lib=3 d=D:\\Kro Neu log=C:\\Temp\\Setup.LOG archive=- bad="},
      // The archive is the first argument that is no option, wherever it stands.
      {{"/S", "F:\\data.1", "G:\\second.1"}, "S lib=-1 d= log= archive=F:\\data.1 bad="},
      {{""}, "lib=-1 d= log= archive= bad="},
      // A value with an equals sign keeps it; a later option replaces an earlier one.
      {{"/D=C:\\a=b", "/LIB=0", "/LIB=2"}, "lib=2 d=C:\\a=b log= archive=- bad="},
      {{"/X"}, "lib=-1 d= log= archive=- bad=/X"},
      {{"/S", "/SILENT", "/Q"}, "S lib=-1 d= log= archive=- bad=/SILENT"},
      {{"/LIB=4"}, "lib=-1 d= log= archive=- bad=/LIB=4"},
      {{"/LIB=12"}, "lib=-1 d= log= archive=- bad=/LIB=12"},
      {{"/LIB="}, "lib=-1 d= log= archive=- bad=/LIB="},
      {{"/D="}, "lib=-1 d= log= archive=- bad=/D="},
      {{"/D"}, "lib=-1 d= log= archive=- bad=/D"},
      {{"/LOG="}, "lib=-1 d= log= archive=- bad=/LOG="},
      {{"/S=1"}, "lib=-1 d= log= archive=- bad=/S=1"},
      {{"/"}, "lib=-1 d= log= archive=- bad=/"},
  };
  for (const auto& c : cases) EXPECT_EQ(Shown(ParseOptions(c.args)), c.parsed) << c.parsed;
}

// A bad command line is shown in the run's language and ends the run before anything is
// prepared, with its own exit code.
TEST(SetupOptions, BadCommandLineStopsBeforeAnything) {
  for (const char* language : {"Deutsch", "English"}) {
    TDriverLog log;
    TFakePages pages{log};
    TFakeDriverSystem system{log};
    system.LanguageName = language;
    TSetupDriver driver(pages, system);
    EXPECT_EQ(driver.Start({"/S", "/Silent", "F:\\archive.1"}), TStartResult::Stop);
    EXPECT_EQ(driver.Run.ExitCode, kExitBadCommandLine);
    EXPECT_EQ(log.Entries,
              (std::vector<std::string>{
                  language[0] == 'D' ? "message Unbekannte Angabe in der Befehlszeile: /Silent"
                                     : "message Unknown command-line option: /Silent"}));
    driver.Close();
    EXPECT_EQ(system.LogLines, (std::vector<std::string>{"argument: /S", "argument: /Silent",
                                                         "argument: F:\\archive.1",
                                                         "exit code: 4 (bad command line)"}));
  }
}

// Options before the archive do not change where the data comes from.
TEST(SetupOptions, ArchiveAfterOptions) {
  TDriverLog log;
  TFakePages pages{log};
  TFakeDriverSystem system{log};
  TSetupDriver driver(pages, system);
  EXPECT_EQ(driver.Start({"/LOG=x.log", "F:\\archive.1"}), TStartResult::RunPages);
  ASSERT_TRUE(pages.LoadSeen);
  EXPECT_EQ(pages.LoadSeen->ArchivePath, "F:\\archive.1");
  EXPECT_EQ(driver.Run.Options.LogFile, "x.log");
}

// The log of a whole update: what was found, used and written, in the order of the run.
TEST(SetupOptions, LogOfAWholeRun) {
  TDriverLog log;
  TFakePages pages{log};
  pages.Moves = {1, 1};
  pages.ShortcutChecked = true;
  TFakeDriverSystem system{log};
  system.Installation = "C:\\KRO";
  system.Zeb = {{"DBModel", "nw"}};
  TSetupDriver driver(pages, system);
  ASSERT_EQ(driver.Start({"/LOG=C:\\setup.log"}), TStartResult::RunPages);
  driver.Run.FreeBytes = 7e9;
  driver.Run.AppInfo.LibsIncluded = 2;
  driver.RunPages();
  driver.Close();
  // The fake reads every file as empty.
  EXPECT_EQ(
      system.LogLines,
      (std::vector<std::string>{
          "argument: /LOG=C:\\setup.log", "installation found: C:\\KRO",
          "archive: C:\\TEMP\\kro0123\\setup.1", "description C:\\TEMP\\kro0123\\app.inf:\r\n",
          "destination: C:\\KRO\\", "library variant: 2", "bytes needed: 123456",
          "bytes free: 7000000000", "environment before: env1", "environment after: env2",
          "zeb.ini C:\\KRO\\ZEB\\zeb.ini:\r\n", "shortcuts: made", "exit code: 0 (installed)"}));
}
