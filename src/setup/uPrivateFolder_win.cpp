// The private folder over Win32 (wide-character calls).
#include <windows.h>
// RtlGenRandom lives in advapi32, one of the libraries Windows always loads from its own
// folder; the bcrypt alternative would add a library that is not.
#include <ntsecapi.h>

#include "uHandles.h"
#include "uPrivateFolder.h"
#include "uText.h"

bool SystemRandom(void* buffer, size_t size) {
  return size <= 0xFFFFFFFFu && RtlGenRandom(buffer, static_cast<ULONG>(size));
}

bool CreateFolderExclusive(const std::string& path) {
  return CreateDirectoryW(Widen(path).c_str(), nullptr) != 0;
}

namespace {

bool EmptyFolder(const std::wstring& folder) {
  WIN32_FIND_DATAW data{};
  TFindHandle find = TFindHandle::FromFind(FindFirstFileW((folder + L"\\*").c_str(), &data));
  if (!find) return GetLastError() == ERROR_FILE_NOT_FOUND;
  bool ok = true;
  do {
    const std::wstring name = data.cFileName;
    if (name == L"." || name == L"..") continue;
    const std::wstring path = folder + L"\\" + name;
    const DWORD attributes = data.dwFileAttributes;
    if (attributes & FILE_ATTRIBUTE_READONLY)
      SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
      // A junction or folder link goes, its target stays.
      if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT) && !EmptyFolder(path)) ok = false;
      if (!RemoveDirectoryW(path.c_str())) ok = false;
    } else if (!DeleteFileW(path.c_str())) {
      ok = false;
    }
  } while (FindNextFileW(find.Get(), &data));
  return ok;
}

}  // namespace

bool RemoveFolderTree(const std::string& path) {
  std::wstring folder = Widen(path);
  while (folder.size() > 3 && (folder.back() == L'\\' || folder.back() == L'/')) folder.pop_back();
  const DWORD attributes = GetFileAttributesW(folder.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return true;
  if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) EmptyFolder(folder);
  return RemoveDirectoryW(folder.c_str()) != 0 ||
         GetFileAttributesW(folder.c_str()) == INVALID_FILE_ATTRIBUTES;
}
