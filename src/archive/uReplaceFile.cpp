#include "uReplaceFile.h"

#include "uArchiveHooks.h"

namespace {

// The bare name, then "a" to "z": each name taken is a file a package or a user put there.
constexpr int kFreshNameAttempts = 27;

}  // namespace

int CreateFreshFile(const std::string& stem, const char* suffix, fsys::TFile& file,
                    std::string& path) {
  int error = 0;
  for (int n = 1; n <= kFreshNameAttempts; ++n) {
    path = stem + suffix;
    if (n > 1) path += static_cast<char>('a' + n - 2);
    file = fsys::TFile::CreateNew(path, &error);
    if (file.IsOpen()) return 0;
    // Taken: try the next name; anything else is why nothing can be written there.
    if (error != fsys::kNameTaken) break;
  }
  path.clear();
  return error ? error : fsys::kNameTaken;
}

int TReplacement::Open(const std::string& target) {
  FTarget = target;
  int error = fsys::ProbeReplaceable(target, FReplacing);
  // An empty file has nothing to lose to a power cut: it is replaced without a flush.
  if (FReplacing && fsys::FileSize(target) == 0) FReplacing = false;
  return error ? error : CreateFreshFile(target, ".~kro", FFile, FTempPath);
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
