// Writing a file in place of its target without harming anything else in the folder. The bytes
// go into a temporary file beside the target whose name nothing in the folder had (so no file
// already there is truncated, replaced or removed unless it is the target itself), which then
// moves over the target in one step. A target that cannot be replaced is found out before
// anything is written.
#pragma once

#include <string>

#include "uFileSys.h"

// Creates stem + suffix, else stem + suffix + "a" to "z" while a name is taken: a new file
// shared with nobody, never one that was there. 0 with the file open and its name in `path`;
// otherwise the system's code for why not.
int CreateFreshFile(const std::string& stem, const char* suffix, fsys::TFile& file,
                    std::string& path);

class TReplacement {
 public:
  TReplacement() = default;
  // Removes the temporary file unless it has taken the target's place.
  ~TReplacement();
  TReplacement(const TReplacement&) = delete;
  TReplacement& operator=(const TReplacement&) = delete;

  // Probes the target (fsys::ProbeReplaceable) and, when it can be replaced, creates the
  // temporary file: target + ".~kro", else ".~kroa", ".~krob" and so on to ".~kroz" while a
  // name is taken.
  // 0 when the temporary file is open; otherwise the system's code for why not. Once only.
  int Open(const std::string& target);
  fsys::TFile& File() { return FFile; }
  const std::string& TempPath() const { return FTempPath; }
  // Moves the temporary file over the target and closes it, flushed first when it replaces a
  // file that is not empty (ArchiveHooks().FlushFile): 0, or the system's code when the target
  // could not be replaced (the temporary file is then removed).
  int Commit();

 private:
  std::string FTarget, FTempPath;
  fsys::TFile FFile;
  bool FReplacing = false;  // a file with content is at the target
};
