#include "diaDestPathLogic.h"

#include "uText.h"

namespace {

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsSlash(char c) { return c == '\\' || c == '/'; }

// Digits of a whole number with a separator between groups of three.
std::string Grouped(std::uint64_t value, const std::string& separator) {
  std::string digits = std::to_string(value);
  std::string out;
  const size_t first = digits.size() % 3 == 0 ? 3 : digits.size() % 3;
  out.append(digits, 0, first);
  for (size_t i = first; i < digits.size(); i += 3) {
    out += separator;
    out.append(digits, i, 3);
  }
  return out;
}

}  // namespace

std::string DriveOf(std::string_view path) {
  if (path.size() >= 2 && IsLetter(path[0]) && path[1] == ':')
    return std::string(path.substr(0, 2));
  if (path.size() < 2 || !IsSlash(path[0]) || !IsSlash(path[1])) return {};
  const size_t server = path.find_first_of("\\/", 2);
  if (server == std::string_view::npos || server == 2) return {};
  const size_t share = path.find_first_of("\\/", server + 1);
  const size_t end = share == std::string_view::npos ? path.size() : share;
  if (end == server + 1) return {};
  return std::string(path.substr(0, end));
}

std::string FreeSpaceQueryPath(const std::string& drive) {
  if (drive.size() > 2 && IsSlash(drive[0])) return drive + '\\';
  return drive;
}

std::string FormatMegabytes(double bytes, const TNumberSeparators& separators) {
  // Half a tenth rounds up; no free space is ever negative.
  const double tenths = bytes / 1048576.0 * 10.0 + 0.5;
  const std::uint64_t t = tenths > 0 ? std::uint64_t(tenths) : 0;
  return Grouped(t / 10, separators.Thousands) + separators.Decimal + std::to_string(t % 10) +
         " MB";
}

std::string InstallationText(TDriveKind kind, const std::string& destDir, std::int32_t language) {
  const bool english = language == 1;
  const char* text = kind == dkFixed    ? (english ? "Local installation" : "Lokale Installation")
                     : kind == dkRemote ? (english ? "Remote installation" : "Netzwerkinstallation")
                                        : (english ? "Installation on unknown target"
                                                   : "Installation an unbekanntem Ort");
  return std::string(text) + " in " + destDir;
}

std::string NoPrimaryInstallationMessage(std::int32_t language) {
  return language == 1 ? "Setup could not find any primary installation. Setup will be aborted!"
                       : "Setup konnnte keine Erstinstallation finden. Vorgang wird abgebrochen!";
}

std::string ChangeFolderWarning(std::int32_t language) {
  return language == 1 ? "IMPORTANT!\r\rIf you change the target folder, further access to the "
                         "previous installation is not longer possible!"
                       : "ACHTUNG!\r\rWenn Sie den Zielort ändern, können Sie nach der "
                         "Installation nicht mehr auf die ursprüngliche Installation zugreifen!";
}

bool IsUsableDestination(std::string_view path) {
  std::string_view rest;
  if (path.size() >= 3 && IsLetter(path[0]) && path[1] == ':' && IsSlash(path[2])) {
    rest = path.substr(3);
  } else {
    const std::string drive = DriveOf(path);
    if (drive.empty() || !IsSlash(drive[0])) return false;
    rest = path.substr(2);
  }
  for (char c : rest)
    if (static_cast<unsigned char>(c) < 32 ||
        std::string_view("<>:\"|?*").find(c) != std::string_view::npos)
      return false;
  return TryUtf8ToCp1252(path).has_value();
}

void TDestPathModel::Show(const std::string& destDir, bool fullInstallation, TDriveKind kind,
                          std::int64_t neededBytes) {
  Needed = neededBytes;
  FreeSpace = 0;
  InstallationLabel = destDir.empty() ? std::string() : InstallationText(kind, destDir, Language);
  FoundOne = NotFound = Manual = EditPanel = InstallPanel = ChangeTargetVisible = false;
  EditChanged(destDir);
  if (!destDir.empty()) {
    Face = dfFound;
    FoundOne = InstallPanel = true;
    ChangeTargetVisible = fullInstallation;
  } else if (fullInstallation) {
    Face = dfManual;
    NotFound = EditPanel = true;
    EditChanged(NewFolder);
  } else {
    Face = dfAbort;
  }
  NeedText = FormatMegabytes(double(Needed), Separators);
  UpdateNextButton();
}

void TDestPathModel::EditChanged(const std::string& text) {
  EditText = text;
  const std::string drive = DriveOf(text);
  if (drive.size() > 1) FreeSpace = QueryFree ? QueryFree(FreeSpaceQueryPath(drive)) : 0;
  FreeText = FormatMegabytes(FreeSpace, Separators);
  UpdateNextButton();
}

void TDestPathModel::ChangeTarget() {
  Face = dfManual;
  InstallPanel = FoundOne = NotFound = false;
  EditPanel = Manual = true;
  EditChanged(NewFolder);
}

std::optional<std::string> TDestPathModel::TypedDestination() const {
  if (!EditPanel) return std::nullopt;
  return EditText;
}

void CommitDestination(const TDestPathModel& model, std::string& destination,
                       const std::function<void(const std::string&)>& reload) {
  if (const auto typed = model.TypedDestination()) destination = *typed;
  if (reload) reload(destination);
}

void TDestPathModel::UpdateNextButton() {
  NextEnabled = double(Needed) < FreeSpace && (!EditPanel || IsUsableDestination(EditText));
}
