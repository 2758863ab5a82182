#include "uSysConfig.h"

#include "uFileSys.h"
#include "uRegistry.h"
#include "uText.h"

namespace {

const std::string kSessionManager = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";
const std::string kEnv = "Environment";

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// One entry of a search path names dir: blanks and enclosing quotes do not count.
bool EntryNames(std::string_view entry, std::string_view dir) {
  entry = TrimBlanks(entry);
  if (entry.size() >= 2 && entry.front() == '"' && entry.back() == '"')
    entry = entry.substr(1, entry.size() - 2);
  if (!entry.empty() && entry.back() == '\\' && entry.size() == dir.size() + 1)
    entry.remove_suffix(1);
  return !dir.empty() && SameTextAZ(entry, dir);
}

template <typename F>
void ForEachEntry(std::string_view path, F f) {
  for (;;) {
    size_t end = path.find(';');
    f(path.substr(0, end));
    if (end == std::string_view::npos) break;
    path.remove_prefix(end + 1);
  }
}

// Removes the library from the user's own environment once the machine-wide one has it, so
// that the user's copy cannot shadow a later change.
void CleanUserEnvironment(const std::string& lib) {
  TRegExt user("", false, TRegRoot::CurrentUser);
  user.DeleteKey(kEnv, "ZEB");
  std::string path = user.ReadString(kEnv, "PATH", "");
  if (!PathContainsEntry(path, lib)) return;
  std::string rest = RemovePathEntries(path, lib);
  if (TrimBlanks(rest).empty())
    user.DeleteKey(kEnv, "PATH");
  else
    user.WriteExpandString(kEnv, "PATH", rest);
}

bool MachineWideUpdateNeeded(const std::string& lib) {
  TRegExt reg(kSessionManager, true, TRegRoot::LocalMachine, false);
  if (reg.ReadString(kEnv, "ZEB", "").empty() ||
      !PathContainsEntry(reg.ReadString(kEnv, "PATH", ""), lib))
    return true;
  return ReadMakerRegistration().empty();
}

// Writes ZEB and, when missing, the path entry into the Environment of reg.
void WriteEnvironment(TRegExt& reg, const std::string& lib) {
  reg.WriteString(kEnv, "ZEB", lib);
  // Read again: an unreadable PATH raises here and is never replaced.
  std::string path = reg.ReadString(kEnv, "PATH", "");
  if (!PathContainsEntry(path, lib))
    reg.WriteExpandString(kEnv, "PATH", PrependPathEntry(lib, path));
}

std::string EnvironmentOf(TRegExt&& reg) {
  return " ZEB=" + reg.ReadString(kEnv, "ZEB", "") + ", PATH=" + reg.ReadString(kEnv, "PATH", "");
}

struct TModuleDefault {
  char Letter;
  const char* Folder;
};
constexpr TModuleDefault kModuleDefaults[] = {
    {'B', "SAVO\\W32"},  {'E', "PUNDE\\W32"}, {'F', "DARSO\\W32"}, {'G', "HOLK\\W32"},
    {'M', "WIRDE\\W32"}, {'Q', "ZEB\\W32"},   {'R', "NALU\\W32"},  {'V', "KUVE\\W32"},
};

// The characters of NeededChars one by one (whole UTF-8 sequences), each once, without those
// that cannot name a key in an INI file.
std::vector<std::string> ModuleLetters(const std::string& chars) {
  std::vector<std::string> letters;
  for (std::string_view piece : Utf8Chars(chars)) {
    std::string letter(piece);
    unsigned char c = static_cast<unsigned char>(letter[0]);
    if (c <= ' ' || c == '=' || c == ';' || c == '[' || c == 0x7F) continue;
    bool seen = false;
    for (const auto& l : letters) seen = seen || SameTextAZ(l, letter);
    if (!seen) letters.push_back(letter);
  }
  return letters;
}

}  // namespace

std::string LibraryFolder(const TApplicationInfo& info) {
  std::string dir = info.ZebDir();
  if (!dir.empty()) dir.pop_back();
  return dir;
}

bool PathContainsEntry(std::string_view path, std::string_view dir) {
  bool found = false;
  ForEachEntry(path, [&](std::string_view entry) { found = found || EntryNames(entry, dir); });
  return found;
}

std::string RemovePathEntries(std::string_view path, std::string_view dir) {
  std::string rest;
  bool first = true;
  ForEachEntry(path, [&](std::string_view entry) {
    if (EntryNames(entry, dir)) return;
    if (!first) rest += ';';
    rest += entry;
    first = false;
  });
  return rest;
}

std::string PrependPathEntry(std::string_view dir, std::string_view path) {
  std::string result(dir);
  if (!TrimBlanks(path).empty()) (result += ';') += path;
  return result;
}

TEnvResult SetupEnvironmentNT(const TApplicationInfo& info) {
  const std::string lib = LibraryFolder(info);
  if (lib.empty()) return TEnvResult::Failed;
  TEnvResult result = TEnvResult::Failed;
  try {
    if (!MachineWideUpdateNeeded(lib)) return TEnvResult::Unchanged;
    TRegExt reg(kSessionManager, false, TRegRoot::LocalMachine);
    WriteEnvironment(reg, lib);
    result = TEnvResult::MachineWide;
    try {
      CleanUserEnvironment(lib);
    } catch (const ERegistryError&) {
      // The machine-wide values are in place; a stale user copy is all that remains.
    }
  } catch (const ERegistryError&) {
    try {
      TRegExt user("", false, TRegRoot::CurrentUser);
      if (!user.ReadString(kEnv, "ZEB", "").empty() &&
          PathContainsEntry(user.ReadString(kEnv, "PATH", ""), lib))
        return TEnvResult::Unchanged;
      WriteEnvironment(user, lib);
      result = TEnvResult::PerUser;
    } catch (const ERegistryError&) {
      return TEnvResult::Failed;
    }
  }
  // Without this, programs started from the new shortcuts would see ZEB only after a logon.
  if (auto& broadcast = SystemHooks().BroadcastEnvironmentChange) broadcast();
  return result;
}

