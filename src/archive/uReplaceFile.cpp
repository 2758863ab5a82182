#include "uReplaceFile.h"

namespace {

// Enough for any package: each name taken is a file a package or a user put there.
constexpr int kTempNameAttempts = 1'000;

}  // namespace

TReplacement::TReplacement(const std::string& target) : FTarget(target) {
  FError = fsys::ProbeReplaceable(target, FReplacing);
  for (int n = 1; !FError && n <= kTempNameAttempts; ++n) {
    FTempPath = target + ".~kro";
    if (n > 1) FTempPath += std::to_string(n);
    FFile = fsys::TFile::CreateNew(FTempPath, &FError);
    if (FFile.IsOpen()) return;
    // Taken: try the next name; anything else is why the target cannot be written.
    if (fsys::NameTaken(FTempPath) && n < kTempNameAttempts) FError = 0;
  }
  FTempPath.clear();
}

TReplacement::~TReplacement() {
  if (!FFile.IsOpen()) return;
  FFile.Close();
  fsys::RemoveFile(FTempPath);
}

int TReplacement::Commit() {
  int error = 0;
  if (!FFile.IsOpen()) return FError;
  if (FFile.RenameTo(FTempPath, FTarget, &error)) {
    FFile.Close();
    return 0;
  }
  FFile.Close();
  fsys::RemoveFile(FTempPath);
  return error ? error : -1;
}
