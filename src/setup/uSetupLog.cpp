#include "uSetupLog.h"

#include "uFileSys.h"
#include "uSetupTools.h"

namespace {

fsys::TFile& LogFile() {
  static fsys::TFile file;
  return file;
}

}  // namespace

bool OpenSetupLog(const std::string& path) {
  LogFile() = fsys::TFile::Create(NativePath(path));
  return LogFile().IsOpen();
}

void SetupLogLine(std::string_view key, std::string_view value) {
  fsys::TFile& file = LogFile();
  for (std::string_view part : {key, value, std::string_view("\r\n")})
    // A full disk ends the log, not the run.
    if (file.IsOpen() && file.Write(part.data(), part.size()) != int64_t(part.size())) file.Close();
}
