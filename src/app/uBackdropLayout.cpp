#include "uBackdropLayout.h"

namespace {

constexpr TRect Box(int left, int top, int width, int height) {
  return {left, top, left + width, top + height};
}

}  // namespace

TBackdropLayout BackdropLayout(int screenWidth, int screenHeight, int versionHeight) {
  const int w = screenWidth;
  const int h = screenHeight;
  TBackdropLayout layout;
  // Aligned to the bottom, so its height decides where it begins: half a screen up.
  layout.Gradient2 = Box(0, 0, w, h / 2);
  const int gradient2Top = h - h / 2;
  layout.ShapeH = Box(24, kBackdropPanelHeight + 16, 2, h - kBackdropPanelHeight - 32);
  // The version line is placed from the screen's bottom.
  layout.VersionTop = h - versionHeight - 16 - gradient2Top;
  layout.Remark = Box(w - 24 - 560, layout.VersionTop + 2, 560, 16);
  for (int i = 0; i < kBackdropBars; ++i)
    layout.Bars[i] = Box(w - 24 - 10 - 12 * (kBackdropBars - 1 - i), h / 2 - 8, 10, 3);
  return layout;
}
