// The welcome page's two flag pictures, 18 x 11 pixels, kept as small data and shown by a
// little window that reports a click to its parent like a button.
#pragma once

#include <cstdint>

#include "uFormDefs.h"

struct TFlagPicture {
  static constexpr int Width = 18, Height = 11;
  const char* Rows[Height];  // one character per pixel, a colour from the palette below
};

extern const TFlagPicture kFlagGermany;
extern const TFlagPicture kFlagUnitedKingdom;

// 0x00RRGGBB of a pixel character; black for a character the palette lacks.
std::uint32_t FlagPixel(char c);

// Creates the flag window for a table row whose Param is a TFlagPicture.
TWindow CreateFlagWindow(TWindow parent, const TControlDef& def, int id);
