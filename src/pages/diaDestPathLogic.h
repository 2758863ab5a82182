// The destination page's decisions: which face it shows, the free and needed space, when Next
// is enabled and what Next commits. Plain code over a free-space function, tested natively;
// the page window only mirrors this state onto its controls.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

inline constexpr const char* kDefaultFolder = "C:\\KRO";

enum TDriveKind : std::uint8_t { dkFixed, dkRemote, dkOther };
enum TDestFace : std::uint8_t { dfFound, dfManual, dfAbort };

// The drive part of a path: "C:" for a path that starts with a drive letter and colon,
// "\\server\share" for a network path that names both, empty otherwise (a half-typed
// "\\serv" is no drive yet, so typing it never sends the system looking for servers).
std::string DriveOf(std::string_view path);

// The path the free-space query takes for a drive part: a network share needs its
// trailing backslash.
std::string FreeSpaceQueryPath(const std::string& drive);

struct TNumberSeparators {
  std::string Thousands = ",";
  std::string Decimal = ".";
};

// bytes / 1,048,576 with thousands separators and one decimal, then " MB": "1,234.5 MB".
std::string FormatMegabytes(double bytes, const TNumberSeparators& separators);

// "Lokale Installation in C:\KRO\" and its English and other-drive forms.
std::string InstallationText(TDriveKind kind, const std::string& destDir, std::int32_t language);

std::string NoPrimaryInstallationMessage(std::int32_t language);
// The change-folder warning: the first line is the single word, then an empty line.
std::string ChangeFolderWarning(std::int32_t language);

// A folder the installation can go to: a full path ("X:\..." or "\\server\share..."), no
// character that Windows refuses in names, and nothing outside code page 1252, in which the
// configuration files record it.
bool IsUsableDestination(std::string_view path);

class TDestPathModel;
// What Next commits: a folder entered by hand becomes the destination as typed, then the
// library configuration is read again from the destination (reload may be empty).
void CommitDestination(const TDestPathModel& model, std::string& destination,
                       const std::function<void(const std::string&)>& reload);

class TDestPathModel {
 public:
  using TFreeSpace = std::function<double(const std::string& queryPath)>;
  TDestPathModel(std::int32_t language, TNumberSeparators separators, TFreeSpace freeSpace)
      : Language(language), Separators(std::move(separators)), QueryFree(std::move(freeSpace)) {}

  // On show: destDir is the found installation with its trailing backslash, or empty.
  void Show(const std::string& destDir, bool fullInstallation, TDriveKind kind,
            std::int64_t neededBytes);
  // The edit field's text changed (by the user or by the page).
  void EditChanged(const std::string& text);
  // The change-folder warning was confirmed: manual entry prefilled with NewFolder.
  void ChangeTarget();
  // F5: the change-folder button appears whatever the description says.
  void RevealChangeTarget() { ChangeTargetVisible = true; }
  // What Next stores as the destination: the edit field as typed while it is shown.
  std::optional<std::string> TypedDestination() const;

  // The folder a new installation is offered: "C:\KRO", or the one given with /D=.
  std::string NewFolder = kDefaultFolder;

  // What the page shows.
  TDestFace Face = dfAbort;
  bool FoundOne = false, NotFound = false, Manual = false;
  bool EditPanel = false, InstallPanel = false, ChangeTargetVisible = false;
  bool NextEnabled = false;
  std::string EditText, InstallationLabel, FreeText, NeedText;
  double FreeSpace = 0;
  std::int64_t Needed = 0;

 private:
  void UpdateNextButton();

  std::int32_t Language;
  TNumberSeparators Separators;
  TFreeSpace QueryFree;
};
