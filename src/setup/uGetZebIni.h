// The existing installation and the configuration of its database library. The library keeps
// key=value files under its folder; the setup reads them as one flat list where the first
// occurrence of a key wins, so the file named after UID overrides zeb.ini.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Upper-case keys met so far; a handful per installation, so a list does.
using TSeenKeys = std::vector<std::string>;

class TZebConfig {
 public:
  // Clears the list and fills it from the library configuration belonging to dir (an
  // installation or a library folder); an empty dir means the folder in the ZEB variable.
  void Load(const std::string& dir);
  void Clear() { FLines.clear(); }
  // Adds the lines of one configuration file (code page 1252) under the first-wins rule;
  // seen holds the upper-case keys met so far.
  void AddText(std::string_view cp1252, TSeenKeys& seen);
  // Everything after the "=" of the line whose text before it equals name without regard to
  // letter case; empty when there is none.
  std::string Value(std::string_view name) const;
  // key=value lines, sorted without regard to letter case, at most one per key.
  const std::vector<std::string>& Lines() const { return FLines; }

 private:
  std::vector<std::string> FLines;
};

// The program-wide list, filled at start from the ZEB variable and again from the confirmed
// destination.
TZebConfig& ZebConfig();
void LoadZebConfig(const std::string& dir);
std::string GetZebValue(std::string_view name);

// The installation folder recorded by the ZEB variable or, failing that, by the maker's
// registration in the registry; empty when there is none.
std::string FindInstallation();
// The maker's registration, "SOFTWARE\Kro GmbH" "Shared"/"ZEB" under HKEY_LOCAL_MACHINE, in the
// 32-bit view where the maker's other programs write it; empty when absent. Raises
// ERegistryError when the value is there but cannot be read as a string.
std::string ReadMakerRegistration();

// An installation folder leads to its library folder "zeb"; a path holding "\zeb" is used as is.
std::string ZebLibraryDir(const std::string& dir);
// The configuration files of a library folder in reading order.
std::vector<std::string> ZebConfigFiles(const std::string& libraryDir, const std::string& uid);
