// The run record with the installation description, and the small system tools the driver and
// the pages need. Paths are Windows paths (backslashes) in UTF-8; NativePath maps them onto the
// host's file system, which only matters in the native test build.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "class_Compress.h"
#include "uGetZebIni.h"

#ifdef _WIN32
// <windows.h> defines GetFreeSpace as a macro of the 16-bit era; include it here, once, and
// drop that macro, so that a later inclusion cannot replace calls to our GetFreeSpace.
#include <windows.h>
#undef GetFreeSpace
#endif

class TApplicationInfo {
 public:
  // Destination starts as the folder of an existing installation.
  explicit TApplicationInfo(std::string destination = FindInstallation())
      : Destination(std::move(destination)) {}

  std::string Package;  // inner package in the temporary folder
  std::string InfFile;  // member name of the description
  std::string Name;     // main program, relative to the installation folder
  std::string Title;
  std::string Version;
  std::string Description;
  std::string Remark;
  std::string Readme;
  bool FullInstallation = false;
  std::string NeededChars;   // upper-case module letters, always holding "Q" once read
  uint8_t LibsIncluded = 0;  // 0 to 3 a variant, 4 the user chooses
  std::string Destination;   // as found or typed; no backslash added or removed
  bool FirstInstallation = false;
  uint8_t LibVariant = 0;
  TlzhFileStats ArchiveTotals;
  std::vector<std::string> FailedFiles;

  // Destination with a trailing backslash; empty when Destination is.
  std::string DestDir() const;
  // DestDir + "ZEB\"; empty when DestDir is.
  std::string ZebDir() const;
};

// Reads the description file InfFile in folder (where the preparation extracted it, normally
// GetTempDir()) into info. False, changing nothing, when Package or InfFile is blank; false too
// when the description's Package is blank or missing (a missing file among them: its Package
// reads empty).
bool ReadDescription(TApplicationInfo& info, const std::string& folder);

// Side effects that tests replace; the defaults are the real calls.
struct TSystemHooks {
  // A variable of the running process, read whole; nothing when unset.
  std::function<std::optional<std::string>(const std::string& name)> GetEnv;
  // Forced restart of the machine.
  std::function<void()> Reboot;
  // Tells running programs that the environment in the registry changed.
  std::function<void()> BroadcastEnvironmentChange;
};
TSystemHooks& SystemHooks();
TSystemHooks DefaultSystemHooks();

// Replaces the hooks for the lifetime of the object (tests).
class TSystemHooksOverride {
 public:
  explicit TSystemHooksOverride(TSystemHooks hooks) : Saved(SystemHooks()) {
    SystemHooks() = std::move(hooks);
  }
  ~TSystemHooksOverride() { SystemHooks() = std::move(Saved); }
  TSystemHooksOverride(const TSystemHooksOverride&) = delete;
  TSystemHooksOverride& operator=(const TSystemHooksOverride&) = delete;

 private:
  TSystemHooks Saved;
};

// Empty when the variable is unset.
std::string GetEnvVar(const std::string& name);
// The system temporary folder, ending with a backslash.
std::string GetTempDir();
// A new empty file with a unique name in GetTempDir() (the system uses up to three characters
// of prefix); its full path, or empty when it could not be created.
std::string MakeTempFile(const std::string& prefix);
// Size in bytes, -1 when there is no such file; sizes beyond 32 bits give INT32_MAX.
int32_t GetFileSizeOf(const std::string& path);
int32_t GetOwnExeSize();
std::string GetSystemLanguageName();
// 0 major, 1 minor, 2 build, 3 platform identifier (below 2: the Windows 9x family); any other
// part gives the major version.
uint32_t GetOSVersionPart(int part);
// The boot folder with a trailing backslash; "C:\" when the system does not name one.
std::string GetBootDir();
// Bytes free for the calling user on the drive of path ("C:" means "C:\"); 0 when the query
// fails, so a drive that cannot be measured never looks large enough.
double GetFreeSpace(const std::string& drive);
void RebootWindows();
// The system's text for an error code, as it gives it (its line end kept), at most 255
// characters; empty when it has none.
std::string SystemErrorMessage(int code);

// A Windows path as the host's file system spells it: unchanged on Windows, backslashes made
// slashes elsewhere.
std::string NativePath(const std::string& path);
// The whole file, or nothing when it cannot be read.
std::optional<std::string> ReadWholeFile(const std::string& path);
// Writes bytes to a temporary file beside path and moves it over path, so path holds either its
// old or its new content, never a part. 0 on success, else a system error code.
int WriteFileReplacing(const std::string& path, const std::string& bytes);
