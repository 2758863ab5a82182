// Shell link files (.lnk) for one target program, written into a shell special folder or a
// subfolder of it. The caller fills the properties, then calls CreateShortcut; COM must be
// initialised on the calling thread. The folder and name rules are portable; the shell calls
// exist in the Windows build only.
#pragma once

#include <cstdint>
#include <string>

enum TFolderID : uint8_t {
  fidNone,
  fidDesktop,
  fidPrograms,
  fidPersonal,
  fidFavorites,
  fidStartup,
  fidSendTo,
  fidStartMenu,
  fidDesktopDirectory,
  fidCommonStartMenu,
  fidCommonPrograms,
  fidCommonStartup,
  fidCommonDesktopDirectory,
};

// The shell's folder identifier (CSIDL) of each TFolderID; -1 for fidNone or an unknown value.
int32_t FolderIdentifier(TFolderID id);

// Where the link goes: the special folder + "\" + folder, or folder alone without a special
// folder (so an empty folder below a special folder leaves a trailing backslash).
std::string LinkFolderPath(const std::string& specialPath, const std::string& folder);
// The directory part of target with its trailing backslash, split at the last "\" or ":".
std::string WorkingDirectoryOf(const std::string& target);
// folderPath with a backslash ensured, then description + ".lnk", where every character a file
// name cannot hold (\ / : * ? " < > | and control characters) becomes "_": a title such as
// "Kro Lohn 2/3" still names a link inside its folder.
std::string LinkFileName(const std::string& folderPath, const std::string& description);

class TShortcut {
 public:
  TFolderID FolderID() const { return FFolderID; }
  void SetFolderID(TFolderID id) {
    FFolderID = id;
    Identifier = FolderIdentifier(id);
  }
  std::string Folder;       // one level below the special folder, created when missing
  std::string Target;       // full path of the program the link starts
  std::string Description;  // the link's description and the base name of its file

#ifdef _WIN32
  // The special folder's file-system path without a trailing backslash; empty for fidNone or
  // when the shell does not know it.
  std::string GetSpecialFolderPath() const;
  // Creates the folder (its last level only) and the link. False when the folder cannot be
  // made, a path does not fit the shell's 260-character buffers, or the link cannot be created
  // or saved. An empty Target only makes the folder.
  bool CreateShortcut();
#endif

 private:
  TFolderID FFolderID = fidNone;
  int32_t Identifier = -1;
};
