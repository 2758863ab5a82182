#include "uNameFold.h"

#include <cstdint>

#include "uText.h"

namespace {

uint8_t UpperCp1252(uint8_t c) {
  if ((c >= 'a' && c <= 'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) return c - 0x20;
  switch (c) {
    case 0x9A:  // š
      return 0x8A;
    case 0x9C:  // œ
      return 0x8C;
    case 0x9E:  // ž
      return 0x8E;
    case 0xFF:  // ÿ, whose partner Ÿ sits at 9F
      return 0x9F;
  }
  return c;
}

}  // namespace

std::string NtfsFoldedName(std::string_view utf8) {
  // A name outside the code page is refused before it gets here; keep it as it is.
  std::string text = TryUtf8ToCp1252(utf8).value_or(std::string(utf8));
  for (char& c : text) c = static_cast<char>(UpperCp1252(static_cast<uint8_t>(c)));
  return text;
}
