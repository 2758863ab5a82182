// Configuring the machine after a successful unpacking: the ZEB variable and the search path
// (in the registry on the NT platform, in autoexec.bat on the 9x platform), the library's
// zeb.ini for a new installation, and the shortcuts. The driver calls these with its AppInfo
// and the program-wide ZebConfig.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>
#include "uExceptions.h"

#include "class_Shortcut.h"
#include "uGetZebIni.h"
#include "uSetupTools.h"

// The library folder without a trailing backslash, e.g. C:\KRO\ZEB; empty without destination.
std::string LibraryFolder(const TApplicationInfo& info);

// Search-path entries: the path contains dir when one of its ";"-separated entries equals dir
// or dir followed by a backslash, without regard to letter case.
bool PathContainsEntry(std::string_view path, std::string_view dir);
// The path without every such entry and its separator; other entries stay exactly as they were.
std::string RemovePathEntries(std::string_view path, std::string_view dir);
// dir put in front of path: "dir;path", or dir alone for an empty path.
std::string PrependPathEntry(std::string_view dir, std::string_view path);

enum class TEnvResult { Unchanged, MachineWide, PerUser, Failed };
// Sets ZEB and the search path machine-wide, cleaning the user's own copies; falls back to the
// user's environment when that fails. A PATH that cannot be read is never written back, and
// PATH stays an expandable string. Running programs are told about a change.
TEnvResult SetupEnvironmentNT(const TApplicationInfo& info);

// "machine ZEB=…, PATH=…; user ZEB=…, PATH=…" as the registry holds them now, for the log; a
// value that cannot be read gives "unreadable: " and the reason.
std::string EnvironmentSummary();

// The lines autoexec.bat needs for a process environment with these ZEB and PATH values.
std::vector<std::string> AutoexecAdditions(const TApplicationInfo& info, std::string_view zebEnv,
                                           std::string_view pathEnv);
// original (code page 1252) with the lines appended, each ending in CR LF.
std::string AppendAutoexecLines(std::string_view original, const std::vector<std::string>& cp1252);
// Adds the missing lines to autoexec.bat in the boot folder, after copying it to autoexec.kro;
// the file is replaced in one step. True when it was rewritten; failures give false silently.
bool SetupAutoexec(const TApplicationInfo& info);

// The folder of the module with this letter: the configuration's letter+"D" or letter+"S"
// under remPath, else the product's default folder below DestDir; empty for unknown letters.
std::string ResolveModuleDir(const std::string& remPath, std::string_view letter,
                             const TApplicationInfo& info, const TZebConfig& config);

// zeb.ini for a new library installation, as UTF-8 text with CR LF line ends.
std::string BuildZebIni(const TApplicationInfo& info, const TZebConfig& config);

// Raised by WriteZebIni with a message naming the path; Code is the system's error code, or 0.
class EZebIniError : public Exception {
 public:
  EZebIniError(const std::string& message, int code) : Exception(message), Code(code) {}
  int Code;
};
// Writes zeb.ini into ZebDir unless one exists (an existing configuration is never changed):
// true when written, false when one was there. Raises EZebIniError when the folder or file
// cannot be made; a failed write leaves no zeb.ini behind.
bool WriteZebIni(const TApplicationInfo& info, const TZebConfig& config);

struct TShortcutRow {
  std::string Folder;
  TFolderID FolderID;
  std::string Target;
  std::string Description;
};
// The program-menu link in "Kro GmbH", then the desktop link, both to DestDir + Name.
std::array<TShortcutRow, 2> ShortcutRows(const TApplicationInfo& info);

#ifdef _WIN32
// Creates the links of ShortcutRows; COM must be initialised. The number of links made.
int CreateShortcuts(const TApplicationInfo& info);
#endif
