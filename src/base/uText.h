// Text at the program's edges. Inside, text is UTF-8 in std::string; stored formats (archive
// member names, .inf, the library's configuration files, zeb.ini, autoexec.bat) are code page
// 1252, and the Win32 boundary is UTF-16. Conversions name code page 1252 explicitly, never the
// system's ANSI code page, so the program behaves alike on every system locale.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Every code page 1252 byte has a UTF-8 form (the five unassigned bytes map to C1 controls,
// as Windows itself does), so this never fails.
std::string Cp1252ToUtf8(std::string_view cp1252);

// Nothing when the text holds a character that code page 1252 cannot represent, or is not
// valid UTF-8.
std::optional<std::string> TryUtf8ToCp1252(std::string_view utf8);

// Invalid UTF-8 becomes U+FFFD; the result is always well-formed UTF-16.
std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

// Characters of UTF-8 text are counted by their lead bytes (every byte but 10xxxxxx), so that
// a cut never splits a sequence; ill-formed text is cut as well, never refused.
// The text up to its character number `chars` (all of it when shorter).
std::string_view Utf8Prefix(std::string_view utf8, size_t chars);
// The text as characters: each one lead byte with the continuation bytes after it; those the
// text starts with are a piece of their own.
std::vector<std::string_view> Utf8Chars(std::string_view utf8);

#ifdef _WIN32
inline std::wstring Widen(std::string_view utf8) {
  std::u16string s = Utf8ToUtf16(utf8);
  return std::wstring(s.begin(), s.end());
}
inline std::string Narrow(std::wstring_view wide) {
  return Utf16ToUtf8(
      std::u16string_view(reinterpret_cast<const char16_t*>(wide.data()), wide.size()));
}
#endif

// Letters A to Z without regard to case, every other byte exactly: the comparison the archive
// and the profile files use. UTF-8 sequences compare exactly, so an umlaut never matches its
// other case.
bool SameTextAZ(std::string_view a, std::string_view b);
std::string UpperAZ(std::string_view s);
std::string LowerAZ(std::string_view s);

// Removes leading and trailing bytes of code 0 to 32.
std::string_view TrimControls(std::string_view s);
