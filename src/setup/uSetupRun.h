// The setup run: the state the backdrop owns, the start-up decisions, the library variant
// detection, the page loop and the steps after it. Plain code over two narrow interfaces: the
// pages and backdrop (ISetupPages) and the system (ISetupSystem), so the whole run order is
// tested without windows.
//
// How the windowed program uses it: the backdrop owns one TSetupDriver (whose Run is what the
// pages reach through FormSetup). FormShow sets Gradient2's height, then calls Start; on
// TStartResult::Stop it closes itself, on RunPages it enables Timer1. Timer1Timer disables the
// timer, calls RunPages and closes the backdrop. FormClose calls Close.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "uInstallData.h"
#include "uSetupOptions.h"
#include "uSetupTools.h"

inline constexpr int32_t kGerman = 0;
inline constexpr int32_t kEnglish = 1;

// The run state of the backdrop, read and written by the pages.
struct TSetupRun {
  int32_t Language = kEnglish;
  int32_t PageNo = 0;  // 0 leave, 1 welcome, 2 destination, 3 library, 4 install
  bool InstallConfirmed = false;
  bool InstallFailed = false;
  bool RebootRequired = false;
  bool RebootNow = false;
  TApplicationInfo AppInfo{std::string()};
  std::string StartDir;
  // The private preparation folder (trailing separator): the archive copy, the description and
  // the package live here, and the unpacking page reads the package from here.
  std::string WorkDir;
  // The prepared archive (Loader.CompressedFile).
  std::string ArchivePath;
  TSetupOptions Options;
  // What the destination page measured on the drive it committed, for the log.
  double FreeBytes = 0;
  // What the program ends with; a page that finds setup cannot begin sets kExitNotStarted.
  int ExitCode = kExitNotStarted;
};

// --- Start-up decisions -----------------------------------------------------------------------

// 0 when the system language's name contains "deutsch" in any letter case, else 1.
int32_t LanguageFromName(std::string_view systemLanguageName);

// The three start-up failure messages, in UTF-8.
std::string NoInstallationDataMessage(int32_t language, int64_t size);
std::string CannotProcessMessage(int32_t language);
std::string ArchiveNotFoundMessage(int32_t language, const std::string& archivePath);
std::string BadCommandLineMessage(int32_t language, const std::string& argument);
// " (installed)" and the like: what an exit code tells, for the log.
const char* ExitCodeMeaning(int code);

// What the preparation page is asked to do.
struct TLoadRequest {
  // In: the external archive, or empty to copy the own data. Out: the archive file used.
  std::string ArchivePath;
  // The running executable and the bytes of it that hold the archive (used when ArchivePath
  // is empty on entry).
  std::string ExePath;
  TDataRange Range;
  // Where the copy goes and the members are extracted to (TSetupRun::WorkDir).
  std::string WorkDir;
};

// Where the installation data is: the first argument when there is one (from its first byte,
// the executable is not looked at), else the executable's own data. Empty when the executable
// carries none: the caller shows NoInstallationDataMessage with range.FileSize.
struct TArchiveSource {
  bool External = false;
  std::string Path;  // the argument, or the executable
  TDataRange Range;  // the executable's data
  bool HasData() const { return External || !Range.Empty(); }
};
TArchiveSource LocateArchive(const std::vector<std::string>& args, const std::string& exePath,
                             std::string_view exeHead, int64_t exeSize);

bool IsFirstInstallation(const TApplicationInfo& info);
// A first installation on the 9x platform family (platform identifier below 2).
bool IsRebootRequired(bool firstInstallation, uint32_t platformId);

// The drive to make current at start: "C:\" for "C:\x\setup.exe", "\\server\share\" for a
// network path; empty when the path names neither.
std::string ExecutableDriveRoot(const std::string& exePath);

