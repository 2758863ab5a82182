// The system tools of the native build, where the setup's logic is tested. There is no machine
// to restart or to notify here, and paths use slashes.
#include <sys/statvfs.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "uSetupPlatform.h"
#include "uSetupTools.h"
#include "uText.h"

std::optional<std::string> PlatformGetEnv(const std::string& name) {
  const char* value = std::getenv(name.c_str());
  if (!value) return std::nullopt;
  return std::string(value);
}

void PlatformReboot() {}
void PlatformBroadcastEnvironmentChange() {}

std::string GetTempDir() {
  std::string dir = GetEnvVar("TMPDIR");
  if (dir.empty()) dir = "/tmp";
  if (dir.back() != '/') dir += '/';
  return dir;
}

std::string MakeTempFile(const std::string& prefix) {
  std::string path = GetTempDir() + prefix.substr(0, 3) + "XXXXXX";
  int fd = mkstemp(path.data());
  if (fd < 0) return {};
  close(fd);
  return path;
}

std::string GetSystemLanguageName() {
  std::string lang = LowerAZ(GetEnvVar("LANG"));
  return lang.starts_with("de") ? "Deutsch (Deutschland)" : "English (United States)";
}

uint32_t GetOSVersionPart(int part) {
  if (part == 3) return 2;  // never the 9x family
  utsname name{};
  if (uname(&name) != 0) return 0;
  unsigned major = 0, minor = 0;
  std::sscanf(name.release, "%u.%u", &major, &minor);
  return part == 1 ? minor : part == 2 ? 0 : major;
}

double GetFreeSpace(const std::string& drive) {
  struct statvfs info {};
  if (drive.empty() || statvfs(NativePath(drive).c_str(), &info) != 0) return 0;
  return static_cast<double>(info.f_bavail) * static_cast<double>(info.f_frsize);
}

std::string NativePath(const std::string& path) {
  std::string native = path;
  for (char& c : native)
    if (c == '\\') c = '/';
  return native;
}

std::string SystemErrorMessage(int code) { return code > 0 ? std::strerror(code) : std::string(); }
