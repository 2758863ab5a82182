// The command line of an unattended installation and the exit codes every run ends with, for
// the software-distribution tools that start setup without anyone at the screen.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

inline constexpr int kExitInstalled = 0;
inline constexpr int kExitCancelled = 1;    // cancelled, or the aborted page
inline constexpr int kExitFailedFiles = 2;  // installed, with the errors page
inline constexpr int kExitNotStarted = 3;   // nothing was installed: setup could not begin
inline constexpr int kExitBadCommandLine = 4;
inline constexpr int kExitRestartNeeded = 3010;  // installed; the restart it needs was not made

// Options begin with "/"; their names are read without regard to letter case, their values as
// given. The first other argument names the archive, as it did before there were options.
struct TSetupOptions {
  bool Silent = false;     // /S
  bool Shortcuts = false;  // /SHORTCUTS
  bool NoRestart = false;  // /NORESTART
  int Library = -1;        // /LIB=0..3; -1 when not given
  std::string Folder;      // /D=
  std::string LogFile;     // /LOG=
  std::string Archive;
  bool HasArchive = false;
  // The first argument that is no option this program knows (or one without its value);
  // empty when the command line is good.
  std::string Bad;
};

TSetupOptions ParseOptions(const std::vector<std::string>& args);
