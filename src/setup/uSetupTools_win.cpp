// The system tools over Win32 (wide-character calls).
#include <windows.h>

#include <vector>

#include "uHandles.h"
#include "uSetupPlatform.h"
#include "uSetupTools.h"
#include "uText.h"

std::optional<std::string> PlatformGetEnv(const std::string& name) {
  std::wstring wname = Widen(name);
  std::vector<wchar_t> buffer(256);
  // Values of any length are read whole: grow until the value fits.
  for (;;) {
    SetLastError(0);
    DWORD n = GetEnvironmentVariableW(wname.c_str(), buffer.data(), DWORD(buffer.size()));
    if (n == 0)
      return GetLastError() == ERROR_ENVVAR_NOT_FOUND ? std::nullopt
                                                      : std::optional<std::string>("");
    if (n < buffer.size()) return Narrow(std::wstring_view(buffer.data(), n));
    buffer.resize(n);
  }
}

void PlatformReboot() {
  HANDLE token = nullptr;
  if (OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) {
    TKernelHandle owner(token);
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (LookupPrivilegeValueW(nullptr, L"SeShutdownPrivilege", &privileges.Privileges[0].Luid))
      AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
  }
  ExitWindowsEx(EWX_REBOOT | EWX_FORCE, 0);
}

void PlatformBroadcastEnvironmentChange() {
  DWORD_PTR result = 0;
  // A hung window must not hold up the setup: skip it, and give the others five seconds.
  SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"Environment"),
                      SMTO_ABORTIFHUNG, 5000, &result);
}

std::string GetTempDir() {
  wchar_t buffer[MAX_PATH + 1] = {};
  DWORD n = GetTempPathW(MAX_PATH + 1, buffer);
  std::string dir = n && n <= MAX_PATH ? Narrow(std::wstring_view(buffer, n)) : "C:\\";
  if (dir.back() != '\\') dir += '\\';
  return dir;
}

std::string MakeTempFile(const std::string& prefix) {
  wchar_t buffer[MAX_PATH] = {};
  if (!GetTempFileNameW(Widen(GetTempDir()).c_str(), Widen(prefix).c_str(), 0, buffer)) return {};
  return Narrow(buffer);
}

std::string GetSystemLanguageName() {
  wchar_t buffer[256] = {};
  VerLanguageNameW(GetSystemDefaultLangID(), buffer, 255);
  // The returned count is not to be trusted (it may include the terminator): take the text.
  return Narrow(buffer);
}

uint32_t GetOSVersionPart(int part) {
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof info;
  if (!GetVersionExW(&info)) return 0;
  switch (part) {
    case 1:
      return info.dwMinorVersion;
    case 2:
      return info.dwBuildNumber;
    case 3:
      return info.dwPlatformId;
    default:
      return info.dwMajorVersion;
  }
}

double GetFreeSpace(const std::string& drive) {
  std::string path = drive;
  if (path.size() == 2 && path[1] == ':') path += '\\';
  ULARGE_INTEGER available{};
  if (!GetDiskFreeSpaceExW(Widen(LowerAZ(path)).c_str(), &available, nullptr, nullptr)) return 0;
  return static_cast<double>(available.QuadPart);
}

std::string NativePath(const std::string& path) { return path; }

std::string SystemErrorMessage(int code) {
  wchar_t text[256] = L"";
  const DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                 nullptr, DWORD(code), 0, text, 256, nullptr);
  return n ? Narrow(std::wstring_view(text, n)) : std::string();
}
