// The unpacking's work without its window: the package extracted into the destination with its
// folder tree, the members that cannot be written collected, the chosen library variant copied
// into place.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "class_Compress.h"
#include "uSetupRun.h"

// "Die Datei %s konnte nicht kopiert werden!%sWindows meldet: %s" and its English twin, with a
// lone carriage return between the two sentences.
std::string CopyFailedMessage(int32_t language, const std::string& file,
                              const std::string& systemText);

// "zeb\cs\", "zeb\nw\", "zeb\sa\" for the variants 1 to 3; empty for any other.
std::string LibVariantFolder(uint8_t variant);

struct TCreatorView {
  std::function<void(const TlzhFileStats&)> Status;           // during extraction
  std::function<void(const std::string& message)> ShowError;  // the "Fehler" box
  std::function<std::string(int errorCode)> SystemText;       // the system's text for a code
};

// Copies the files (not the subfolders) of the variant's folder below destination into
// destination's "zeb" folder, replacing what is there; each copy lands whole or not at all and
// keeps its source's last-write time and attributes; a target in use is not touched.
// A file that cannot be copied is shown (by its bare name) and its target appended to
// failedFiles; the others are still copied. True when every copy succeeded; a missing or
// empty variant folder gives true. destination ends with a backslash.
bool CopyLibraryVariant(const std::string& destination, uint8_t variant, int32_t language,
                        std::vector<std::string>& failedFiles, const TCreatorView& view);

// The whole run: the package run.WorkDir + run.AppInfo.Package extracted below destination
// (ending with a backslash), each member into the folder its stored name gives; a member whose
// folders would leave the destination, or that would land outside it through a link, is refused
// and, like every member that cannot be created, shown and listed in run.AppInfo.FailedFiles. Then
// the library variant, unless the engine was stopped. Returns whether the installation failed.
// Raises the archive's exceptions as they come, and Exception when no destination is set.
bool RunInstallation(TSetupRun& run, const std::string& destination, TQuillCompress& creator,
                     const TCreatorView& view);