// A relative archive argument made absolute against the directory setup was started in, as
// the user meant it: the start-up moves to the executable's drive before the archive is read.
// "\x" takes the drive of startDir; "X:y" (relative to a drive's own directory) and absolute
// paths stay as they are.
std::string AbsoluteArchivePath(const std::string& argument, const std::string& startDir);

// The readme in the destination, or empty when the description names none.
std::string ReadmePath(const TApplicationInfo& info);

// --- Library variant detection ----------------------------------------------------------------

using TZebLookup = std::function<std::string(std::string_view name)>;
// 0 none or unknown, 1 client-server, 2 client-server for NetWare, 3 standalone.
uint8_t DetectLibVariant(bool firstInstallation, const TZebLookup& value);

// --- The two seams ----------------------------------------------------------------------------

// What the backdrop and the pages do for the driver. Each Show… creates its page without an
// owner, shows it modally and releases it. The wizard pages move run.PageNo as the page
// protocol says (back -1, next +1 after committing, confirmed cancel 0).
class ISetupPages {
 public:
  virtual ~ISetupPages() = default;
  // Preparation page: copies request.Range of request.ExePath into request.WorkDir when
  // request.ArchivePath is empty, lists and extracts the archive into request.WorkDir, sets
  // run.AppInfo.Package and InfFile, and returns in request.ArchivePath the archive it used.
  // True when the page closed with OK. An archive error may be shown by the page (then false)
  // or left to escape: the driver shows it and ends the run.
  virtual bool ShowLoad(TSetupRun& run, TLoadRequest& request) = 0;
  // Backdrop captions and layout from run.AppInfo (title, description, version, remark).
  virtual void LayoutBackdrop(const TSetupRun& run) = 0;
  virtual void ShowWelcome(TSetupRun& run) = 0;
  virtual void ShowDestination(TSetupRun& run) = 0;
  // Preselects run.AppInfo.LibVariant; commits the chosen index to it on next.
  virtual void ShowLibs(TSetupRun& run) = 0;
  // Unpacking page: extracts the package from run.WorkDir into DestDir, fills FailedFiles and
  // sets InstallFailed; adds 1 to PageNo when its run ended, sets 0 on an abort confirmed
  // before the run started. An archive error may escape: the driver shows it and counts the
  // installation as failed.
  virtual void ShowCreate(TSetupRun& run) = 0;
  virtual void ShowAborted(TSetupRun& run) = 0;
  virtual void ShowErrors(TSetupRun& run) = 0;
  // Finish page: sets RebootNow from the user's choice; returns whether CBShortcut is checked
  // (read before the page is released).
  virtual bool ShowFinish(TSetupRun& run) = 0;
  virtual void ShowReadme(const std::string& path) = 0;
  // The information box with one OK button.
  virtual void ShowMessage(const std::string& text) = 0;
  // The application's general error display (an unexpected failure).
  virtual void ShowErrorMessage(const std::string& text) = 0;
};

// What the driver needs of the system. TDefaultSetupSystem makes the real calls.
class ISetupSystem {
 public:
  virtual ~ISetupSystem() = default;
  virtual std::string SystemLanguageName() = 0;
  virtual std::string CurrentDirectory() = 0;
  virtual bool ChangeDirectory(const std::string& dir) = 0;
  virtual std::string OwnExePath() = 0;
  // -1 when there is no such file.
  virtual int64_t FileSize(const std::string& path) = 0;
  // Up to maxBytes from the start of the file; empty when it cannot be read.
  virtual std::string ReadHead(const std::string& path, size_t maxBytes) = 0;
  virtual bool FileExists(const std::string& path) = 0;
  virtual std::string FindInstallation() = 0;
  // A new private folder in the temporary folder (trailing separator), or nothing.
  virtual std::optional<std::string> CreateWorkFolder() = 0;
  virtual void RemoveWorkFolder(const std::string& dir) = 0;
  virtual bool ReadDescription(TApplicationInfo& info, const std::string& folder) = 0;
  virtual std::string ZebValue(std::string_view name) = 0;
  virtual uint32_t PlatformId() = 0;
  // ReadHeaders and InitTotals of the archive; raises EQuillCompress.
  virtual void ReadArchiveTotals(const std::string& archive, TlzhFileStats& totals) = 0;
  virtual void SetupAutoexec(const TApplicationInfo& info) = 0;
  virtual void SetupEnvironmentNT(const TApplicationInfo& info) = 0;
  // Raises EZebIniError (or another std::exception) when zeb.ini cannot be written.
  virtual void WriteZebIni(const TApplicationInfo& info) = 0;
  virtual void CreateShortcuts(const TApplicationInfo& info) = 0;
  virtual void RebootWindows() = 0;
  // The machine's and the user's ZEB and PATH, for the log.
  virtual std::string Environment() = 0;
  // One line of the run's log (/LOG=), key and value; nothing happens without a log.
  virtual void LogLine(std::string_view key, std::string_view value) = 0;
};

