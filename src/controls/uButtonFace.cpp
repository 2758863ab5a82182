#include "uButtonFace.h"

#include <algorithm>
#include <cmath>

namespace {

TRect Shrunk(const TRect& r, int by) {
  return {r.Left + by, r.Top + by, r.Right - by, r.Bottom - by};
}

TFaceOutline Ring(const TRect& client, TRgb pen) {
  const TRect r = Shrunk(client, 2);
  return {{r.Left, r.Top, r.Right + 1, r.Bottom + 1}, 3, 2, pen, ShadingLines(r)};
}

}  // namespace

std::vector<TShadeLine> ShadingLines(const TRect& outer) {
  std::vector<TShadeLine> lines;
  const TRect r = Shrunk(outer, 2);
  const int h = r.Bottom - r.Top - 2;
  if (h <= 0) return lines;
  const int step = int(std::nearbyint(1.0 / h * 100));
  for (int i = 0; i <= h - 2; ++i)
    lines.push_back({r.Bottom - i, r.Left, r.Right, 100 - (i + 1) * step});
  return lines;
}

TRgb ShadeColor(TRgb c, int percent) {
  auto shade = [percent](int x) {
    const int v = 255 - int(std::nearbyint((255 - x) * percent / 100.0));
    return std::uint8_t(std::clamp(v, 0, 255));
  };
  return {shade(c.R), shade(c.G), shade(c.B)};
}

TButtonFace PlanButtonFace(const TRect& client, bool pressed, bool focused, bool hot) {
  TButtonFace face;
  face.Caption = client;
  if (pressed) {
    face.Pushed = true;
    return face;
  }
  face.Outlines.push_back({client, 5, 1, kBorderColor, ShadingLines(client)});
  if (focused) face.Outlines.push_back(Ring(client, kFocusRingColor));
  if (hot) face.Outlines.push_back(Ring(client, kHotRingColor));
  return face;
}

bool UseOwnerDraw(unsigned major, unsigned minor) { return !(major >= 5 && minor >= 1); }
