#include "uSetupRun.h"

#include <exception>

#include "uExceptions.h"
#include "uText.h"

int32_t LanguageFromName(std::string_view systemLanguageName) {
  return LowerAZ(systemLanguageName).find("deutsch") != std::string::npos ? kGerman : kEnglish;
}

std::string NoInstallationDataMessage(int32_t language, int64_t size) {
  return Format(language == kGerman ? "Setup enthält keine Installationsdaten. Größe=\"%d\""
                                    : "Setup does not contain any installation data. Size=\"%d\"",
                {std::to_string(size)});
}

std::string CannotProcessMessage(int32_t language) {
  return language == kGerman ? "Setup kann nicht ausgeführt werden!"
                             : "Setup can not be processed!";
}

std::string ArchiveNotFoundMessage(int32_t language, const std::string& archivePath) {
  return Format(language == kGerman
                    ? "Setup kann nicht ausgeführt werden!%sDie Datei %s wurde "
                      "nicht gefunden."
                    : "Setup can not be processed!%sThe file %s could not be found.",
                {"\r", archivePath});
}

std::string BadCommandLineMessage(int32_t language, const std::string& argument) {
  return (language == kGerman ? "Unbekannte Angabe in der Befehlszeile: "
                              : "Unknown command-line option: ") +
         argument;
}

TArchiveSource LocateArchive(const std::vector<std::string>& args, const std::string& exePath,
                             std::string_view exeHead, int64_t exeSize) {
  TArchiveSource source;
  if (!args.empty()) {
    source.External = true;
    source.Path = args.front();
    return source;
  }
  source.Path = exePath;
  source.Range = InstallationDataRange(exeHead, exeSize);
  return source;
}

bool IsFirstInstallation(const TApplicationInfo& info) { return info.DestDir().empty(); }

bool IsRebootRequired(bool firstInstallation, uint32_t platformId) {
  return firstInstallation && platformId < 2;
}

std::string ExecutableDriveRoot(const std::string& exePath) {
  const auto slash = [](char c) { return c == '\\' || c == '/'; };
  if (exePath.size() >= 2 && exePath[1] == ':' &&
      ((exePath[0] >= 'A' && exePath[0] <= 'Z') || (exePath[0] >= 'a' && exePath[0] <= 'z')))
    return exePath.substr(0, 2) + '\\';
  if (exePath.size() < 3 || !slash(exePath[0]) || !slash(exePath[1])) return {};
  // \\server\share\...: the root of the share.
  size_t server = exePath.find_first_of("\\/", 2);
  if (server == std::string::npos || server == 2) return {};
  size_t share = exePath.find_first_of("\\/", server + 1);
  if (share == server + 1) return {};
  if (share == std::string::npos) share = exePath.size();
  return exePath.substr(0, share) + '\\';
}

std::string AbsoluteArchivePath(const std::string& argument, const std::string& startDir) {
  const auto slash = [](char c) { return c == '\\' || c == '/'; };
  if (argument.empty() || startDir.empty()) return argument;
  const bool hasDrive = argument.size() >= 2 && argument[1] == ':';
  if (hasDrive || (argument.size() >= 2 && slash(argument[0]) && slash(argument[1])))
    return argument;
  if (slash(argument[0])) {
    const std::string root = ExecutableDriveRoot(startDir);
    return root.empty() ? argument : root.substr(0, root.size() - 1) + argument;
  }
  std::string dir = startDir;
  if (!slash(dir.back())) dir += dir.find('\\') != std::string::npos ? '\\' : '/';
  return dir + argument;
}

std::string ReadmePath(const TApplicationInfo& info) {
  if (info.Readme.empty()) return {};
  return info.DestDir() + info.Readme;
}

uint8_t DetectLibVariant(bool firstInstallation, const TZebLookup& value) {
  if (firstInstallation) return 0;
  const std::string model = LowerAZ(value("DBModel"));
  if (model == "cs") return 1;
  if (model == "nw") return 2;
  if (model == "sa") return 3;
  const std::string server = value("CTServer");
  if (!server.empty()) return server.find('@') != std::string::npos ? 1 : 2;
  std::string dataPath = UpperAZ(value("QD"));
  if (dataPath.empty()) dataPath = UpperAZ(value("QS"));
  if (dataPath.empty()) return 0;
  // Drives A to D (and digits, anything below "D") were the local disks of a standalone
  // machine; later letters and network paths mean a server.
  return static_cast<uint8_t>(dataPath.front()) <= 0x44 ? 3 : 1;
}

const char* ExitCodeMeaning(int code) {
  switch (code) {
    case kExitInstalled:
      return " (installed)";
    case kExitCancelled:
      return " (cancelled or aborted)";
    case kExitFailedFiles:
      return " (installed with failed files)";
    case kExitNotStarted:
      return " (not started)";
    case kExitBadCommandLine:
      return " (bad command line)";
  }
  return " (installed, restart needed)";
}

