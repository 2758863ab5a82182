// What an owner-drawn button face consists of, as plain data: the rounded outlines in drawing
// order, each followed by its white-to-button-face shading lines. The drawing layer only turns
// this into pens and lines.
#pragma once

#include <vector>

#include "uColor.h"

constexpr TRgb kBorderColor{0, 60, 116};
constexpr TRgb kFocusRingColor{137, 173, 230};
constexpr TRgb kHotRingColor{255, 200, 60};

// One horizontal line from (Left, Y) to Right, Right itself not drawn, in the button-face
// colour shaded to Percent (100 = the colour itself, 0 = white).
struct TShadeLine {
  int Y, Left, Right, Percent;
  friend bool operator==(const TShadeLine&, const TShadeLine&) = default;
};

// Shading inside r: bottom row first, upwards. None when r is too small to hold any line
// (where the step would divide by zero or the count would be negative).
std::vector<TShadeLine> ShadingLines(const TRect& r);

// Each component moved from white towards c by percent p: p = 100 gives c, p = 0 white.
TRgb ShadeColor(TRgb c, int percent);

struct TFaceOutline {
  TRect Rect;  // as RoundRect takes it
  int Corner;  // width and height of the corner ellipse
  int PenWidth;
  TRgb Pen;
  std::vector<TShadeLine> Shading;
};

struct TButtonFace {
  bool Pushed = false;                 // the platform's pushed frame instead of any outline
  std::vector<TFaceOutline> Outlines;  // border, then focus ring, then hot ring
  TRect Caption;                       // the area the caption is centred in
};

TButtonFace PlanButtonFace(const TRect& client, bool pressed, bool focused, bool hot);

// The owner-draw style is used unless the Windows version reports a major number of at least 5
// and a minor number of at least 1; there the platform draws the button.
bool UseOwnerDraw(unsigned major, unsigned minor);
