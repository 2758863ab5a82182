#include "class_Shortcut.h"

#include <cstring>
#include <iterator>

int32_t FolderIdentifier(TFolderID id) {
  // CSIDL_DESKTOP, _PROGRAMS, _PERSONAL, _FAVORITES, _STARTUP, _SENDTO, _STARTMENU,
  // _DESKTOPDIRECTORY, _COMMON_STARTMENU, _COMMON_PROGRAMS, _COMMON_STARTUP,
  // _COMMON_DESKTOPDIRECTORY
  static constexpr int32_t kIds[] = {-1, 0, 2, 5, 6, 7, 9, 11, 16, 22, 23, 24, 25};
  return id < std::size(kIds) ? kIds[id] : -1;
}

std::string LinkFolderPath(const std::string& specialPath, const std::string& folder) {
  return specialPath.empty() ? folder : specialPath + "\\" + folder;
}

std::string WorkingDirectoryOf(const std::string& target) {
  size_t cut = target.find_last_of("\\:");
  return cut == std::string::npos ? std::string() : target.substr(0, cut + 1);
}

std::string LinkFileName(const std::string& folderPath, const std::string& description) {
  std::string name = folderPath;
  if (name.empty() || name.back() != '\\') name += '\\';
  for (char c : description)
    name += static_cast<unsigned char>(c) < 32 || std::strchr("\\/:*?\"<>|", c) ? '_' : c;
  return name + ".lnk";
}
