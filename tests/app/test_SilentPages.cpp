// The pages of an unattended run: what each decides without a person, through the page logic
// the windows use, and what it writes into the log instead of showing.
#include <gtest/gtest.h>

#include "DriverFakes.h"
#include "uSetupSilent.h"

namespace {

using TLines = std::vector<std::string>;

struct TSilentFixture : testing::Test {
  TDriverLog Log;
  TFakeDriverSystem System{Log};
  std::vector<std::string> Reloaded;
  double Free = 5e6;
  TDestPathSystem Dest = [this] {
    TDestPathSystem d;
    d.FreeSpace = [this](const std::string&) { return Free; };
    d.DriveKind = [](const std::string&) { return dkFixed; };
    d.LoadZebConfig = [this](const std::string& dir) { Reloaded.push_back(dir); };
    return d;
  }();
  TSilentPages Pages{System, Dest};
};

}  // namespace

// The destination page takes what Enter would take; what needs a person ends the run with the
// safe answer, logged.
TEST_F(TSilentFixture, Destination) {
  struct {
    const char *what, *found;
    bool full;
    const char* folder;  // /D=
    double free;
    int pageNo, exitCode;
    const char* destination;
    TLines log;
  } cases[] = {
      {"update", "C:\\KRO", true, "", 5e6, 3, kExitCancelled, "C:\\KRO", {}},
      {"update, /D= not used",
       "C:\\KRO",
       true,
       "D:\\NEU",
       5e6,
       3,
       kExitCancelled,
       "C:\\KRO",
       {"/D= not used: the installation found is updated in place"}},
      {"new, prefilled", "", true, "", 5e6, 3, kExitCancelled, "C:\\KRO", {}},
      {"new, /D=", "", true, "D:\\Kro Neu", 5e6, 3, kExitCancelled, "D:\\Kro Neu", {}},
      {"no full installation",
       "",
       false,
       "D:\\X",
       5e6,
       0,
       kExitNotStarted,
       "",
       {"message: Setup could not find any primary installation. Setup will be aborted!"}},
      {"not enough space",
       "",
       true,
       "",
       1e6,
       0,
       kExitNotStarted,
       "",
       {"not enough free space: C:\\KRO", "space needed: 1.9 MB", "space free: 1.0 MB"}},
      {"update, not enough space",
       "C:\\KRO",
       false,
       "",
       0,
       0,
       kExitNotStarted,
       "C:\\KRO",
       {"not enough free space: C:\\KRO\\", "space needed: 1.9 MB", "space free: 0.0 MB"}},
      {"relative /D=",
       "",
       true,
       "Kro",
       5e6,
       0,
       kExitNotStarted,
       "",
       {"no usable folder: Kro", "space needed: 1.9 MB", "space free: 0.0 MB"}},
  };
  for (const auto& c : cases) {
    System.LogLines.clear();
    Reloaded.clear();
    Free = c.free;
    TSetupRun run;
    run.PageNo = 2;
    run.ExitCode = kExitCancelled;
    run.AppInfo = TApplicationInfo(c.found);
    run.AppInfo.FullInstallation = c.full;
    run.AppInfo.ArchiveTotals.TotalSize = 2000000;
    run.Options.Folder = c.folder;
    Pages.ShowDestination(run);
    EXPECT_EQ(run.PageNo, c.pageNo) << c.what;
    EXPECT_EQ(run.ExitCode, c.exitCode) << c.what;
    EXPECT_EQ(run.AppInfo.Destination, c.destination) << c.what;
    EXPECT_EQ(System.LogLines, c.log) << c.what;
    // The library configuration is read again from the destination taken, as Next does.
    EXPECT_EQ(Reloaded, c.pageNo == 3 ? TLines{c.destination} : TLines{}) << c.what;
    EXPECT_EQ(run.FreeBytes, c.pageNo == 3 ? c.free : 0) << c.what;
  }
}

// The library page takes the detected variant, or the one of /LIB=.
TEST_F(TSilentFixture, Library) {
  struct {
    uint8_t detected;
    int option;
    uint8_t taken;
  } cases[] = {{2, -1, 2}, {2, 3, 3}, {3, 0, 0}, {0, -1, 0}, {9, -1, 0}};
  for (const auto& c : cases) {
    TSetupRun run;
    run.PageNo = 3;
    run.AppInfo.LibVariant = c.detected;
    run.Options.Library = c.option;
    Pages.ShowLibs(run);
    EXPECT_EQ(run.AppInfo.LibVariant, c.taken) << int(c.detected) << " " << c.option;
    EXPECT_EQ(run.PageNo, 4);
  }
}

// The finish page: shortcuts only when asked for and offered; the restart a first installation
// on the old platform needs is made unless /NORESTART says otherwise.
TEST_F(TSilentFixture, Finish) {
  struct {
    bool full, rebootRequired, shortcuts, noRestart;
    bool made, rebootNow;
    TLines log;
  } cases[] = {
      {true, false, false, false, false, false, {}},
      {true, false, true, false, true, false, {}},
      {false,
       false,
       true,
       false,
       false,
       false,
       {"/SHORTCUTS not used: the description makes no full installation"}},
      {true, true, false, false, false, true, {}},
      {true, true, true, true, true, false, {"restart: not now (/NORESTART)"}},
  };
  for (const auto& c : cases) {
    System.LogLines.clear();
    TSetupRun run;
    run.AppInfo.FullInstallation = c.full;
    run.RebootRequired = run.RebootNow = c.rebootRequired;
    run.Options.Shortcuts = c.shortcuts;
    run.Options.NoRestart = c.noRestart;
    EXPECT_EQ(Pages.ShowFinish(run), c.made);
    EXPECT_EQ(run.RebootNow, c.rebootNow);
    EXPECT_EQ(System.LogLines, c.log);
  }
}

// Nothing is shown: messages, errors and the readme go into the log.
TEST_F(TSilentFixture, NothingShown) {
  TSetupRun run;
  run.PageNo = 1;
  Pages.ShowWelcome(run);
  EXPECT_EQ(run.PageNo, 2);
  Pages.ShowMessage("Setup can not be processed!");
  Pages.ShowErrorMessage("Size mismatch");
  Pages.ShowReadme("C:\\KRO\\LIESMICH.RTF");
  EXPECT_EQ(System.LogLines, (TLines{"message: Setup can not be processed!", "error: Size mismatch",
                                     "readme not shown: C:\\KRO\\LIESMICH.RTF"}));
  EXPECT_TRUE(Log.Entries.empty());
}