// The real system.
class TDefaultSetupSystem : public ISetupSystem {
 public:
  std::string SystemLanguageName() override;
  std::string CurrentDirectory() override;
  bool ChangeDirectory(const std::string& dir) override;
  std::string OwnExePath() override;
  int64_t FileSize(const std::string& path) override;
  std::string ReadHead(const std::string& path, size_t maxBytes) override;
  bool FileExists(const std::string& path) override;
  std::string FindInstallation() override;
  std::optional<std::string> CreateWorkFolder() override;
  void RemoveWorkFolder(const std::string& dir) override;
  bool ReadDescription(TApplicationInfo& info, const std::string& folder) override;
  std::string ZebValue(std::string_view name) override;
  uint32_t PlatformId() override;
  void ReadArchiveTotals(const std::string& archive, TlzhFileStats& totals) override;
  void SetupAutoexec(const TApplicationInfo& info) override;
  void SetupEnvironmentNT(const TApplicationInfo& info) override;
  void WriteZebIni(const TApplicationInfo& info) override;
  void CreateShortcuts(const TApplicationInfo& info) override;
  void RebootWindows() override;
  std::string Environment() override;
  void LogLine(std::string_view key, std::string_view value) override;
};

// --- The driver -------------------------------------------------------------------------------

enum class TStartResult { RunPages, Stop };

// Pages and system must outlive the driver: its end removes the private folder through System.
class TSetupDriver {
 public:
  TSetupDriver(ISetupPages& pages, ISetupSystem& system) : Pages(pages), System(system) {}
  ~TSetupDriver() { RemoveWorkFolder(); }
  TSetupDriver(const TSetupDriver&) = delete;
  TSetupDriver& operator=(const TSetupDriver&) = delete;

  TSetupRun Run;

  // FormShow: the start-up steps. args are the command-line arguments without the program; a
  // bad one is shown and ends the run with kExitBadCommandLine.
  // Stop after a message (or an error shown) when setup cannot go on; an unexpected failure is
  // shown through ShowErrorMessage and also gives Stop, so the backdrop never stays without
  // pages.
  TStartResult Start(const std::vector<std::string>& args);
  // Timer1Timer: the page loop and the steps after it; an unexpected failure of a page is shown
  // through ShowErrorMessage and ends the run (the caller closes the backdrop either way).
  void RunPages();
  // FormClose: back to StartDir, and the private folder removed; the exit code logged. False
  // when the directory could not be restored (the program ends anyway).
  bool Close();

 private:
  TStartResult StartSteps(const std::vector<std::string>& args);
  bool Prepare(const TArchiveSource& source);
  void PageLoop();
  void Unpack();
  void ConfigureMachine();
  void Outcome();
  void RemoveWorkFolder();
  // A file the run read or wrote, whole, into the log.
  void LogFile(const char* what, const std::string& path);

  ISetupPages& Pages;
  ISetupSystem& System;
};
