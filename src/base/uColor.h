// Colour values as the designed forms store them: signed 32-bit, red in the lowest byte, then
// green, then blue; a negative value names a system colour (index = value + 16777216, lowest
// byte), resolved only when something is drawn.
#pragma once

#include <cstdint>

using TColor = std::int32_t;

struct TRgb {
  std::uint8_t R = 0, G = 0, B = 0;
  friend bool operator==(const TRgb&, const TRgb&) = default;
};

constexpr TColor RgbColor(int r, int g, int b) {
  return TColor((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr TColor SystemColor(int index) { return TColor(index - 16777216); }
constexpr bool IsSystemColor(TColor c) { return c < 0; }
constexpr int SystemColorIndex(TColor c) { return int((std::int64_t(c) + 16777216) & 0xFF); }
constexpr TRgb RgbOf(TColor c) {
  return TRgb{std::uint8_t(c & 0xFF), std::uint8_t((c >> 8) & 0xFF),
              std::uint8_t((c >> 16) & 0xFF)};
}

// The few colours the pages and the controls name. System indexes are the Windows ones.
constexpr TColor clBlack = RgbColor(0, 0, 0);
constexpr TColor clWhite = RgbColor(255, 255, 255);
constexpr TColor clBlue = RgbColor(0, 0, 255);
constexpr TColor clGray = RgbColor(128, 128, 128);
constexpr TColor clWindow = SystemColor(5);
constexpr TColor clWindowText = SystemColor(8);
constexpr TColor clBtnFace = SystemColor(15);
constexpr TColor clBtnShadow = SystemColor(16);
constexpr TColor clGrayText = SystemColor(17);
constexpr TColor clBtnHighlight = SystemColor(20);
constexpr TColor cl3DLight = SystemColor(22);
// "No colour": labels and boxes keep the system's own.
constexpr TColor clNoColor = 0x1FFFFFFF;

// Plain rectangle, right and bottom exclusive, as GDI takes them.
struct TRect {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
  constexpr int Width() const { return Right - Left; }
  constexpr int Height() const { return Bottom - Top; }
  friend bool operator==(const TRect&, const TRect&) = default;
};