// --- The driver -------------------------------------------------------------------------------

namespace {

// Runs a step of the backdrop; an exception escaping it is shown (a silent abort is not) and
// reported as false.
template <typename F>
bool Guarded(ISetupPages& pages, F&& step) {
  try {
    step();
    return true;
  } catch (const EAbort&) {
    return false;
  } catch (const std::exception& e) {
    pages.ShowErrorMessage(e.what());
    return false;
  }
}

}  // namespace

TStartResult TSetupDriver::Start(const std::vector<std::string>& args) {
  TStartResult result = TStartResult::Stop;
  if (!Guarded(Pages, [&] { result = StartSteps(args); })) return TStartResult::Stop;
  return result;
}

TStartResult TSetupDriver::StartSteps(const std::vector<std::string>& args) {
  Run.Language = LanguageFromName(System.SystemLanguageName());
  for (const std::string& arg : args) System.LogLine("argument: ", arg);
  const TSetupOptions& options = Run.Options = ParseOptions(args);
  if (!options.Bad.empty()) {
    Run.ExitCode = kExitBadCommandLine;
    Pages.ShowMessage(BadCommandLineMessage(Run.Language, options.Bad));
    return TStartResult::Stop;
  }

  const std::string exePath = System.OwnExePath();
  Run.StartDir = System.CurrentDirectory();
  const std::string drive = ExecutableDriveRoot(exePath);
  if (!drive.empty() && !System.ChangeDirectory(drive)) {
    Pages.ShowErrorMessage("Cannot change to the drive " + drive);
    return TStartResult::Stop;
  }

  Run.AppInfo = TApplicationInfo(System.FindInstallation());
  const std::string& found = Run.AppInfo.Destination;
  System.LogLine("installation found: ", found.empty() ? "none" : found);

  TArchiveSource source;
  if (!options.HasArchive) {
    const int64_t size = System.FileSize(exePath);
    const std::string head = size > 0 ? System.ReadHead(exePath, kPeHeadBytes) : std::string();
    source = LocateArchive({}, exePath, head, size);
    if (!source.HasData()) {
      Pages.ShowMessage(NoInstallationDataMessage(Run.Language, source.Range.FileSize));
      return TStartResult::Stop;
    }
  } else {
    source = LocateArchive({AbsoluteArchivePath(options.Archive, Run.StartDir)}, exePath, {}, -1);
  }

  const bool prepared = Prepare(source);
  System.LogLine("archive: ", Run.ArchivePath);
  if (prepared && !Run.AppInfo.InfFile.empty())
    LogFile("description ", Run.WorkDir + Run.AppInfo.InfFile);
  if (!prepared || !System.ReadDescription(Run.AppInfo, Run.WorkDir)) {
    Pages.ShowMessage(CannotProcessMessage(Run.Language));
    return TStartResult::Stop;
  }

  Pages.LayoutBackdrop(Run);
  TApplicationInfo& info = Run.AppInfo;
  info.FirstInstallation = IsFirstInstallation(info);
  info.LibVariant = DetectLibVariant(
      info.FirstInstallation, [this](std::string_view name) { return System.ZebValue(name); });
  Run.RebootRequired = IsRebootRequired(info.FirstInstallation, System.PlatformId());
  Run.RebootNow = Run.RebootRequired;

  if (!System.FileExists(Run.ArchivePath)) {
    Pages.ShowMessage(ArchiveNotFoundMessage(Run.Language, Run.ArchivePath));
    return TStartResult::Stop;
  }
  try {
    System.ReadArchiveTotals(Run.ArchivePath, info.ArchiveTotals);
  } catch (const std::exception& e) {
    // An unreadable directory ends the run here rather than leaving a backdrop without pages.
    Pages.ShowErrorMessage(e.what());
    return TStartResult::Stop;
  }
  return TStartResult::RunPages;
}

bool TSetupDriver::Prepare(const TArchiveSource& source) {
  std::optional<std::string> folder = System.CreateWorkFolder();
  if (!folder) return false;
  Run.WorkDir = *folder;

  TLoadRequest request;
  request.ArchivePath = source.External ? source.Path : std::string();
  request.ExePath = source.External ? std::string() : source.Path;
  request.Range = source.Range;
  request.WorkDir = Run.WorkDir;
  bool prepared = false;
  try {
    prepared = Pages.ShowLoad(Run, request);
  } catch (const std::exception& e) {
    Pages.ShowErrorMessage(e.what());
    prepared = false;
  }
  Run.ArchivePath = request.ArchivePath;
  return prepared;
}

