#include "uText.h"

namespace {

// Code page 1252 bytes 0x80 to 0x9F; the rest of the page equals Latin-1.
constexpr char16_t kHigh[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char32_t FromCp1252(unsigned char c) { return (c >= 0x80 && c < 0xA0) ? kHigh[c - 0x80] : c; }

std::optional<unsigned char> ToCp1252(char32_t u) {
  if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) return static_cast<unsigned char>(u);
  for (int i = 0; i < 32; ++i)
    if (kHigh[i] == u) return static_cast<unsigned char>(0x80 + i);
  return std::nullopt;
}

// Writes u at p and returns the end. The callers size their string for the longest case
// first: appending a byte at a time was most of the cost of listing a large directory.
char* PutUtf8(char* p, char32_t u) {
  if (u < 0x80) {
    *p++ = static_cast<char>(u);
  } else if (u < 0x800) {
    *p++ = static_cast<char>(0xC0 | (u >> 6));
    *p++ = static_cast<char>(0x80 | (u & 0x3F));
  } else if (u < 0x10000) {
    *p++ = static_cast<char>(0xE0 | (u >> 12));
    *p++ = static_cast<char>(0x80 | ((u >> 6) & 0x3F));
    *p++ = static_cast<char>(0x80 | (u & 0x3F));
  } else {
    *p++ = static_cast<char>(0xF0 | (u >> 18));
    *p++ = static_cast<char>(0x80 | ((u >> 12) & 0x3F));
    *p++ = static_cast<char>(0x80 | ((u >> 6) & 0x3F));
    *p++ = static_cast<char>(0x80 | (u & 0x3F));
  }
  return p;
}

// Decodes one code point at s[i], advancing i; nothing for an ill-formed sequence (i then
// moves past its first byte).
std::optional<char32_t> NextUtf8(std::string_view s, size_t& i) {
  unsigned char c = static_cast<unsigned char>(s[i++]);
  if (c < 0x80) return c;
  int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : -1;
  if (extra < 0 || c > 0xF4 || i + extra > s.size()) return std::nullopt;
  char32_t u = c & (0x3F >> extra);
  for (int k = 0; k < extra; ++k) {
    unsigned char d = static_cast<unsigned char>(s[i + k]);
    if ((d & 0xC0) != 0x80) return std::nullopt;
    u = (u << 6) | (d & 0x3F);
  }
  constexpr char32_t kMin[4] = {0, 0x80, 0x800, 0x10000};
  if (u < kMin[extra] || u > 0x10FFFF || (u >= 0xD800 && u <= 0xDFFF)) return std::nullopt;
  i += extra;
  return u;
}

bool IsContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

unsigned char UpperByte(unsigned char c) { return (c >= 'a' && c <= 'z') ? c - 32 : c; }
unsigned char LowerByte(unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + 32 : c; }

}  // namespace

// Every code page 1252 character is at most three bytes of UTF-8.
std::string Cp1252ToUtf8(std::string_view cp1252) {
  std::string out(3 * cp1252.size(), '\0');
  char* end = out.data();
  for (char c : cp1252) end = PutUtf8(end, FromCp1252(static_cast<unsigned char>(c)));
  out.resize(static_cast<size_t>(end - out.data()));
  return out;
}

std::optional<std::string> TryUtf8ToCp1252(std::string_view utf8) {
  std::string out(utf8.size(), '\0');
  size_t n = 0;
  for (size_t i = 0; i < utf8.size();) {
    auto u = NextUtf8(utf8, i);
    if (!u) return std::nullopt;
    auto c = ToCp1252(*u);
    if (!c) return std::nullopt;
    out[n++] = static_cast<char>(*c);
  }
  out.resize(n);
  return out;
}

std::u16string Utf8ToUtf16(std::string_view utf8) {
  std::u16string out;
  out.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size();) {
    char32_t u = NextUtf8(utf8, i).value_or(0xFFFD);
    if (u >= 0x10000) {
      u -= 0x10000;
      out += static_cast<char16_t>(0xD800 | (u >> 10));
      out += static_cast<char16_t>(0xDC00 | (u & 0x3FF));
    } else {
      out += static_cast<char16_t>(u);
    }
  }
  return out;
}

// A unit is at most three bytes, a surrogate pair four.
std::string Utf16ToUtf8(std::u16string_view utf16) {
  std::string out(3 * utf16.size(), '\0');
  char* end = out.data();
  for (size_t i = 0; i < utf16.size(); ++i) {
    char32_t u = utf16[i];
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
        utf16[i + 1] <= 0xDFFF) {
      u = 0x10000 + ((u - 0xD800) << 10) + (utf16[++i] - 0xDC00);
    } else if (u >= 0xD800 && u <= 0xDFFF) {
      u = 0xFFFD;
    }
    end = PutUtf8(end, u);
  }
  out.resize(static_cast<size_t>(end - out.data()));
  return out;
}

std::string_view Utf8Prefix(std::string_view utf8, size_t chars) {
  size_t seen = 0;
  for (size_t i = 0; i < utf8.size(); ++i)
    if (!IsContinuation(utf8[i]) && seen++ == chars) return utf8.substr(0, i);
  return utf8;
}

std::vector<std::string_view> Utf8Chars(std::string_view utf8) {
  std::vector<std::string_view> chars;
  for (size_t i = 0; i < utf8.size();) {
    size_t len = 1;
    while (i + len < utf8.size() && IsContinuation(utf8[i + len])) ++len;
    chars.push_back(utf8.substr(i, len));
    i += len;
  }
  return chars;
}

bool SameTextAZ(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (UpperByte(static_cast<unsigned char>(a[i])) != UpperByte(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

std::string UpperAZ(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(UpperByte(static_cast<unsigned char>(c)));
  return out;
}

std::string LowerAZ(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(LowerByte(static_cast<unsigned char>(c)));
  return out;
}

std::string_view TrimControls(std::string_view s) {
  while (!s.empty() && static_cast<unsigned char>(s.front()) <= 32) s.remove_prefix(1);
  while (!s.empty() && static_cast<unsigned char>(s.back()) <= 32) s.remove_suffix(1);
  return s;
}
