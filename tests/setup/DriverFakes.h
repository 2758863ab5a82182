// Scripted pages and a recorded system for the driver tests: every page shown and every side
// effect lands in one log, so a test compares the whole run order at once.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "uExceptions.h"
#include "uFileSys.h"
#include "uInstallData.h"
#include "uSetupPlatform.h"
#include "uSetupRun.h"

struct TDriverLog {
  std::vector<std::string> Entries;
  void Add(std::string entry) { Entries.push_back(std::move(entry)); }
};

// How the unpacking page ends.
enum class TCreateEnd { Done, FilesFailed, RunAborted, AbortBeforeRun, Throws, ThrowsAfterFailure };

struct TFakePages : ISetupPages {
  explicit TFakePages(TDriverLog& log) : Log(log) {}
  TDriverLog& Log;

  // Load: what the preparation page reports.
  bool LoadResult = true;
  bool LoadThrows = false;
  std::string Package = "app.pak";
  std::string InfFile = "app.inf";
  std::optional<TLoadRequest> LoadSeen;
  // The moves of the wizard pages in the order they are shown: +1 next, -1 back, 0 cancel.
  std::vector<int> Moves;
  size_t NextMove = 0;
  uint8_t LibChoice = 2;
  std::optional<uint8_t> LibPreselected;
  TCreateEnd CreateEnd = TCreateEnd::Done;
  bool ShortcutChecked = false;
  bool RebootChoice = true;

  bool ShowLoad(TSetupRun& run, TLoadRequest& request) override {
    LoadSeen = request;
    Log.Add("load");
    if (LoadThrows) throw EQuillCompress("Cannot open the compressed file x");
    run.AppInfo.Package = Package;
    run.AppInfo.InfFile = InfFile;
    if (request.ArchivePath.empty()) request.ArchivePath = request.WorkDir + "setup.1";
    return LoadResult;
  }
  void LayoutBackdrop(const TSetupRun&) override { Log.Add("backdrop"); }
  void Move(TSetupRun& run) {
    int move = NextMove < Moves.size() ? Moves[NextMove++] : 0;
    run.PageNo = move == 0 ? 0 : run.PageNo + move;
  }
  void ShowWelcome(TSetupRun& run) override {
    Log.Add("welcome");
    Move(run);
  }
  void ShowDestination(TSetupRun& run) override {
    Log.Add("destination");
    Move(run);
  }
  void ShowLibs(TSetupRun& run) override {
    Log.Add("libs");
    LibPreselected = run.AppInfo.LibVariant;
    if (NextMove < Moves.size() && Moves[NextMove] > 0) run.AppInfo.LibVariant = LibChoice;
    Move(run);
  }
  void ShowCreate(TSetupRun& run) override {
    Log.Add("create");
    switch (CreateEnd) {
      case TCreateEnd::Done:
        break;
      case TCreateEnd::FilesFailed:
        run.AppInfo.FailedFiles.push_back("C:\\KRO\\BIN\\app.exe");
        run.InstallFailed = true;
        break;
      case TCreateEnd::RunAborted:
        run.InstallFailed = true;
        break;
      case TCreateEnd::AbortBeforeRun:
        run.PageNo = 0;
        return;
      case TCreateEnd::Throws:
        throw EQuillCompress("Size mismatch");
      case TCreateEnd::ThrowsAfterFailure:
        run.AppInfo.FailedFiles.push_back("C:\\KRO\\BIN\\app.exe");
        throw EqcDiskFull();
    }
    ++run.PageNo;
  }
  void ShowAborted(TSetupRun&) override { Log.Add("aborted"); }
  void ShowErrors(TSetupRun& run) override {
    std::string entry = "errors";
    for (const auto& f : run.AppInfo.FailedFiles) entry += " " + f;
    Log.Add(entry);
  }
  bool ShowFinish(TSetupRun& run) override {
    Log.Add("finish");
    if (run.RebootRequired) run.RebootNow = RebootChoice;
    return ShortcutChecked;
  }
  void ShowReadme(const std::string& path) override { Log.Add("readme " + path); }
  void ShowMessage(const std::string& text) override { Log.Add("message " + text); }
  void ShowErrorMessage(const std::string& text) override { Log.Add("error " + text); }
};