void TSetupDriver::RunPages() {
  Run.ExitCode = kExitCancelled;
  Guarded(Pages, [this] {
    Run.PageNo = 1;
    PageLoop();
    if (!Run.InstallConfirmed) return;
    const TApplicationInfo& info = Run.AppInfo;
    System.LogLine("destination: ", info.DestDir());
    System.LogLine("library variant: ", std::to_string(info.LibVariant));
    System.LogLine("bytes needed: ", std::to_string(info.ArchiveTotals.TotalSize));
    System.LogLine("bytes free: ", std::to_string(int64_t(Run.FreeBytes)));
    Unpack();
    for (const std::string& file : info.FailedFiles) System.LogLine("failed: ", file);
    if (!Run.InstallFailed) ConfigureMachine();
    Outcome();
  });
}

void TSetupDriver::PageLoop() {
  Run.InstallConfirmed = false;
  do {
    switch (Run.PageNo) {
      case 1:
        Pages.ShowWelcome(Run);
        break;
      case 2:
        Pages.ShowDestination(Run);
        break;
      case 3:
        if (Run.AppInfo.LibsIncluded == 4) {
          Pages.ShowLibs(Run);
        } else {
          Run.AppInfo.LibVariant = Run.AppInfo.LibsIncluded;
          ++Run.PageNo;
        }
        break;
      case 4:
        Run.InstallConfirmed = true;
        break;
      default:
        // A page that leaves the counter outside the wizard ends it, rather than spinning.
        Run.PageNo = 0;
        break;
    }
  } while (Run.PageNo != 0 && !Run.InstallConfirmed);
}

void TSetupDriver::Unpack() {
  Run.InstallFailed = false;
  try {
    Pages.ShowCreate(Run);
  } catch (const std::exception& e) {
    Pages.ShowErrorMessage(e.what());
    Run.InstallFailed = true;
  }
  // A confirmed abort before the run started leaves the destination untouched but is no
  // installation either.
  if (Run.PageNo == 0) Run.InstallFailed = true;
}

void TSetupDriver::ConfigureMachine() {
  const TApplicationInfo& info = Run.AppInfo;
  System.LogLine("environment before: ", System.Environment());
  try {
    if (System.PlatformId() < 2)
      System.SetupAutoexec(info);
    else
      System.SetupEnvironmentNT(info);
  } catch (const std::exception&) {
    // The environment steps fall back silently; a stray failure there must not stop the rest.
  }
  System.LogLine("environment after: ", System.Environment());
  try {
    System.WriteZebIni(info);
  } catch (const std::exception& e) {
    Pages.ShowErrorMessage(e.what());
    Run.AppInfo.FailedFiles.push_back(info.ZebDir() + "zeb.ini");
    System.LogLine("failed: ", Run.AppInfo.FailedFiles.back());
    Run.InstallFailed = true;
  }
  LogFile("zeb.ini ", info.ZebDir() + "zeb.ini");
}

void TSetupDriver::Outcome() {
  if (Run.InstallFailed) {
    if (Run.AppInfo.FailedFiles.empty()) {
      Pages.ShowAborted(Run);
    } else {
      Run.ExitCode = kExitFailedFiles;
      Pages.ShowErrors(Run);
    }
    return;
  }
  const bool shortcuts = Pages.ShowFinish(Run);
  Run.ExitCode = Run.RebootRequired && !Run.RebootNow ? kExitRestartNeeded : kExitInstalled;
  if (shortcuts) {
    try {
      System.CreateShortcuts(Run.AppInfo);
      System.LogLine("shortcuts: ", "made");
    } catch (const std::exception& e) {
      // Shortcuts are a convenience; failing to make them only goes into the log.
      System.LogLine("shortcuts not made: ", e.what());
    }
  } else {
    System.LogLine("shortcuts: ", "not asked for");
  }
  const std::string readme = ReadmePath(Run.AppInfo);
  if (!readme.empty() && System.FileExists(readme)) Pages.ShowReadme(readme);
  if (Run.RebootNow) {
    System.LogLine("restart: ", "now");
    // The restart does not wait for the program to end: tidy up first.
    RemoveWorkFolder();
    System.RebootWindows();
  }
}

bool TSetupDriver::Close() {
  System.LogLine("exit code: ", std::to_string(Run.ExitCode) + ExitCodeMeaning(Run.ExitCode));
  RemoveWorkFolder();
  return Run.StartDir.empty() || System.ChangeDirectory(Run.StartDir);
}

void TSetupDriver::RemoveWorkFolder() {
  if (Run.WorkDir.empty()) return;
  System.RemoveWorkFolder(Run.WorkDir);
  Run.WorkDir.clear();
}

void TSetupDriver::LogFile(const char* what, const std::string& path) {
  // Both files are kept in code page 1252.
  System.LogLine(what, path + ":\r\n" + Cp1252ToUtf8(System.ReadHead(path, 65536)));
}
