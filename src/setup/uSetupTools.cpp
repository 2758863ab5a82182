#include "uSetupTools.h"

#include <climits>

#include "uFileSys.h"
#include "uIniFile.h"
#include "uRegistry.h"
#include "uReplaceFile.h"
#include "uSetupPlatform.h"
#include "uText.h"

std::string TApplicationInfo::DestDir() const {
  if (Destination.empty() || Destination.back() == '\\') return Destination;
  return Destination + '\\';
}

std::string TApplicationInfo::ZebDir() const {
  std::string dir = DestDir();
  return dir.empty() ? dir : dir + "ZEB\\";
}

bool ReadDescription(TApplicationInfo& info, const std::string& folder) {
  if (TrimControls(info.Package).empty() || TrimControls(info.InfFile).empty()) return false;
  const TIniFile ini = TIniFile::Load(NativePath(folder + info.InfFile));
  const std::string_view S = "ApplicationInfo";
  info.Name = ini.ReadString(S, "Name", "");
  info.Title = ini.ReadString(S, "Title", "");
  info.Version = ini.ReadString(S, "Version", "");
  info.Description = ini.ReadString(S, "Description", "");
  info.Remark = ini.ReadString(S, "Remark", "");
  info.Readme = ini.ReadString(S, "Readme", "");
  // The description, not the archive listing, decides which member is the package.
  info.Package = ini.ReadString(S, "Package", "");
  info.LibsIncluded = static_cast<uint8_t>(ini.ReadInteger(S, "LibsIncluded", 0) & 0xFF);
  info.NeededChars = UpperAZ(ini.ReadString(S, "NeededChars", ""));
  // The library itself is always configured.
  if (info.NeededChars.find('Q') == std::string::npos) info.NeededChars += 'Q';
  info.FullInstallation = ini.ReadBool(S, "FullInstallation", false);
  // Without a package there is nothing to unpack: say so now, not with an engine error later.
  return !TrimControls(info.Package).empty();
}

TSystemHooks DefaultSystemHooks() {
  return {PlatformGetEnv, PlatformReboot, PlatformBroadcastEnvironmentChange};
}

TSystemHooks& SystemHooks() {
  static TSystemHooks hooks = DefaultSystemHooks();
  return hooks;
}

std::string GetEnvVar(const std::string& name) {
  auto& get = SystemHooks().GetEnv;
  return get ? get(name).value_or(std::string()) : std::string();
}

int32_t GetFileSizeOf(const std::string& path) {
  std::optional<int64_t> size = fsys::FileSize(NativePath(path));
  if (!size) return -1;
  return *size > INT32_MAX ? INT32_MAX : static_cast<int32_t>(*size);
}

int32_t GetOwnExeSize() { return GetFileSizeOf(fsys::OwnExecutable().value_or("")); }

std::string GetBootDir() {
  const std::string fallback = "C:\\";
  try {
    // Reading needs no write access, and reading must not create the key.
    TRegExt reg("Software\\Microsoft\\Windows\\CurrentVersion\\Setup", true, TRegRoot::LocalMachine,
                false);
    std::string dir = reg.ReadString("", "BootDir", "");
    // A missing value would give "\", the root of whatever drive is current: not a boot folder.
    if (TrimControls(dir).empty()) return fallback;
    if (dir.back() != '\\') dir += '\\';
    return dir;
  } catch (const ERegistryError&) {
    return fallback;
  }
}

void RebootWindows() {
  if (auto& reboot = SystemHooks().Reboot) reboot();
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
  fsys::TFile file = fsys::TFile::OpenRead(NativePath(path));
  if (!file.IsOpen()) return std::nullopt;
  std::string text;
  char buffer[8192];
  int64_t n;
  while ((n = file.Read(buffer, sizeof buffer)) > 0) text.append(buffer, static_cast<size_t>(n));
  if (n < 0) return std::nullopt;
  return text;
}

int WriteFileReplacing(const std::string& path, const std::string& bytes) {
  TReplacement file;
  if (int failed = file.Open(NativePath(path))) return failed;
  if (file.File().Write(bytes.data(), bytes.size()) != static_cast<int64_t>(bytes.size()))
    return -1;
  return file.Commit();
}