struct TFakeDriverSystem : ISetupSystem {
  explicit TFakeDriverSystem(TDriverLog& log) : Log(log) {}
  TDriverLog& Log;

  std::string LanguageName = "English (United States)";
  std::string CurrentDir = "D:\\WORK";
  bool ChangeDirOk = true;
  std::string ExePath = "E:\\Downloads\\setup.exe";
  int64_t ExeSize = ARCHIVE_OFFSET + 1000;
  std::string ExeHead;       // no PE image: the data runs to the end
  std::string Installation;  // as FindInstallation reports it
  bool WorkFolderOk = true;
  std::vector<std::string> Removed;
  bool DescriptionOk = true;
  std::map<std::string, std::string> Zeb;
  uint32_t Platform = 2;
  std::vector<std::string> ExistingFiles;  // beside the prepared archive
  bool ArchiveExists = true;
  bool TotalsThrow = false;
  bool ZebIniThrows = false;
  bool EnvironmentThrows = false;
  int FileSizeCalls = 0;

  std::string SystemLanguageName() override { return LanguageName; }
  std::string CurrentDirectory() override { return CurrentDir; }
  bool ChangeDirectory(const std::string& dir) override {
    Log.Add("chdir " + dir);
    return ChangeDirOk;
  }
  std::string OwnExePath() override { return ExePath; }
  int64_t FileSize(const std::string& path) override {
    ++FileSizeCalls;
    return path == ExePath ? ExeSize : -1;
  }
  std::string ReadHead(const std::string&, size_t maxBytes) override {
    return ExeHead.substr(0, maxBytes);
  }
  bool FileExists(const std::string& path) override {
    if (path.ends_with("setup.1") || path == "F:\\archive.1") return ArchiveExists;
    for (const auto& f : ExistingFiles)
      if (f == path) return true;
    return false;
  }
  std::string FindInstallation() override { return Installation; }
  std::optional<std::string> CreateWorkFolder() override {
    if (!WorkFolderOk) return std::nullopt;
    Log.Add("mkdir");
    return std::string("C:\\TEMP\\kro0123\\");
  }
  void RemoveWorkFolder(const std::string& dir) override {
    Removed.push_back(dir);
    Log.Add("rmdir");
  }
  bool ReadDescription(TApplicationInfo& info, const std::string& folder) override {
    Log.Add("description " + folder + info.InfFile);
    return DescriptionOk;
  }
  std::string ZebValue(std::string_view name) override {
    auto it = Zeb.find(std::string(name));
    return it == Zeb.end() ? std::string() : it->second;
  }
  uint32_t PlatformId() override { return Platform; }
  void ReadArchiveTotals(const std::string& archive, TlzhFileStats& totals) override {
    Log.Add("totals " + archive);
    if (TotalsThrow) throw EQuillCompress("The archive directory is damaged");
    totals.TotalSize = 123456;
  }
  void SetupAutoexec(const TApplicationInfo&) override { Log.Add("autoexec"); }
  void SetupEnvironmentNT(const TApplicationInfo&) override {
    Log.Add("environment");
    if (EnvironmentThrows) throw std::runtime_error("registry gone");
  }
  void WriteZebIni(const TApplicationInfo& info) override {
    Log.Add("zebini");
    if (ZebIniThrows)
      throw std::runtime_error("Cannot write \"" + info.ZebDir() + "zeb.ini\" (error 5)");
  }
  void CreateShortcuts(const TApplicationInfo&) override { Log.Add("shortcuts"); }
  void RebootWindows() override { Log.Add("reboot"); }
  // Counted, so that "before" and "after" differ as a real configuration makes them.
  std::string Environment() override { return "env" + std::to_string(++EnvironmentReads); }
  void LogLine(std::string_view key, std::string_view value) override {
    LogLines.push_back(std::string(key) + std::string(value));
  }
  int EnvironmentReads = 0;
  std::vector<std::string> LogLines;
};

