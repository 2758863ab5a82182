// The destination page TSetupdialogHome, page 2 of the wizard.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "diaDestPathLogic.h"
#include "uSetupRun.h"

// What the page asks of the system; DefaultDestPathSystem makes the real calls. Tests replace
// them to set the free space, the drive type and the picker's answer.
struct TDestPathSystem {
  // Bytes free on a drive, given FreeSpaceQueryPath of its drive part (GetFreeSpace).
  std::function<double(const std::string& queryPath)> FreeSpace;
  std::function<TDriveKind(const std::string& drive)> DriveKind;
  // Reloads the library configuration for the confirmed destination (LoadZebConfig).
  std::function<void(const std::string& destination)> LoadZebConfig;
  std::function<std::string(const std::string& initial, std::int32_t language)> SelectFolder;
  TNumberSeparators Separators;  // the user's thousands and decimal separators
};
TDestPathSystem DefaultDestPathSystem();

// Shows the page modally. Reads run.AppInfo (DestDir, FullInstallation, ArchiveTotals.TotalSize)
// and run.Language. Back: PageNo - 1. Next: a folder entered by hand becomes
// run.AppInfo.Destination as typed, the library configuration is reloaded for the destination,
// PageNo + 1. Cancel confirmed: PageNo 0; with no installation and no full installation the
// page says so and sets PageNo 0 without asking.
void ShowDestination(TSetupRun& run);
void ShowDestination(TSetupRun& run, const TDestPathSystem& system);
