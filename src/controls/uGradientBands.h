// The bands of a gradient fill: which rectangle gets which colour, in drawing order. Each band
// is drawn as a one-pixel frame of its rectangle (a band one pixel thick is filled by it).
#pragma once

#include <cstdint>
#include <vector>

#include "uColor.h"

enum TGradientDirection : std::uint8_t {
  gdTopToBottom,
  gdLeftToRight,
  gdInsideOut,
  gdStretchInsideOut,
  gdTBT,
  gdLRL,
};

struct TBand {
  TRect Rect;
  TRgb Color;
  friend bool operator==(const TBand&, const TBand&) = default;
};

// Nothing for a width or height of 0 or less: no bitmap is kept at that size. Bands may lie
// partly or wholly outside width x height; drawing clips them.
std::vector<TBand> GradientBands(TGradientDirection direction, int width, int height, TRgb start,
                                 TRgb end);
