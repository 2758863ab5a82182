#include "uReplaceFile.h"

#include "uArchiveHooks.h"

namespace {

// ".~kro", then ".~kroa" to ".~kroz": each name taken is a file a package or a user put there.
constexpr int kTempNameAttempts = 27;

}  // namespace

int TReplacement::Open(const std::string& target) {
  FTarget = target;
  int error = fsys::ProbeReplaceable(target, FReplacing);
  for (int n = 1; !error && n <= kTempNameAttempts; ++n) {
    FTempPath = target + ".~kro";
    if (n > 1) FTempPath += static_cast<char>('a' + n - 2);
    FFile = fsys::TFile::CreateNew(FTempPath, &error);
    if (FFile.IsOpen()) return 0;
    // Taken: try the next name; anything else is why the target cannot be written.
    if (error == fsys::kNameTaken && n < kTempNameAttempts) error = 0;
  }
  FTempPath.clear();
  return error;  // never 0 here: the last name taken leaves kNameTaken
}

TReplacement::~TReplacement() {
  if (!FFile.IsOpen()) return;
  FFile.Close();
  fsys::RemoveFile(FTempPath);
}

int TReplacement::Commit() {
  int error = 0;
  if (!FFile.IsOpen()) return -1;
  // An old file gives way only to one that is on the disk: after a power cut the target holds
  // the old bytes or the new ones, never an empty file. A new file has nothing to lose.
  const bool flushed = !FReplacing || ArchiveHooks().FlushFile(FFile, &error);
  if (flushed && FFile.RenameTo(FTempPath, FTarget, &error)) {
    FFile.Close();
    return 0;
  }
  FFile.Close();
  fsys::RemoveFile(FTempPath);
  return error ? error : -1;
}
