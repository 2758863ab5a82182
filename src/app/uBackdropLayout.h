// Where the backdrop puts its screen-dependent parts: the lower gradient takes the bottom half
// of the screen, the vertical line runs down the left below the top panel, and the version
// line, the remark and the row of bars keep to the bottom, the remark and bars to the right.
#pragma once

#include <array>

#include "uColor.h"

// The top panel's height and the number of bars: the control table and the layout share them.
constexpr int kBackdropPanelHeight = 57;
constexpr int kBackdropBars = 11;

struct TBackdropLayout {
  TRect Gradient2;                        // in the form
  TRect ShapeH;                           // in the form
  int VersionTop = 0;                     // "Version" and the version text, in Gradient2
  TRect Remark;                           // in Gradient2
  std::array<TRect, kBackdropBars> Bars;  // left to right, in Gradient2
};

// versionHeight is the height the version label has on the screen.
TBackdropLayout BackdropLayout(int screenWidth, int screenHeight, int versionHeight);
