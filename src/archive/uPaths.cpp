#include "uPaths.h"

#include <array>

#include "uFileSys.h"
#include "uText.h"

namespace {

bool IsNameDelim(char c) { return c == '\\' || c == '/' || c == ':'; }

bool IsDeviceName(std::string_view name) {
  // A device name stays a device with any extension: "nul.txt" is NUL.
  std::string base = UpperAZ(name.substr(0, name.find('.')));
  while (!base.empty() && base.back() == ' ') base.pop_back();
  static constexpr std::array<std::string_view, 6> kPlain = {"CON", "PRN",    "AUX",
                                                             "NUL", "CONIN$", "CONOUT$"};
  for (auto d : kPlain)
    if (base == d) return true;
  if (!base.starts_with("COM") && !base.starts_with("LPT")) return false;
  // Any digit counts, 0 too, and so do the superscripts 1 to 3 (UTF-8 of U+00B9, B2, B3).
  std::string_view port = std::string_view(base).substr(3);
  return (port.size() == 1 && port[0] >= '0' && port[0] <= '9') || port == "\xC2\xB9" ||
         port == "\xC2\xB2" || port == "\xC2\xB3";
}

}  // namespace

std::string LastComponent(std::string_view path) {
  size_t i = path.size();
  while (i > 0 && !IsNameDelim(path[i - 1])) --i;
  return std::string(path.substr(i));
}

std::string FolderPart(std::string_view path) {
  size_t i = path.size();
  while (i > 0 && !IsNameDelim(path[i - 1])) --i;
  return std::string(path.substr(0, i));
}

std::string ChangeFileExt(std::string_view path, std::string_view ext) {
  size_t i = path.size();
  while (i > 0 && !IsNameDelim(path[i - 1]) && path[i - 1] != '.') --i;
  size_t cut = (i > 0 && path[i - 1] == '.') ? i - 1 : path.size();
  return std::string(path.substr(0, cut)) + std::string(ext);
}

std::string IncludeTrailingDelimiter(std::string_view folder) {
  std::string out(folder);
  if (!out.empty() && !fsys::IsPathDelim(out.back())) out += fsys::kPathDelim;
  return out;
}

bool IsWithinFolder(std::string_view path, std::string_view folder) {
  if (path == folder) return true;
  while (!folder.empty() && fsys::IsPathDelim(folder.back())) folder.remove_suffix(1);
  return path.size() > folder.size() + 1 && path.starts_with(folder) &&
         fsys::IsPathDelim(path[folder.size()]);
}

bool IsSafeComponent(std::string_view name) {
  if (name.empty() || name == "." || name == "..") return false;
  if (name.back() == '.' || name.back() == ' ') return false;
  for (char ch : name) {
    auto c = static_cast<unsigned char>(ch);
    if (c < 32 || std::string_view("\\/:*?\"<>|").find(ch) != std::string_view::npos) return false;
  }
  return !IsDeviceName(name);
}

std::optional<std::string> MemberFolder(std::string_view storedName) {
  std::string folder;
  size_t start = 0;
  while (true) {
    size_t end = storedName.find('\\', start);
    std::string_view part =
        storedName.substr(start, end == std::string_view::npos ? end : end - start);
    // Rooted names and \\server paths start with an empty component.
    if (!IsSafeComponent(part)) return std::nullopt;
    if (end == std::string_view::npos) return folder;
    folder.append(part);
    folder += fsys::kPathDelim;
    start = end + 1;
  }
}
