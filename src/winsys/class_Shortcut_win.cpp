// The shell side of TShortcut: special folders and the shell link object.
#include <windows.h>
//
#include <shlobj.h>
#include <shobjidl.h>

#include "class_Shortcut.h"
#include "uHandles.h"
#include "uText.h"

namespace {

// The shell's own buffers hold MAX_PATH characters including the terminator.
bool FitsShellBuffer(const std::wstring& s) { return s.size() < MAX_PATH; }

}  // namespace

std::string TShortcut::GetSpecialFolderPath() const {
  if (Identifier < 0) return {};
  LPITEMIDLIST list = nullptr;
  if (FAILED(SHGetSpecialFolderLocation(nullptr, Identifier, &list)) || !list) return {};
  TCoMemory owner(list);
  wchar_t path[MAX_PATH] = {};
  if (!SHGetPathFromIDListW(list, path)) return {};
  return Narrow(path);
}

bool TShortcut::CreateShortcut() {
  std::wstring folder = Widen(LinkFolderPath(GetSpecialFolderPath(), Folder));
  SetLastError(0);
  if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
    return false;
  if (Target.empty()) return true;

  std::wstring target = Widen(Target);
  std::wstring workDir = Widen(WorkingDirectoryOf(Target));
  std::wstring description = Widen(Description);
  std::wstring linkFile = Widen(LinkFileName(Narrow(folder), Description));
  if (!FitsShellBuffer(target) || !FitsShellBuffer(workDir) || !FitsShellBuffer(linkFile) ||
      description.size() >= INFOTIPSIZE)
    return false;

  TComPtr<IShellLinkW> link;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              link.PutVoid())))
    return false;
  if (FAILED(link->SetPath(target.c_str())) || FAILED(link->SetWorkingDirectory(workDir.c_str())) ||
      FAILED(link->SetDescription(description.c_str())))
    return false;
  TComPtr<IPersistFile> file;
  if (FAILED(link->QueryInterface(IID_IPersistFile, file.PutVoid()))) return false;
  // A link that was not saved is no link: report it.
  return SUCCEEDED(file->Save(linkFile.c_str(), TRUE));
}
