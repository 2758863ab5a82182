#include "uGetZebIni.h"

#include <algorithm>

#include "uRegistry.h"
#include "uSetupTools.h"
#include "uText.h"

namespace {

bool LessNoCase(const std::string& a, const std::string& b) { return LowerAZ(a) < LowerAZ(b); }

// Cuts v before the first "\zeb" of its lower-case form.
void CutAtZeb(std::string& v) {
  size_t at = LowerAZ(v).find("\\zeb");
  if (at != std::string::npos) v.resize(at);
}

}  // namespace

void TZebConfig::AddText(std::string_view cp1252, TSeenKeys& seen) {
  const std::string text = Cp1252ToUtf8(cp1252);
  std::string_view rest = text;
  while (!rest.empty()) {
    size_t end = rest.find('\n');
    std::string_view line = TrimControls(rest.substr(0, end));
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    size_t eq = line.find('=');
    if (line.empty() || line.front() == '#' || eq == std::string_view::npos) continue;
    std::string key = UpperAZ(TrimControls(line.substr(0, eq)));
    if (std::find(seen.begin(), seen.end(), key) != seen.end()) continue;
    seen.push_back(std::move(key));
    std::string entry(line);
    FLines.insert(std::upper_bound(FLines.begin(), FLines.end(), entry, LessNoCase),
                  std::move(entry));
  }
}

std::string TZebConfig::Value(std::string_view name) const {
  const std::string key = UpperAZ(name);
  for (const std::string& line : FLines) {
    size_t eq = line.find('=');
    if (SameTextAZ(std::string_view(line).substr(0, eq), key)) return line.substr(eq + 1);
  }
  return {};
}

void TZebConfig::Load(const std::string& dir) {
  Clear();
  std::string library = dir.empty() ? GetEnvVar("ZEB") : dir;
  if (library.empty()) return;
  TSeenKeys seen;
  for (const std::string& file : ZebConfigFiles(ZebLibraryDir(library), GetEnvVar("UID")))
    if (auto text = ReadWholeFile(file)) AddText(*text, seen);
}

TZebConfig& ZebConfig() {
  static TZebConfig config;
  return config;
}

void LoadZebConfig(const std::string& dir) { ZebConfig().Load(dir); }
std::string GetZebValue(std::string_view name) { return ZebConfig().Value(name); }

std::string FindInstallation() {
  std::string v = GetEnvVar("ZEB");
  CutAtZeb(v);
  if (v.empty()) {
    try {
      v = LowerAZ(ReadMakerRegistration());
    } catch (const ERegistryError&) {
      v.clear();
    }
    CutAtZeb(v);
  }
  return v;
}

std::string ReadMakerRegistration() {
  TRegExt maker("SOFTWARE\\Kro GmbH", true, TRegRoot::LocalMachine32, false);
  return maker.ReadString("Shared", "ZEB", "");
}

std::string ZebLibraryDir(const std::string& dir) {
  if (dir.empty() || LowerAZ(dir).find("\\zeb") != std::string::npos) return dir;
  return dir.back() == '\\' ? dir + "zeb" : dir + "\\zeb";
}

std::vector<std::string> ZebConfigFiles(const std::string& libraryDir, const std::string& uid) {
  std::vector<std::string> files;
  if (!uid.empty()) files.push_back(libraryDir + "\\w32\\etc\\zeb." + uid);
  files.push_back(libraryDir + "\\w32\\etc\\zeb.ini");
  return files;
}
