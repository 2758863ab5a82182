// What GDI's FrameRect leaves in a width x height bitmap when the bands are drawn in order:
// the reference the pixel tests compare the real bitmaps with.
#pragma once

#include <vector>

#include "uGradientBands.h"

struct TRaster {
  int Width = 0, Height = 0;
  std::vector<TRgb> Pixels;
  TRgb At(int x, int y) const { return Pixels[std::size_t(y * Width + x)]; }
};

inline TRaster RasterizeBands(const std::vector<TBand>& bands, int width, int height) {
  TRaster r{width, height, std::vector<TRgb>(std::size_t(width * height))};
  auto put = [&](int x, int y, TRgb c) {
    if (x >= 0 && y >= 0 && x < width && y < height) r.Pixels[std::size_t(y * width + x)] = c;
  };
  for (const TBand& b : bands) {
    const TRect& q = b.Rect;
    if (q.Right <= q.Left || q.Bottom <= q.Top) continue;
    for (int x = q.Left; x < q.Right; ++x) put(x, q.Top, b.Color), put(x, q.Bottom - 1, b.Color);
    for (int y = q.Top; y < q.Bottom; ++y) put(q.Left, y, b.Color), put(q.Right - 1, y, b.Color);
  }
  return r;
}
