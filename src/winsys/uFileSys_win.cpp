// The archive's file layer over Win32 (wide-character calls; error codes from GetLastError).
#include <windows.h>

#include "uDates.h"
#include "uFileSys.h"
#include "uHandles.h"
#include "uText.h"

namespace fsys {

int InvalidNameError() { return ERROR_INVALID_NAME; }
int LeadsOutsideError() { return ERROR_STOPPED_ON_SYMLINK; }

namespace {

HANDLE H(intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

void SetError(int* error) {
  if (error) *error = static_cast<int>(GetLastError());
}

DWORD Attributes(const std::string& path) { return GetFileAttributesW(Widen(path).c_str()); }

}  // namespace

TFile& TFile::operator=(TFile&& other) noexcept {
  if (this != &other) {
    Close();
    Handle = other.Handle;
    other.Handle = kNone;
  }
  return *this;
}

TFile TFile::OpenRead(const std::string& path, int* error) {
  HANDLE h = CreateFileW(Widen(path).c_str(), GENERIC_READ,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    SetError(error);
    return TFile();
  }
  return TFile(reinterpret_cast<intptr_t>(h));
}

TFile TFile::Create(const std::string& path, int* error) {
  // DELETE access lets RenameTo move the file through this handle.
  HANDLE h = CreateFileW(Widen(path).c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr,
                         CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    SetError(error);
    return TFile();
  }
  return TFile(reinterpret_cast<intptr_t>(h));
}

TFile TFile::CreateNew(const std::string& path, int* error) {
  // A link at the name is taken as it is, never followed to wherever it leads.
  HANDLE h = CreateFileW(Widen(path).c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr,
                         CREATE_NEW, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    SetError(error);
    return TFile();
  }
  return TFile(reinterpret_cast<intptr_t>(h));
}

int64_t TFile::Read(void* buffer, size_t count) {
  size_t done = 0;
  while (done < count) {
    DWORD part = static_cast<DWORD>(std::min<size_t>(count - done, 1u << 30));
    DWORD got = 0;
    if (!ReadFile(H(Handle), static_cast<char*>(buffer) + done, part, &got, nullptr)) return -1;
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
    if (!WriteFile(H(Handle), static_cast<const char*>(buffer) + done, part, &put, nullptr) ||
        put == 0)
      break;
    done += put;
  }
  return static_cast<int64_t>(done);
}

bool TFile::Seek(int64_t position) {
  LARGE_INTEGER to;
  to.QuadPart = position;
  return position >= 0 && SetFilePointerEx(H(Handle), to, nullptr, FILE_BEGIN);
}

int64_t TFile::Position() const {
  LARGE_INTEGER zero{}, at{};
  return SetFilePointerEx(H(Handle), zero, &at, FILE_CURRENT) ? at.QuadPart : -1;
}

int64_t TFile::Size() const {
  LARGE_INTEGER size{};
  return GetFileSizeEx(H(Handle), &size) ? size.QuadPart : -1;
}

bool TFile::Flush() { return IsOpen() && FlushFileBuffers(H(Handle)); }

void TFile::Close() {
  if (Handle != kNone) CloseHandle(H(Handle));
  Handle = kNone;
}

bool FileExists(const std::string& path) {
  DWORD a = Attributes(path);
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool NameTaken(const std::string& path) { return Attributes(path) != INVALID_FILE_ATTRIBUTES; }

int ProbeReplaceable(const std::string& path, bool& exists) {
  // Exclusive access is what replacing needs; a link is probed itself, as it is what goes.
  auto file = TFileHandle::FromCreate(
      CreateFileW(Widen(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  const DWORD code = file ? 0 : GetLastError();
  exists = code != ERROR_FILE_NOT_FOUND && code != ERROR_PATH_NOT_FOUND;
  return exists ? static_cast<int>(code) : 0;
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

bool TFile::RenameTo(const std::string& from, const std::string& to, int* error) {
  if (!IsOpen()) return false;
  std::wstring target = Widen(to);
  wchar_t full[MAX_PATH * 2];
  DWORD n = GetFullPathNameW(target.c_str(), MAX_PATH * 2, full, nullptr);
  if (n == 0 || n >= MAX_PATH * 2) return RenameOver(from, to, error);
  std::vector<uint8_t> buffer(sizeof(FILE_RENAME_INFO) + n * sizeof(wchar_t));
  auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
  info->ReplaceIfExists = TRUE;
  info->RootDirectory = nullptr;
  info->FileNameLength = n * sizeof(wchar_t);
  std::copy(full, full + n, info->FileName);
  if (SetFileInformationByHandle(H(Handle), FileRenameInfo, info,
                                 static_cast<DWORD>(buffer.size())))
    return true;
  SetError(error);
  return false;
}

bool TFile::SetDosDateTime(uint16_t dosDate, uint16_t dosTime) {
  FILETIME utc;
  return IsOpen() && DosToFileTime(dosDate, dosTime, utc) &&
         SetFileTime(H(Handle), nullptr, nullptr, &utc);
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
