// The archive's file layer over Win32 (wide-character calls; error codes from GetLastError).
#include <windows.h>

#include "uDates.h"
#include "uFileSys.h"
#include "uHandles.h"
#include "uText.h"

namespace fsys {

int InvalidNameError() { return ERROR_INVALID_NAME; }

namespace {

HANDLE H(intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

void SetError(int* error) {
  if (error) *error = static_cast<int>(GetLastError());
}

DWORD Attributes(const std::string& path) { return GetFileAttributesW(Widen(path).c_str()); }

}  // namespace

void CloseNative(intptr_t handle) { handles_detail::CloseFile(reinterpret_cast<HANDLE>(handle)); }

namespace {

// One CreateFileW for every way the layer opens a file; the handle, or -1 with the error.
intptr_t OpenHandle(const std::string& path, DWORD access, DWORD share, DWORD disposition,
                    DWORD flags, int* error) {
  HANDLE h = CreateFileW(Widen(path).c_str(), access, share, nullptr, disposition,
                         FILE_ATTRIBUTE_NORMAL | flags, nullptr);
  if (h == INVALID_HANDLE_VALUE) SetError(error);
  return reinterpret_cast<intptr_t>(h);
}

}  // namespace

// The buffer grows until the whole name fits: a program in a long path finds itself too.
std::optional<std::string> OwnExecutable() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()));
    if (n == 0) return std::nullopt;
    if (n < path.size()) return Narrow(std::wstring_view(path.data(), n));
    if (path.size() >= 32'768) return std::nullopt;
    path.resize(path.size() * 2);
  }
}

TFile TFile::OpenRead(const std::string& path, int* error) {
  return TFile(OpenHandle(path, GENERIC_READ,
                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING,
                          FILE_FLAG_SEQUENTIAL_SCAN, error));
}

// DELETE access lets RenameTo move the file through this handle.
TFile TFile::Create(const std::string& path, int* error) {
  return TFile(OpenHandle(path, GENERIC_READ | GENERIC_WRITE | DELETE, 0, CREATE_ALWAYS, 0, error));
}

// A link at the name is taken as it is, never followed to wherever it leads.
TFile TFile::CreateNew(const std::string& path, int* error) {
  return TFile(OpenHandle(path, GENERIC_READ | GENERIC_WRITE | DELETE, 0, CREATE_NEW,
                          FILE_FLAG_OPEN_REPARSE_POINT, error));
}

int64_t TFile::Read(void* buffer, size_t count) {
  size_t done = 0;
  while (done < count) {
    DWORD part = static_cast<DWORD>(std::min<size_t>(count - done, 1u << 30));
    DWORD got = 0;
    if (!ReadFile(H(Handle.Get()), static_cast<char*>(buffer) + done, part, &got, nullptr))
      return -1;
    if (got == 0) break;
    done += got;
  }
  return static_cast<int64_t>(done);
}

int64_t TFile::Write(const void* buffer, size_t count) {
  size_t done = 0;
  while (done < count) {
    DWORD part = static_cast<DWORD>(std::min<size_t>(count - done, 1u << 30));
    DWORD put = 0;
    if (!WriteFile(H(Handle.Get()), static_cast<const char*>(buffer) + done, part, &put, nullptr) ||
        put == 0)
      break;
    done += put;
  }
  return static_cast<int64_t>(done);
}

bool TFile::Seek(int64_t position) {
  LARGE_INTEGER to;
  to.QuadPart = position;
  return position >= 0 && SetFilePointerEx(H(Handle.Get()), to, nullptr, FILE_BEGIN);
}

int64_t TFile::Position() const {
  LARGE_INTEGER zero{}, at{};
  return SetFilePointerEx(H(Handle.Get()), zero, &at, FILE_CURRENT) ? at.QuadPart : -1;
}

int64_t TFile::Size() const {
  LARGE_INTEGER size{};
  return GetFileSizeEx(H(Handle.Get()), &size) ? size.QuadPart : -1;
}

bool TFile::TakeDateAndAttributes(const TFile& source) {
  FILE_BASIC_INFO from;
  if (!GetFileInformationByHandleEx(H(source.Handle.Get()), FileBasicInfo, &from, sizeof from))
    return false;
  // Zero times stay as they are; only the attributes a file copy carries over.
  constexpr DWORD kCopied = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                            FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                            FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
  from.CreationTime.QuadPart = from.LastAccessTime.QuadPart = from.ChangeTime.QuadPart = 0;
  from.FileAttributes &= kCopied;
  if (!from.FileAttributes) from.FileAttributes = FILE_ATTRIBUTE_NORMAL;
  return SetFileInformationByHandle(H(Handle.Get()), FileBasicInfo, &from, sizeof from);
}

bool RealPath(const std::string& path, std::string& real) {
  // No access asked for: a file in use or a folder can still be resolved.
  auto file = TFileHandle::FromCreate(
      H(OpenHandle(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING,
                   FILE_FLAG_BACKUP_SEMANTICS, nullptr)));
  // Longer real paths count as none: what cannot be resolved lies elsewhere.
  wchar_t final[1024];
  DWORD n = file ? GetFinalPathNameByHandleW(file.Get(), final, 1024, 0) : 0;
  if (n == 0 || n >= 1024) return false;
  real = Narrow(std::wstring_view(final, n));
  return true;
}

bool TFile::Flush(int* error) {
  if (FlushFileBuffers(H(Handle.Get()))) return true;
  SetError(error);
  return false;
}

