#include "uTileGeometry.h"

#include <algorithm>

std::vector<TRect> TileRects(const TRect& client, int pictureWidth, int pictureHeight) {
  std::vector<TRect> tiles;
  if (pictureWidth <= 0 || pictureHeight <= 0) return tiles;
  for (int y = client.Top; y < client.Bottom; y += pictureHeight) {
    const int bottom = std::min(y + pictureHeight, client.Bottom);
    for (int x = client.Left; x < client.Right; x += pictureWidth)
      tiles.push_back({x, y, std::min(x + pictureWidth, client.Right), bottom});
  }
  return tiles;
}

namespace {
// One axis: start and extent.
void CenterAxis(int lo, int extent, int picture, int& start, int& size) {
  if (picture < extent) {
    start = lo + (extent - picture) / 2;
    size = picture;
  } else {
    start = lo;
    size = extent;
  }
}
}  // namespace

TRect CenterRect(const TRect& client, int pictureWidth, int pictureHeight) {
  int x, w, y, h;
  CenterAxis(client.Left, client.Width(), pictureWidth, x, w);
  CenterAxis(client.Top, client.Height(), pictureHeight, y, h);
  return {x, y, x + w, y + h};
}
