#include "diaLoadRun.h"

#include "uFileSys.h"
#include "uPaths.h"
#include "uText.h"

std::string LoadAbortedMessage(int32_t language) {
  return language == kEnglish ? "The installation was aborted!"
                              : "Die Installation wurde abgebrochen!";
}

std::string ArchiveCopyPath(const std::string& workDir) {
  return IncludeTrailingDelimiter(IncludeTrailingDelimiter(workDir) + "archive") + "setup.kro";
}

void NoteLoadedMember(const std::string& fileName, TApplicationInfo& info) {
  const std::string name = LastComponent(fileName);
  const size_t dot = name.rfind('.');
  const std::string ext = dot == std::string::npos ? std::string() : LowerAZ(name.substr(dot));
  if (ext == ".pak") info.Package = name;
  if (ext == ".inf") info.InfFile = name;
}

namespace {

void CopyOwnData(TLoadRequest& request) {
  const std::string target = ArchiveCopyPath(request.WorkDir);
  int error = 0;
  if (!fsys::ForceDirectories(FolderPart(target), &error))
    throw Exception(
        Format("Cannot create the folder for %s (error %d).", {target, std::to_string(error)}));
  const int result = CopyInstallationData(request.ExePath, request.Range, target);
  if (result != 0)
    throw Exception(Format("Cannot copy the installation data of %s to %s (error %d).",
                           {request.ExePath, target, std::to_string(result)}));
  request.ArchivePath = target;
}

}  // namespace

void RunPreparation(TSetupRun& run, TLoadRequest& request, TQuillCompress& loader,
                    const TLoadView& view) {
  // Without its private folder the data would land in the current folder, a drive's root.
  if (request.WorkDir.empty()) throw Exception("No folder is set for the installation data.");
  if (request.ArchivePath.empty()) CopyOwnData(request);
  loader.SetCompressedFile(request.ArchivePath);
  loader.ReadHeaders();
  loader.SetFilesToProcess({});
  loader.OnListing = [&run](TQuillCompress& q, const TlzhFileStats& s) {
    q.AddFileToProcess(s.FileName);
    NoteLoadedMember(s.FileName, run.AppInfo);
  };
  loader.ListFiles();
  // Assigned, so that a missing disk of a spanned set ends in the engine's "cannot open" error.
  loader.OnNewDisk = [](TQuillCompress&, int, std::string&) {};
  loader.ExtractDirectory = request.WorkDir;
  loader.OnStatus = [&view](TQuillCompress&, const TlzhFileStats& s) {
    if (view.Status) view.Status(s);
  };
  loader.OnAborted = [&view](TQuillCompress&) {
    if (view.Aborted) view.Aborted();
  };
  loader.ExtractFiles();
  run.InstallFailed = loader.Abort;
}
