// The driver's real system: the services of the setup library and the archive engine.
#include <exception>

#include "class_Compress.h"
#include "uFileSys.h"
#include "uPrivateFolder.h"
#include "uSetupLog.h"
#include "uSetupPlatform.h"
#include "uSetupRun.h"
#include "uSysConfig.h"

#ifdef _WIN32
#include <vector>

#include "uText.h"
#else
#include <unistd.h>
#endif

std::string TDefaultSetupSystem::SystemLanguageName() { return GetSystemLanguageName(); }

std::string TDefaultSetupSystem::CurrentDirectory() {
#ifdef _WIN32
  DWORD n = GetCurrentDirectoryW(0, nullptr);
  if (n == 0) return {};
  std::vector<wchar_t> buffer(n);
  n = GetCurrentDirectoryW(n, buffer.data());
  return n && n < buffer.size() ? Narrow(std::wstring_view(buffer.data(), n)) : std::string();
#else
  char buffer[4096];
  return getcwd(buffer, sizeof buffer) ? std::string(buffer) : std::string();
#endif
}

bool TDefaultSetupSystem::ChangeDirectory(const std::string& dir) {
#ifdef _WIN32
  return SetCurrentDirectoryW(Widen(dir).c_str()) != 0;
#else
  return chdir(NativePath(dir).c_str()) == 0;
#endif
}

std::string TDefaultSetupSystem::OwnExePath() { return fsys::OwnExecutable().value_or(""); }

int64_t TDefaultSetupSystem::FileSize(const std::string& path) {
  return fsys::FileSize(NativePath(path)).value_or(-1);
}

std::string TDefaultSetupSystem::ReadHead(const std::string& path, size_t maxBytes) {
  fsys::TFile file = fsys::TFile::OpenRead(NativePath(path));
  if (!file.IsOpen()) return {};
  std::string head(maxBytes, '\0');
  int64_t n = file.Read(head.data(), head.size());
  head.resize(n > 0 ? static_cast<size_t>(n) : 0);
  return head;
}

bool TDefaultSetupSystem::FileExists(const std::string& path) {
  return fsys::FileExists(NativePath(path));
}

std::string TDefaultSetupSystem::FindInstallation() { return ::FindInstallation(); }

std::optional<std::string> TDefaultSetupSystem::CreateWorkFolder() {
  return CreatePrivateFolder(NativePath(GetTempDir()));
}

void TDefaultSetupSystem::RemoveWorkFolder(const std::string& dir) { RemoveFolderTree(dir); }

bool TDefaultSetupSystem::ReadDescription(TApplicationInfo& info, const std::string& folder) {
  return ::ReadDescription(info, folder);
}

std::string TDefaultSetupSystem::ZebValue(std::string_view name) { return GetZebValue(name); }

uint32_t TDefaultSetupSystem::PlatformId() { return GetOSVersionPart(3); }

void TDefaultSetupSystem::ReadArchiveTotals(const std::string& archive, TlzhFileStats& totals) {
  TQuillCompress loader;
  loader.SetCompressedFile(NativePath(archive));
  loader.ReadHeaders();
  loader.Headers().InitTotals(totals);
}

void TDefaultSetupSystem::SetupAutoexec(const TApplicationInfo& info) { ::SetupAutoexec(info); }

void TDefaultSetupSystem::SetupEnvironmentNT(const TApplicationInfo& info) {
  ::SetupEnvironmentNT(info);
}

void TDefaultSetupSystem::WriteZebIni(const TApplicationInfo& info) {
  ::WriteZebIni(info, ZebConfig());
}

void TDefaultSetupSystem::CreateShortcuts(const TApplicationInfo& info) {
#ifdef _WIN32
  ::CreateShortcuts(info);
#else
  (void)info;  // no shell to hold links in the native build
#endif
}

void TDefaultSetupSystem::RebootWindows() { ::RebootWindows(); }

std::string TDefaultSetupSystem::Environment() { return EnvironmentSummary(); }

void TDefaultSetupSystem::LogLine(std::string_view key, std::string_view value) {
  SetupLogLine(key, value);
}
