// The preparation's work without its window: the installation data copied into the private
// folder, the archive listed, its description and package noted, every member extracted there.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "class_Compress.h"
#include "uSetupRun.h"

// The preparation page's messages, in UTF-8.
std::string LoadAbortedMessage(int32_t language);

// Where the copy of the executable's data goes inside the private folder: a folder of its own,
// so that no member extracted beside the description can have its name.
std::string ArchiveCopyPath(const std::string& workDir);

// A member as the listing reports it: ".pak" (any letter case) names the package, ".inf" the
// description, each by its name without folders; a later one replaces an earlier one.
void NoteLoadedMember(const std::string& fileName, TApplicationInfo& info);

struct TLoadView {
  std::function<void(const TlzhFileStats&)> Status;  // during extraction
  std::function<void()> Aborted;                     // the engine was stopped
};

// Copies request.Range of request.ExePath to ArchiveCopyPath(request.WorkDir) when
// request.ArchivePath is empty (that copy becomes request.ArchivePath), lists the archive,
// notes its members in run.AppInfo, extracts them all into request.WorkDir and sets
// run.InstallFailed when the engine was stopped. Raises Exception when no folder is given or
// the copy fails, and the archive's exceptions as they come.
void RunPreparation(TSetupRun& run, TLoadRequest& request, TQuillCompress& loader,
                    const TLoadView& view);
