#include "uKropackSys.h"

#ifdef _WIN32
#include <io.h>
#include <windows.h>

#include "uDates.h"
#include "uHandles.h"
#include "uText.h"
#else
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <ctime>

#include "uDates.h"
#endif

#include "uFileSys.h"
#include "uPaths.h"

#ifdef _WIN32

bool IsRegularFile(const std::string& path) {
  DWORD attributes = GetFileAttributesW(Widen(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES &&
         !(attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE));
}

namespace {

bool FileIdentity(const std::string& path, BY_HANDLE_FILE_INFORMATION& info) {
  auto file = TFileHandle::FromCreate(
      CreateFileW(Widen(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  return file && GetFileInformationByHandle(file.Get(), &info);
}

}  // namespace

bool IsSameFile(const std::string& a, const std::string& b) {
  BY_HANDLE_FILE_INFORMATION x, y;
  return FileIdentity(a, x) && FileIdentity(b, y) &&
         x.dwVolumeSerialNumber == y.dwVolumeSerialNumber && x.nFileIndexHigh == y.nFileIndexHigh &&
         x.nFileIndexLow == y.nFileIndexLow;
}

bool IsTerminal(std::FILE* stream) { return _isatty(_fileno(stream)) != 0; }

std::optional<double> LocalDate(int64_t utcSeconds) {
  // FILETIME counts 100 ns from 1601.
  auto ticks = static_cast<uint64_t>((utcSeconds + 11'644'473'600) * 10'000'000);
  FILETIME ft{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
  SYSTEMTIME utc, local;
  if (!FileTimeToSystemTime(&ft, &utc) || !SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local))
    return std::nullopt;
  return EncodeDateTime(
      {local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond, 0});
}

std::string SystemErrorText(int code) {
  wchar_t text[512];
  DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                           static_cast<DWORD>(code), 0, text, 512, nullptr);
  std::string message = Narrow(std::wstring_view(text, n));
  while (!message.empty() && static_cast<unsigned char>(message.back()) <= ' ') message.pop_back();
  return (message.empty() ? "system error" : message) + " (error " + std::to_string(code) + ")";
}

std::string MakeScratchFolder() {
  wchar_t temp[MAX_PATH + 1];
  DWORD n = GetTempPathW(MAX_PATH + 1, temp);
  if (n == 0 || n > MAX_PATH) return {};
  const std::string base =
      IncludeTrailingDelimiter(Narrow(std::wstring_view(temp, n))) + "kropack-";
  for (unsigned i = 0; i < 100; ++i) {
    std::string path = base + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(i);
    if (CreateDirectoryW(Widen(path).c_str(), nullptr)) return path;
  }
  return {};
}

static bool RemoveFolder(const std::string& path) {
  return RemoveDirectoryW(Widen(path).c_str()) != 0;
}

#else

bool IsRegularFile(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool IsSameFile(const std::string& a, const std::string& b) {
  struct stat x, y;
  return ::stat(a.c_str(), &x) == 0 && ::stat(b.c_str(), &y) == 0 && x.st_dev == y.st_dev &&
         x.st_ino == y.st_ino;
}

bool IsTerminal(std::FILE* stream) { return ::isatty(::fileno(stream)) != 0; }

std::optional<double> LocalDate(int64_t utcSeconds) {
  auto t = static_cast<time_t>(utcSeconds);
  struct tm local;
  ::tzset();
  if (!::localtime_r(&t, &local)) return std::nullopt;
  return EncodeDateTime({local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                         local.tm_min, local.tm_sec, 0});
}

std::string SystemErrorText(int code) {
  return std::string(std::strerror(code)) + " (error " + std::to_string(code) + ")";
}

std::string MakeScratchFolder() {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = IncludeTrailingDelimiter(tmp && *tmp ? tmp : "/tmp") + "kropack-XXXXXX";
  return ::mkdtemp(pattern.data()) ? pattern : std::string();
}

static bool RemoveFolder(const std::string& path) { return ::rmdir(path.c_str()) == 0; }

#endif

void RemoveTree(const std::string& path) {
  if (auto entries = fsys::ListDirectory(path))
    for (const fsys::TDirEntry& e : *entries) {
      std::string inner = IncludeTrailingDelimiter(path) + e.Name;
      if (e.IsDirectory)
        RemoveTree(inner);
      else
        fsys::RemoveFile(inner);
    }
  RemoveFolder(path);
}
