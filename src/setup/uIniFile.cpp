#include "uIniFile.h"

#include "uFileSys.h"
#include "uText.h"

namespace {

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// As the profile functions read a value: a pair of quotes around it, double or single, goes.
std::string_view Unquote(std::string_view s) {
  if (s.size() >= 2 && (s.front() == '"' || s.front() == '\'') && s.back() == s.front())
    return s.substr(1, s.size() - 2);
  return s;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::optional<int32_t> TryStrToInt(std::string_view text) {
  std::string_view s = TrimBlanks(text);
  bool negative = false;
  if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
    negative = s.front() == '-';
    s.remove_prefix(1);
  }
  int base = 10;
  if (s.starts_with("$")) {
    base = 16;
    s.remove_prefix(1);
  } else if (s.starts_with("0x") || s.starts_with("0X")) {
    base = 16;
    s.remove_prefix(2);
  }
  if (s.empty()) return std::nullopt;
  uint64_t value = 0;
  for (char c : s) {
    int d = base == 16 ? HexDigit(c) : (c >= '0' && c <= '9' ? c - '0' : -1);
    if (d < 0) return std::nullopt;
    value = value * base + d;
    if (value > 0xFFFF'FFFFull) return std::nullopt;
  }
  int64_t result;
  if (base == 16) {
    result = static_cast<int32_t>(static_cast<uint32_t>(value));
  } else {
    if (value > (negative ? 0x8000'0000ull : 0x7FFF'FFFFull)) return std::nullopt;
    result = static_cast<int64_t>(value);
  }
  return static_cast<int32_t>(negative ? -result : result);
}

TIniFile TIniFile::Load(const std::string& path) {
  std::string text;
  fsys::TFile file = fsys::TFile::OpenRead(path);
  if (file.IsOpen()) {
    char buffer[4096];
    for (int64_t n; (n = file.Read(buffer, sizeof buffer)) > 0;) text.append(buffer, n);
  }
  return FromText(text);
}

TIniFile TIniFile::FromText(std::string_view cp1252) {
  TIniFile ini;
  TSection* current = nullptr;
  // An editor's UTF-8 byte-order mark says the text is UTF-8, and must not become part of the
  // first section's name. Without one the text is code page 1252, parsed as such, so that the
  // length limit counts characters, not UTF-8 bytes.
  std::string_view rest = cp1252;
  const bool utf8 = rest.starts_with("\xEF\xBB\xBF");
  if (utf8) rest.remove_prefix(3);
  const auto text = [utf8](std::string_view s) { return utf8 ? std::string(s) : Cp1252ToUtf8(s); };
  while (!rest.empty()) {
    size_t end = rest.find('\n');
    std::string_view line = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    line = TrimBlanks(line);
    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[') {
      size_t close = line.find(']');
      std::string name =
          text(TrimBlanks(line.substr(1, close == std::string_view::npos ? close : close - 1)));
      ini.Sections.push_back({name, {}});
      current = &ini.Sections.back();
      continue;
    }
    size_t eq = line.find('=');
    if (!current || eq == std::string_view::npos) continue;
    std::string_view value = Unquote(TrimBlanks(line.substr(eq + 1)));
    value = utf8 ? Utf8Prefix(value, MaxValueLength) : value.substr(0, MaxValueLength);
    current->Entries.push_back({text(TrimBlanks(line.substr(0, eq))), text(value)});
  }
  return ini;
}

bool TIniFile::SectionExists(std::string_view section) const {
  for (const auto& s : Sections)
    if (SameTextAZ(s.Name, section)) return true;
  return false;
}

std::optional<std::string> TIniFile::ReadValue(std::string_view section,
                                               std::string_view key) const {
  for (const auto& s : Sections) {
    if (!SameTextAZ(s.Name, section)) continue;
    for (const auto& e : s.Entries)
      if (SameTextAZ(e.Key, key)) return e.Value;
    return std::nullopt;  // only the first section of that name counts
  }
  return std::nullopt;
}

std::string TIniFile::ReadString(std::string_view section, std::string_view key,
                                 const std::string& fallback) const {
  return ReadValue(section, key).value_or(fallback);
}

int32_t TIniFile::ReadInteger(std::string_view section, std::string_view key,
                              int32_t fallback) const {
  auto value = ReadValue(section, key);
  if (!value) return fallback;
  return TryStrToInt(*value).value_or(fallback);
}

bool TIniFile::ReadBool(std::string_view section, std::string_view key, bool fallback) const {
  return ReadInteger(section, key, fallback ? 1 : 0) != 0;
}