bool FileExists(const std::string& path) {
  DWORD a = Attributes(path);
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

int ProbeReplaceable(const std::string& path, bool& exists) {
  // Exclusive access is what replacing needs; a link is probed itself, as it is what goes.
  int code = 0;
  auto file = TFileHandle::FromCreate(H(OpenHandle(
      path, GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, &code)));
  exists = code != ERROR_FILE_NOT_FOUND && code != ERROR_PATH_NOT_FOUND;
  return exists ? code : 0;
}

bool DirectoryExists(const std::string& path) {
  DWORD a = Attributes(path);
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool ForceDirectories(const std::string& path, int* error) {
  std::string dir = path;
  while (dir.size() > 1 && IsPathDelim(dir.back())) dir.pop_back();
  // A drive root ("C:") or an empty path needs no creating.
  if (dir.empty() || (dir.size() == 2 && dir[1] == ':') || DirectoryExists(dir)) return true;
  auto cut = dir.find_last_of("\\/");
  if (cut != std::string::npos && cut > 0 && !ForceDirectories(dir.substr(0, cut), error))
    return false;
  if (CreateDirectoryW(Widen(dir).c_str(), nullptr) || DirectoryExists(dir)) return true;
  SetError(error);
  return false;
}

bool RemoveFile(const std::string& path) { return DeleteFileW(Widen(path).c_str()); }

bool RenameOver(const std::string& from, const std::string& to, int* error) {
  if (MoveFileExW(Widen(from).c_str(), Widen(to).c_str(),
                  MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED))
    return true;
  SetError(error);
  return false;
}

std::optional<int64_t> FileSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(Widen(path).c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
    return std::nullopt;
  return (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

namespace {

// FILETIME counts 100 ns from 1601; the date rules count seconds from 1970.
constexpr int64_t kTicks = 10'000'000, k1601To1970 = 11'644'473'600;

int64_t Seconds(const FILETIME& ft) {
  return static_cast<int64_t>((static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime) /
             kTicks -
         k1601To1970;
}

FILETIME FromSeconds(int64_t seconds) {
  auto ticks = static_cast<uint64_t>((seconds + k1601To1970) * kTicks);
  return {static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

// The zone's rules for the instant itself, not today's offset (FileTimeToLocalFileTime).
bool UtcToLocal(const FILETIME& utc, SYSTEMTIME& local) {
  SYSTEMTIME st;
  return FileTimeToSystemTime(&utc, &st) && SystemTimeToTzSpecificLocalTime(nullptr, &st, &local);
}

int64_t OffsetAt(int64_t utc) {
  SYSTEMTIME local;
  FILETIME ft;
  if (!UtcToLocal(FromSeconds(utc), local) || !SystemTimeToFileTime(&local, &ft)) return 0;
  return Seconds(ft) - utc;
}

bool DosToFileTime(uint16_t dosDate, uint16_t dosTime, FILETIME& utc) {
  auto local = DosToLocalSeconds(dosDate, dosTime);
  if (!local) return false;
  utc = FromSeconds(LocalToUtc(*local, OffsetAt));
  return true;
}

}  // namespace

std::optional<double> FileDateTime(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  SYSTEMTIME st;
  if (!GetFileAttributesExW(Widen(path).c_str(), GetFileExInfoStandard, &data) ||
      !UtcToLocal(data.ftLastWriteTime, st))
    return std::nullopt;
  return EncodeDateTime(
      {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds});
}

bool TFile::RenameTo(const std::string&, const std::string& to, int* error) {
  if (!IsOpen()) return false;
  // The full name goes straight into the rename request; a longer one than fits is refused.
  struct {
    FILE_RENAME_INFO Info;
    wchar_t Room[MAX_PATH * 2];
  } request{};
  constexpr DWORD kRoom = MAX_PATH * 2 + 1;
  DWORD n = GetFullPathNameW(Widen(to).c_str(), kRoom, request.Info.FileName, nullptr);
  if (n == 0 || n >= kRoom) {
    if (error) *error = n ? ERROR_FILENAME_EXCED_RANGE : static_cast<int>(GetLastError());
    return false;
  }
  request.Info.ReplaceIfExists = TRUE;
  request.Info.FileNameLength = n * sizeof(wchar_t);
  if (SetFileInformationByHandle(H(Handle.Get()), FileRenameInfo, &request, sizeof request))
    return true;
  SetError(error);
  return false;
}

bool TFile::SetDosDateTime(uint16_t dosDate, uint16_t dosTime) {
  FILETIME utc;
  return IsOpen() && DosToFileTime(dosDate, dosTime, utc) &&
         SetFileTime(H(Handle.Get()), nullptr, nullptr, &utc);
}

bool SetFileDosDateTime(const std::string& path, uint16_t dosDate, uint16_t dosTime) {
  FILETIME utc;
  if (!DosToFileTime(dosDate, dosTime, utc)) return false;
  auto file = TFileHandle::FromCreate(CreateFileW(Widen(path).c_str(), FILE_WRITE_ATTRIBUTES,
                                                  FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                                  FILE_ATTRIBUTE_NORMAL, nullptr));
  return file && SetFileTime(file.Get(), nullptr, nullptr, &utc);
}

std::optional<std::vector<TDirEntry>> ListDirectory(const std::string& path) {
  WIN32_FIND_DATAW data;
  std::string pattern = path;
  if (!pattern.empty() && !IsPathDelim(pattern.back())) pattern += kPathDelim;
  auto find = TFindHandle::FromFind(FindFirstFileW(Widen(pattern + "*").c_str(), &data));
  if (!find) return std::nullopt;
  std::vector<TDirEntry> entries;
  do {
    std::string name = Narrow(data.cFileName);
    if (name == "." || name == "..") continue;
    entries.push_back({name, (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
  } while (FindNextFileW(find.Get(), &data));
  return entries;
}

}  // namespace fsys
