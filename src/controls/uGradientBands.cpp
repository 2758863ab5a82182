#include "uGradientBands.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

using TComponents = std::array<double, 3>;

TComponents Components(TRgb c) { return {double(c.R), double(c.G), double(c.B)}; }

// Trunc, keeping the lowest 8 bits as the colour does.
std::uint8_t TruncByte(double v) { return std::uint8_t(std::int64_t(v) & 0xFF); }

// The mirrored modes can step past their start colour; clamp rather than wrap round.
std::uint8_t TruncClamped(double v) {
  return std::uint8_t(std::clamp<std::int64_t>(std::int64_t(v), 0, 255));
}

TRect BandRect(bool rows, int i, int width, int height) {
  return rows ? TRect{0, i, width, i + 1} : TRect{i, 0, i + 1, height};
}

void Linear(std::vector<TBand>& out, bool rows, int w, int h, TRgb start, TRgb end) {
  const int n = std::max(rows ? h : w, 2);
  const TComponents s = Components(start), e = Components(end);
  TComponents step;
  for (int x = 0; x < 3; ++x) step[x] = (e[x] - s[x]) / (n - 1);
  TRgb cur = start;
  for (int i = 0; i < n; ++i) {
    out.push_back({BandRect(rows, i, w, h), cur});
    // Deliberately i, not i + 1: the first two bands share the start colour.
    cur = {TruncByte(s[0] + i * step[0]), TruncByte(s[1] + i * step[1]),
           TruncByte(s[2] + i * step[2])};
  }
}

void Mirrored(std::vector<TBand>& out, bool rows, int w, int h, TRgb start, TRgb end) {
  const int n = std::max(rows ? h : w, 2);
  const TComponents s = Components(start), e = Components(end);
  TComponents step;
  for (int x = 0; x < 3; ++x) step[x] = (e[x] - s[x]) / (n - 1) * 2;
  TRgb cur = start;
  int m = 0;
  for (int i = 0; i < n; ++i) {
    out.push_back({BandRect(rows, i, w, h), cur});
    m += (i + 1 <= n / 2) ? 1 : -1;
    cur = {TruncClamped(s[0] + (m - 1) * step[0]), TruncClamped(s[1] + (m - 1) * step[1]),
           TruncClamped(s[2] + (m - 1) * step[2])};
  }
}

void InsideOut(std::vector<TBand>& out, bool stretch, int w, int h, TRgb start, TRgb end) {
  const bool wide = w > h;
  const float ratio = wide ? float(h) / float(w) : float(w) / float(h);
  const float shortGrowth = stretch ? ratio : 1.0f;
  const float hf = wide ? 1.0f : shortGrowth;
  const float vf = wide ? shortGrowth : 1.0f;
  const int n = std::max(std::max(w, h), 2);

  TComponents s = Components(start);
  const int e[3] = {end.R, end.G, end.B};
  TComponents d;
  for (int x = 0; x < 3; ++x) d[x] = (e[x] - s[x]) / (n / 2);
  // The trackers start at 0, not at the start colour: a component heading for 0 skips a step.
  int t[3] = {0, 0, 0};
  TRgb cur = start;
  double ax = 0.0, ay = 0.0;
  int kx = 0, ky = 0;
  TRect r{w / 2, h / 2, w / 2 + 1, h / 2 + 1};
  while (r.Left >= 0 || r.Top >= 0) {
    out.push_back({r, cur});
    ax += hf;
    ay += vf;
    if (ax - kx >= 1.0) {
      --r.Left, ++r.Right, ++kx;
    }
    if (ay - ky >= 1.0) {
      --r.Top, ++r.Bottom, ++ky;
    }
    for (int x = 0; x < 3; ++x) {
      if (t[x] != e[x]) s[x] += d[x];
      t[x] = int(std::nearbyint(s[x]));  // halves to the even neighbour
    }
    cur = {std::uint8_t(t[0] & 0xFF), std::uint8_t(t[1] & 0xFF), std::uint8_t(t[2] & 0xFF)};
  }
}

}  // namespace

std::vector<TBand> GradientBands(TGradientDirection direction, int width, int height, TRgb start,
                                 TRgb end) {
  std::vector<TBand> out;
  if (width <= 0 || height <= 0) return out;
  switch (direction) {
    case gdTopToBottom:
      Linear(out, true, width, height, start, end);
      break;
    case gdLeftToRight:
      Linear(out, false, width, height, start, end);
      break;
    case gdInsideOut:
      InsideOut(out, false, width, height, start, end);
      break;
    case gdStretchInsideOut:
      InsideOut(out, true, width, height, start, end);
      break;
    case gdTBT:
      Mirrored(out, true, width, height, start, end);
      break;
    case gdLRL:
      Mirrored(out, false, width, height, start, end);
      break;
  }
  return out;
}
