// Points a shell folder of the current user at another folder while a test runs. The Wine
// prefix links the desktop to the host's home folder; tests must not write there.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "../common/ScratchFolder.h"
#include "uHandles.h"
#include "uText.h"

class TShellFolderRedirect {
 public:
  TShellFolderRedirect(const wchar_t* name, const std::string& folder) : Name(name) {
    CreateDirectoryW(Widen(folder).c_str(), nullptr);
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
      return;
    Key.Reset(key);
    wchar_t old[MAX_PATH * 2] = {};
    DWORD size = sizeof old, type = 0;
    if (RegQueryValueExW(Key.Get(), Name, nullptr, &type, reinterpret_cast<BYTE*>(old), &size) ==
        ERROR_SUCCESS)
      Saved = std::wstring(old);
    std::wstring value = Widen(folder);
    RegSetValueExW(Key.Get(), Name, 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  }
  ~TShellFolderRedirect() {
    if (!Key) return;
    if (Saved)
      RegSetValueExW(Key.Get(), Name, 0, REG_EXPAND_SZ,
                     reinterpret_cast<const BYTE*>(Saved->c_str()),
                     static_cast<DWORD>((Saved->size() + 1) * sizeof(wchar_t)));
    else
      RegDeleteValueW(Key.Get(), Name);
  }
  TShellFolderRedirect(const TShellFolderRedirect&) = delete;
  TShellFolderRedirect& operator=(const TShellFolderRedirect&) = delete;

 private:
  static constexpr const wchar_t* kKey =
      L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
  const wchar_t* Name;
  TKeyHandle Key;
  std::optional<std::wstring> Saved;
};

// A test suite's desktop: a scratch folder the shell is pointed at before it first looks (it
// keeps the path it saw then), and the shell's apartment.
struct TScratchDesktop {
  TScratchFolder Folder;
  TShellFolderRedirect Redirect{L"Desktop", Folder.Str()};
  TComApartment Apartment{COINIT_APARTMENTTHREADED};
  std::string Path() const { return Folder.Str(); }
};
