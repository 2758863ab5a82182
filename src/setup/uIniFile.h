// INI files with the semantics of the Windows profile functions: section and key names match
// without regard to letter case, values lose their surrounding blanks, then a pair of quotes
// around them, and are cut to 2,047 characters, the first occurrence of a key in the first
// matching section wins. Files are code page 1252, or UTF-8 after a byte-order mark; values
// come back as UTF-8.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Decimal, or hexadecimal after "$" or "0x", with an optional sign; nothing when the text is
// not such a number or does not fit 32 bits (hexadecimal up to FFFFFFFF, read as signed).
std::optional<int32_t> TryStrToInt(std::string_view text);

class TIniFile {
 public:
  static constexpr size_t MaxValueLength = 2'047;

  // A missing or unreadable file reads as empty.
  static TIniFile Load(const std::string& path);
  static TIniFile FromText(std::string_view cp1252);

  bool SectionExists(std::string_view section) const;
  std::optional<std::string> ReadValue(std::string_view section, std::string_view key) const;
  std::string ReadString(std::string_view section, std::string_view key,
                         const std::string& fallback) const;
  // A value that is not a valid integer counts as missing.
  int32_t ReadInteger(std::string_view section, std::string_view key, int32_t fallback) const;
  // An integer: 0 is false, any other number true.
  bool ReadBool(std::string_view section, std::string_view key, bool fallback) const;

 private:
  struct TEntry {
    std::string Key, Value;
  };
  struct TSection {
    std::string Name;
    std::vector<TEntry> Entries;
  };
  std::vector<TSection> Sections;
};
