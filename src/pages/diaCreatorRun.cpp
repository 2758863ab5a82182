#include "diaCreatorRun.h"

#include <memory>

#include "uFileSys.h"
#include "uPaths.h"
#include "uReplaceFile.h"
#include "uSetupTools.h"

std::string CopyFailedMessage(int32_t language, const std::string& file,
                              const std::string& systemText) {
  return Format(language == kEnglish ? "The file %s could not be copied!%sWindows said: %s"
                                     : "Die Datei %s konnte nicht kopiert werden!%sWindows "
                                       "meldet: %s",
                {file, "\r", systemText});
}

std::string LibVariantFolder(uint8_t variant) {
  switch (variant) {
    case 1:
      return "zeb\\cs\\";
    case 2:
      return "zeb\\nw\\";
    case 3:
      return "zeb\\sa\\";
  }
  return {};
}

namespace {

// Through a new file beside the target moved over it at the end, so a failed copy never leaves
// a half-written library file in place of a good one, and a file in use is found out before
// anything is copied; the copy keeps the source's last-write time and attributes, as a file
// copy does. 0 or the system's error code (-1 when the system gave none).
int CopyFileReplacing(const std::string& from, const std::string& to) {
  int error = 0;
  fsys::TFile source = fsys::TFile::OpenRead(from, &error);
  if (!source.IsOpen()) return error ? error : -1;
  TReplacement output;
  if (int failed = output.Open(to)) return failed;
  constexpr size_t kChunk = 64 * 1024;
  const auto buffer = std::make_unique_for_overwrite<char[]>(kChunk);
  for (;;) {
    const int64_t n = source.Read(buffer.get(), kChunk);
    if (n == 0) break;
    if (n < 0 || output.File().Write(buffer.get(), size_t(n)) != n) return -1;
  }
  if (!output.File().TakeDateAndAttributes(source)) return -1;
  return output.Commit();
}

std::string SystemTextFor(const TCreatorView& view, int code) {
  return view.SystemText ? view.SystemText(code) : std::string();
}

}  // namespace

bool CopyLibraryVariant(const std::string& destination, uint8_t variant, int32_t language,
                        std::vector<std::string>& failedFiles, const TCreatorView& view) {
  const std::string folder = LibVariantFolder(variant);
  if (folder.empty()) return true;
  const std::string source = NativePath(destination + folder);
  const std::string target = destination + "zeb\\";
  const auto entries = fsys::ListDirectory(source);
  if (!entries) return true;
  bool allCopied = true;
  for (const fsys::TDirEntry& entry : *entries) {
    if (entry.IsDirectory) continue;
    const int error = CopyFileReplacing(source + entry.Name, NativePath(target + entry.Name));
    if (error == 0) continue;
    if (view.ShowError)
      view.ShowError(CopyFailedMessage(language, entry.Name, SystemTextFor(view, error)));
    failedFiles.push_back(NativePath(target + entry.Name));
    allCopied = false;
  }
  return allCopied;
}

bool RunInstallation(TSetupRun& run, const std::string& destination, TQuillCompress& creator,
                     const TCreatorView& view) {
  if (destination.empty()) throw Exception("No destination folder is set.");
  TApplicationInfo& info = run.AppInfo;
  // The preparation put the package, like every member, straight into the private folder.
  creator.SetCompressedFile(IncludeTrailingDelimiter(run.WorkDir) + LastComponent(info.Package));
  creator.SetFilesToProcess({});
  creator.OnListing = [](TQuillCompress& q, const TlzhFileStats& s) {
    q.AddFileToProcess(s.FileName);
  };
  creator.ListFiles();

  const std::string root = NativePath(destination);
  creator.ExtractDirectory = root;
  // Nor may a link inside the destination lead a member out of it.
  creator.DestinationRoot = root;
  creator.OnBeforeExtracting = [&root](TQuillCompress& q, const TlzhFileStats& s) {
    if (const auto folder = MemberFolder(s.FileName))
      q.ExtractDirectory = root + *folder;
    else
      q.RefuseCurrentFile(root + NativePath(s.FileName));
  };
  creator.OnStatus = [&view](TQuillCompress&, const TlzhFileStats& s) {
    if (view.Status) view.Status(s);
  };
  creator.OnError = [&](TQuillCompress&, const std::string& target, int code) {
    if (view.ShowError)
      view.ShowError(CopyFailedMessage(run.Language, target, SystemTextFor(view, code)));
    info.FailedFiles.push_back(target);
  };
  creator.ExtractFiles();

  bool failed = creator.Abort || !info.FailedFiles.empty();
  if (!creator.Abort && info.LibsIncluded != 0 && info.LibVariant != 0 &&
      !CopyLibraryVariant(destination, info.LibVariant, run.Language, info.FailedFiles, view))
    failed = true;
  return failed;
}
