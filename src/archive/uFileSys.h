// The few file-system operations the archive needs, over the operating system's own calls.
// Paths are UTF-8. Error codes are the system's own: Win32 error codes on Windows, errno
// values elsewhere. Natively this is POSIX (uFileSys_posix.cpp); the Windows build links the
// Win32 version from src/winsys, so this subsystem itself never sees <windows.h>.
// (std::filesystem would do, but costs some 900 KB in a static Windows build, and setup.exe
// must stay below 302,080 bytes.)
#pragma once

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "uHandleOwner.h"

namespace fsys {

#ifdef _WIN32
inline constexpr char kPathDelim = '\\';
inline constexpr int kNameTaken = 80;  // ERROR_FILE_EXISTS
// A file whose real location, through a link, lies outside its destination.
inline constexpr int kLeadsOutside = 681;  // ERROR_STOPPED_ON_SYMLINK
// Windows accepts either slash between components.
inline bool IsPathDelim(char c) { return c == '/' || c == '\\'; }
#else
inline constexpr char kPathDelim = '/';
inline constexpr int kNameTaken = EEXIST;
inline constexpr int kLeadsOutside = ELOOP;  // what O_NOFOLLOW gives
inline bool IsPathDelim(char c) { return c == '/'; }
#endif

// The error code for a name the file system would refuse or that would leave its folder.
int InvalidNameError();

// Closes a handle of the system's own (a descriptor on POSIX, a HANDLE on Windows).
void CloseNative(intptr_t handle);

// An open file. Move-only; closes on destruction.
class TFile {
 public:
  TFile() = default;

  // Reading, with others allowed to read and write meanwhile.
  static TFile OpenRead(const std::string& path, int* error = nullptr);
  // A new file in place of any existing one, for writing, shared with nobody.
  static TFile Create(const std::string& path, int* error = nullptr);
  // A file that does not exist yet, for writing, shared with nobody; fails with kNameTaken
  // when anything is at the name, a link too (which is never followed).
  static TFile CreateNew(const std::string& path, int* error = nullptr);

  bool IsOpen() const { return bool(Handle); }
  // Bytes read or written, -1 on failure; loops over short transfers.
  int64_t Read(void* buffer, size_t count);
  int64_t Write(const void* buffer, size_t count);
  bool Seek(int64_t position);
  int64_t Position() const;
  int64_t Size() const;
  // Sets the last-write time from a local DOS date and time, on the open file.
  bool SetDosDateTime(uint16_t dosDate, uint16_t dosTime);
  // Moves this file, made by Create at `from`, over `to` while it is still open; on Windows
  // through the handle, which spares the system opening it once more (a full name of more
  // than 520 characters is refused there).
  bool RenameTo(const std::string& from, const std::string& to, int* error = nullptr);
  // The last-write time and the attributes (the mode bits on POSIX) of source, as a file copy
  // keeps them; after the last write, which would set the time anew.
  bool TakeDateAndAttributes(const TFile& source);
  // Everything written reaches the disk before this returns.
  bool Flush(int* error = nullptr);
  void Close() { Handle.Reset(); }

 private:
  explicit TFile(intptr_t handle) : Handle(handle) {}
  // -1: what a failed open gives on either system.
  THandle<intptr_t, CloseNative, intptr_t(-1)> Handle;
};

bool FileExists(const std::string& path);
// The full path of the running program's own file; nothing when the system does not say.
std::optional<std::string> OwnExecutable();
// Where an existing file or folder really is, every link resolved (realpath; on Windows the
// final path of a handle, a "\\?\" path); false when it cannot be opened.
bool RealPath(const std::string& path, std::string& real);
// Whether the file at path can be replaced now, found out without changing it: 0 when it can
// or when nothing is there (exists then says which); otherwise the system's code. On Windows
// the file is opened for exclusive access: ERROR_SHARING_VIOLATION while another program
// holds it open, ERROR_ACCESS_DENIED for a read-only one. POSIX replaces a file in use, so
// only a folder in the way (EISDIR) counts there.
int ProbeReplaceable(const std::string& path, bool& exists);
bool DirectoryExists(const std::string& path);
// Creates the folder with every missing parent; true when it exists afterwards.
bool ForceDirectories(const std::string& path, int* error = nullptr);
bool RemoveFile(const std::string& path);
// Moves a file over another, replacing it in one step where the system allows.
bool RenameOver(const std::string& from, const std::string& to, int* error = nullptr);
std::optional<int64_t> FileSize(const std::string& path);

// Last-write time as local date and time, in days since 1899-12-30 (the archive's dates).
std::optional<double> FileDateTime(const std::string& path);
// Sets the last-write time from a local DOS date and time (two-second resolution).
bool SetFileDosDateTime(const std::string& path, uint16_t dosDate, uint16_t dosTime);

struct TDirEntry {
  std::string Name;
  bool IsDirectory;
};
// The entries of a folder without "." and "..", in no particular order; nothing on failure.
std::optional<std::vector<TDirEntry>> ListDirectory(const std::string& path);

}  // namespace fsys