std::string EnvironmentSummary() {
  try {
    return "machine" + EnvironmentOf({kSessionManager, true, TRegRoot::LocalMachine, false}) +
           "; user" + EnvironmentOf({"", true, TRegRoot::CurrentUser, false});
  } catch (const std::exception& e) {
    return std::string("unreadable: ") + e.what();
  }
}

std::vector<std::string> AutoexecAdditions(const TApplicationInfo& info, std::string_view zebEnv,
                                           std::string_view pathEnv) {
  std::vector<std::string> lines;
  if (info.Destination.empty()) return lines;
  if (zebEnv.empty()) lines.push_back("set ZEB=" + info.DestDir() + "ZEB");
  if (!PathContainsEntry(pathEnv, LibraryFolder(info)))
    lines.push_back("PATH=" + info.ZebDir() + ";%PATH%");
  return lines;
}

std::string AppendAutoexecLines(std::string_view original, const std::vector<std::string>& cp1252) {
  std::string text(original);
  // Text after an end-of-file mark would never be run.
  while (!text.empty() && text.back() == '\x1A') text.pop_back();
  if (!text.empty() && text.back() != '\n') text += "\r\n";
  for (const std::string& line : cp1252) text += line + "\r\n";
  return text;
}

bool SetupAutoexec(const TApplicationInfo& info) {
  std::vector<std::string> lines = AutoexecAdditions(info, GetEnvVar("ZEB"), GetEnvVar("PATH"));
  if (lines.empty()) return false;
  for (std::string& line : lines) {
    auto encoded = TryUtf8ToCp1252(line);
    if (!encoded) return false;
    line = *encoded;
  }
  const std::string boot = GetBootDir();
  const std::string file = boot + "autoexec.bat";
  std::string original;
  if (fsys::FileExists(NativePath(file))) {
    auto text = ReadWholeFile(file);
    // A boot file we cannot read must not be replaced by our two lines.
    if (!text) return false;
    original = std::move(*text);
    WriteFileReplacing(boot + "autoexec.kro", original);  // the rewrite goes ahead without it
  }
  return WriteFileReplacing(file, AppendAutoexecLines(original, lines)) == 0;
}

std::string ResolveModuleDir(const std::string& remPath, std::string_view letter,
                             const TApplicationInfo& info, const TZebConfig& config) {
  std::string v = config.Value(std::string(letter) + "D");
  if (v.empty()) v = config.Value(std::string(letter) + "S");
  if (!v.empty()) {
    if (v.back() != '\\') v += '\\';
    return remPath + UpperAZ(v) + "W32";
  }
  for (const auto& d : kModuleDefaults)
    if (letter.size() == 1 && letter[0] == d.Letter) return info.DestDir() + d.Folder;
  return {};
}

std::string BuildZebIni(const TApplicationInfo& info, const TZebConfig& config) {
  std::string ini =
      "[Log]\r\nLevel=0\r\nFile=%TEMP%/zeb.log\r\nAppend=0\r\nSync=1\r\nHints=1\r\n\r\n[FS1]\r\n";
  std::string remPath;
  const std::string server = config.Value("CTServer");
  if (!server.empty()) {
    ini += "Server=" + server + "\r\n";
    remPath = UpperAZ(config.Value("REMPath"));
    if (!remPath.empty() && remPath.back() == '\\') remPath.pop_back();
  } else {
    ini += "Server=LOCLIB\r\nUser=TOVEK\r\nPassword=TOVEK\r\n";
  }
  for (const std::string& letter : ModuleLetters(info.NeededChars))
    ini += letter + "=" + ResolveModuleDir(remPath, letter, info, config) + "\r\n";
  ini += "\r\n[zeb]\r\nPrimaryServer=S1\r\nFatalStop=1\r\nBanner=0\r\nVerbose=0\r\n\r\n";
  return ini;
}

bool WriteZebIni(const TApplicationInfo& info, const TZebConfig& config) {
  const std::string dir = info.ZebDir();
  if (dir.empty()) throw EZebIniError("No installation folder for zeb.ini", 0);
  const std::string file = dir + "zeb.ini";
  if (fsys::FileExists(NativePath(file))) return false;
  int error = 0;
  if (!fsys::ForceDirectories(NativePath(dir), &error))
    throw EZebIniError(
        "Cannot create the folder \"" + dir + "\" (error " + std::to_string(error) + ")", error);
  auto bytes = TryUtf8ToCp1252(BuildZebIni(info, config));
  if (!bytes) throw EZebIniError("\"" + file + "\" cannot hold these folder names", 0);
  error = WriteFileReplacing(file, *bytes);
  if (error != 0)
    throw EZebIniError("Cannot write \"" + file + "\" (error " + std::to_string(error) + ")",
                       error);
  return true;
}

std::array<TShortcutRow, 2> ShortcutRows(const TApplicationInfo& info) {
  const std::string target = info.DestDir() + info.Name;
  return {{{"Kro GmbH", fidPrograms, target, info.Title}, {"", fidDesktop, target, info.Title}}};
}
