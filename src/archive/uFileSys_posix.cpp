// The file layer over POSIX, for the native build (kropack, tests, fuzzing).
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "uDates.h"
#include "uFileSys.h"

namespace fsys {

int InvalidNameError() { return EINVAL; }

namespace {

void SetError(int* error) {
  if (error) *error = errno;
}

}  // namespace

void CloseNative(intptr_t handle) { ::close(static_cast<int>(handle)); }

TFile TFile::OpenRead(const std::string& path, int* error) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) SetError(error);
  // A folder opens on POSIX but is no file to read.
  struct stat st;
  if (fd >= 0 && (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode))) {
    ::close(fd);
    if (error) *error = EISDIR;
    return TFile();
  }
  return TFile(fd);
}

TFile TFile::Create(const std::string& path, int* error) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) SetError(error);
  return TFile(fd);
}

TFile TFile::CreateNew(const std::string& path, int* error) {
  // O_EXCL with O_CREAT never follows a link at the name.
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) SetError(error);
  return TFile(fd);
}

int64_t TFile::Read(void* buffer, size_t count) {
  size_t done = 0;
  while (done < count) {
    ssize_t n =
        ::read(static_cast<int>(Handle.Get()), static_cast<char*>(buffer) + done, count - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return -1;
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  return static_cast<int64_t>(done);
}

int64_t TFile::Write(const void* buffer, size_t count) {
  size_t done = 0;
  while (done < count) {
    ssize_t n = ::write(static_cast<int>(Handle.Get()), static_cast<const char*>(buffer) + done,
                        count - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  return static_cast<int64_t>(done);
}

bool TFile::Seek(int64_t position) {
  return position >= 0 && ::lseek(static_cast<int>(Handle.Get()), position, SEEK_SET) == position;
}

int64_t TFile::Position() const { return ::lseek(static_cast<int>(Handle.Get()), 0, SEEK_CUR); }

int64_t TFile::Size() const {
  struct stat st;
  return ::fstat(static_cast<int>(Handle.Get()), &st) == 0 ? st.st_size : -1;
}

bool TFile::TakeDateAndAttributes(const TFile& source) {
  struct stat st;
  if (::fstat(static_cast<int>(source.Handle.Get()), &st) != 0) return false;
  struct timespec times[2] = {{0, UTIME_OMIT}, st.st_mtim};
  return ::fchmod(static_cast<int>(Handle.Get()), st.st_mode & 07777) == 0 &&
         ::futimens(static_cast<int>(Handle.Get()), times) == 0;
}

std::optional<std::string> OwnExecutable() {
  std::string path(4096, '\0');
  const ssize_t n = ::readlink("/proc/self/exe", path.data(), path.size());
  if (n <= 0 || static_cast<size_t>(n) >= path.size()) return std::nullopt;
  path.resize(static_cast<size_t>(n));
  return path;
}

bool RealPath(const std::string& path, std::string& real) {
  char* resolved = ::realpath(path.c_str(), nullptr);
  if (!resolved) return false;
  real = resolved;
  std::free(resolved);
  return true;
}

bool TFile::Flush(int* error) {
  if (::fsync(static_cast<int>(Handle.Get())) == 0) return true;
  SetError(error);
  return false;
}

bool FileExists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

int ProbeReplaceable(const std::string& path, bool& exists) {
  struct stat st;
  exists = ::lstat(path.c_str(), &st) == 0;
  if (!exists) return errno == ENOENT || errno == ENOTDIR ? 0 : errno;
  return S_ISDIR(st.st_mode) ? EISDIR : 0;
}

bool DirectoryExists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool ForceDirectories(const std::string& path, int* error) {
  std::string dir = path;
  while (dir.size() > 1 && IsPathDelim(dir.back())) dir.pop_back();
  if (dir.empty() || DirectoryExists(dir)) return true;
  auto cut = dir.find_last_of(kPathDelim);
  if (cut != std::string::npos && cut > 0 && !ForceDirectories(dir.substr(0, cut), error))
    return false;
  if (::mkdir(dir.c_str(), 0755) == 0 || (errno == EEXIST && DirectoryExists(dir))) return true;
  SetError(error);
  return false;
}

bool RemoveFile(const std::string& path) { return ::unlink(path.c_str()) == 0; }

bool RenameOver(const std::string& from, const std::string& to, int* error) {
  if (::rename(from.c_str(), to.c_str()) == 0) return true;
  SetError(error);
  return false;
}

std::optional<int64_t> FileSize(const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return std::nullopt;
  return st.st_size;
}

std::optional<double> FileDateTime(const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return std::nullopt;
  struct tm local;
  ::tzset();
  if (!::localtime_r(&st.st_mtim.tv_sec, &local)) return std::nullopt;
  return EncodeDateTime({local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                         local.tm_min, local.tm_sec,
                         static_cast<int>(st.st_mtim.tv_nsec / 1'000'000)});
}

namespace {

int64_t OffsetAt(int64_t utc) {
  time_t t = static_cast<time_t>(utc);
  struct tm local;
  return ::localtime_r(&t, &local) ? local.tm_gmtoff : 0;
}

std::optional<time_t> DosToTime(uint16_t dosDate, uint16_t dosTime) {
  auto local = DosToLocalSeconds(dosDate, dosTime);
  if (!local) return std::nullopt;
  ::tzset();
  return static_cast<time_t>(LocalToUtc(*local, OffsetAt));
}

}  // namespace

bool SetFileDosDateTime(const std::string& path, uint16_t dosDate, uint16_t dosTime) {
  auto t = DosToTime(dosDate, dosTime);
  if (!t) return false;
  struct timespec times[2] = {{*t, 0}, {*t, 0}};
  return ::utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
}

bool TFile::RenameTo(const std::string& from, const std::string& to, int* error) {
  return IsOpen() && RenameOver(from, to, error);
}

bool TFile::SetDosDateTime(uint16_t dosDate, uint16_t dosTime) {
  auto t = DosToTime(dosDate, dosTime);
  if (!t || !IsOpen()) return false;
  struct timespec times[2] = {{*t, 0}, {*t, 0}};
  return ::futimens(static_cast<int>(Handle.Get()), times) == 0;
}

std::optional<std::vector<TDirEntry>> ListDirectory(const std::string& path) {
  DIR* dir = ::opendir(path.c_str());
  if (!dir) return std::nullopt;
  std::vector<TDirEntry> entries;
  while (struct dirent* e = ::readdir(dir)) {
    std::string name = e->d_name;
    if (name == "." || name == "..") continue;
    entries.push_back({name, DirectoryExists(path + "/" + name)});
  }
  ::closedir(dir);
  return entries;
}

}  // namespace fsys