// Little-endian bytes into a string, for the images the tests build.
inline void PutLE(std::string& bytes, size_t at, uint32_t value, size_t width) {
  for (size_t i = 0; i < width; ++i) bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

// As a signing tool does: pads the image to 8 bytes, appends a certificate table of tableSize
// bytes and names it in the security directory.
inline void Sign(std::string& image, uint32_t tableSize) {
  while (image.size() % 8) image += '\0';
  const uint32_t pe = static_cast<uint8_t>(image[0x3C]) | static_cast<uint8_t>(image[0x3D]) << 8;
  const bool plus =
      static_cast<uint8_t>(image[pe + 24]) == 0x0B && static_cast<uint8_t>(image[pe + 25]) == 0x02;
  const uint32_t entry = pe + 24 + (plus ? 112 : 96) + 32;
  PutLE(image, entry, static_cast<uint32_t>(image.size()), 4);
  PutLE(image, entry + 4, tableSize, 4);
  std::string table(tableSize, '\x5A');
  PutLE(table, 0, tableSize, 4);
  PutLE(table, 4, 0x0200, 2);  // WIN_CERT_REVISION_2_0
  PutLE(table, 6, 0x0002, 2);  // WIN_CERT_TYPE_PKCS_SIGNED_DATA
  image += table;
}

// The image signed by osslsigncode with a throw-away certificate, as a release engineer signs;
// folder ends with a backslash. Natively only (the Windows build under Wine cannot start the
// host's tools): nothing there, or when the tools are missing.
inline std::optional<std::string> OsslSign(const std::string& image, const std::string& folder) {
#ifdef _WIN32
  (void)image, (void)folder;
  return std::nullopt;
#else
  const std::string key = NativePath(folder + "sign.key"), cert = NativePath(folder + "sign.pem");
  const std::string in = folder + "unsigned.exe", out = folder + "signed.exe";
  if (!ReadWholeFile(folder + "sign.pem") &&
      std::system(("openssl req -x509 -newkey rsa:2048 -nodes -keyout '" + key + "' -out '" + cert +
                   "' -days 2 -subj '/CN=Kro GmbH Test' >/dev/null 2>&1")
                      .c_str()) != 0)
    return std::nullopt;
  std::remove(NativePath(out).c_str());
  {
    fsys::TFile file = fsys::TFile::Create(NativePath(in));
    if (!file.IsOpen() || file.Write(image.data(), image.size()) != int64_t(image.size()))
      return std::nullopt;
  }
  if (std::system(("osslsigncode sign -certs '" + cert + "' -key '" + key +
                   "' -n 'Kro Setup' -in '" + NativePath(in) + "' -out '" + NativePath(out) +
                   "' >/dev/null 2>&1")
                      .c_str()) != 0)
    return std::nullopt;
  return ReadWholeFile(out);
#endif
}
#define KRO_NEED_OSSLSIGN(signedImage) \
  if (!(signedImage)) GTEST_SKIP() << "osslsigncode and openssl are needed (scripts/bootstrap)"

// driver_stub.exe, a real image of the Windows toolchain built beside the test program. A native
// build on a machine without that toolchain has none: the tests that need it are skipped there.
#ifdef KRO_DRIVER_STUB
#define KRO_NEED_DRIVER_STUB()
#else
#define KRO_NEED_DRIVER_STUB() GTEST_SKIP() << "no Windows toolchain to build driver_stub.exe"
#endif
inline std::optional<std::string> ReadStubImage() {
  const std::string own = fsys::OwnExecutable().value_or("");
  return ReadWholeFile(own.substr(0, own.find_last_of("/\\") + 1) + "driver_stub.exe");
}
