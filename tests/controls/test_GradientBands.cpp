#include <gtest/gtest.h>

#include <vector>

#include "BandRaster.h"
#include "uGradientBands.h"

namespace {

constexpr TRgb kBlack{0, 0, 0}, kWhite{255, 255, 255}, kBlue{0, 0, 255};

TRgb Grey(int v) { return TRgb{std::uint8_t(v), std::uint8_t(v), std::uint8_t(v)}; }

std::vector<TRgb> Colors(const std::vector<TBand>& bands) {
  std::vector<TRgb> out;
  for (const TBand& b : bands) out.push_back(b.Color);
  return out;
}

// A mode on a bitmap of W x H from Start to End, and the colours of its bands.
struct TColorCase {
  TGradientDirection Dir;
  int W, H;
  TRgb Start, End;
  std::vector<TRgb> Expected;
};

// The worked examples: band count, band colours and band rectangles of the linear modes.
TEST(GradientBands, LinearExamples) {
  const TColorCase cases[] = {
      {gdTopToBottom, 5, 3, kWhite, kBlack, {Grey(255), Grey(255), Grey(127)}},
      {gdLeftToRight, 3, 5, kWhite, kBlack, {Grey(255), Grey(255), Grey(127)}},
      // Height 1 still has two bands; the second lies below the bitmap.
      {gdTopToBottom, 4, 1, kBlack, kWhite, {kBlack, kBlack}},
      {gdTopToBottom, 4, 2, kBlack, kWhite, {kBlack, kBlack}},
      {gdTopToBottom, 4, 4, Grey(0), Grey(90), {Grey(0), Grey(0), Grey(30), Grey(60)}},
  };
  for (const TColorCase& c : cases) {
    const auto bands = GradientBands(c.Dir, c.W, c.H, c.Start, c.End);
    EXPECT_EQ(Colors(bands), c.Expected) << int(c.Dir) << " " << c.W << "x" << c.H;
    for (std::size_t i = 0; i < bands.size(); ++i) {
      const int k = int(i);
      const TRect want = c.Dir == gdTopToBottom ? TRect{0, k, c.W, k + 1} : TRect{k, 0, k + 1, c.H};
      EXPECT_EQ(bands[i].Rect, want) << i;
    }
  }
}

TEST(GradientBands, BlackToBlueOver256RowsEndsOneStepShort) {
  const auto bands = GradientBands(gdTopToBottom, 1, 256, kBlack, kBlue);
  ASSERT_EQ(bands.size(), 256u);
  EXPECT_EQ(bands[0].Color, kBlack);
  EXPECT_EQ(bands[1].Color, kBlack);
  EXPECT_EQ(bands[2].Color, (TRgb{0, 0, 1}));
  EXPECT_EQ(bands[255].Color, (TRgb{0, 0, 254}));
}

// Mirrored modes: start at both edges, the extreme in the middle; odd counts clamp.
TEST(GradientBands, MirroredExamples) {
  const TColorCase cases[] = {
      // n = 4, step 60: start on bands 0, 1 and 3, one step on band 2.
      {gdTBT, 2, 4, Grey(0), Grey(90), {Grey(0), Grey(0), Grey(60), Grey(0)}},
      {gdLRL, 4, 2, Grey(0), Grey(90), {Grey(0), Grey(0), Grey(60), Grey(0)}},
      // n = 6, step 40: rises to the extreme on band 3 and falls back symmetrically.
      {gdTBT,
       1,
       6,
       Grey(100),
       Grey(200),
       {Grey(100), Grey(100), Grey(140), Grey(180), Grey(140), Grey(100)}},
      // Odd n = 5: the last band would step to -100 (and to 355 the other way): clamped.
      {gdTBT, 1, 5, Grey(0), Grey(200), {Grey(0), Grey(0), Grey(100), Grey(0), Grey(0)}},
      {gdLRL, 5, 1, Grey(255), Grey(55), {Grey(255), Grey(255), Grey(155), Grey(255), Grey(255)}},
      // Odd n away from the range's edge: one step beyond the start, kept as computed.
      {gdTBT, 1, 3, Grey(100), Grey(120), {Grey(100), Grey(100), Grey(80)}},
  };
  for (const TColorCase& c : cases) {
    const auto bands = GradientBands(c.Dir, c.W, c.H, c.Start, c.End);
    EXPECT_EQ(Colors(bands), c.Expected) << int(c.Dir) << " " << c.W << "x" << c.H;
  }
  const auto cols = GradientBands(gdLRL, 3, 7, kBlack, kWhite);
  EXPECT_EQ(cols[1].Rect, (TRect{1, 0, 2, 7}));
}

// Inside-out frames: rectangles and colours of the worked 4 x 4 examples.
TEST(GradientBands, InsideOutFourByFour) {
  const std::vector<TRect> rects = {{2, 2, 3, 3}, {1, 1, 4, 4}, {0, 0, 5, 5}};
  const auto up = GradientBands(gdInsideOut, 4, 4, kBlack, kWhite);
  ASSERT_EQ(up.size(), 3u);
  EXPECT_EQ(Colors(up), (std::vector<TRgb>{kBlack, Grey(128), kWhite}));
  const auto down = GradientBands(gdInsideOut, 4, 4, kWhite, kBlack);
  ASSERT_EQ(down.size(), 3u);
  EXPECT_EQ(Colors(down), (std::vector<TRgb>{kWhite, kWhite, Grey(128)}));
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(up[i].Rect, rects[i]);
    EXPECT_EQ(down[i].Rect, rects[i]);
  }
  // The painted result: the centre black, the outermost ring white, corners included.
  const TRaster r = RasterizeBands(up, 4, 4);
  EXPECT_EQ(r.At(2, 2), kBlack);
  EXPECT_EQ(r.At(1, 1), Grey(128));
  EXPECT_EQ(r.At(3, 3), Grey(128));
  EXPECT_EQ(r.At(0, 3), kWhite);
}

// Frame growth: square for gdInsideOut, with the aspect ratio for gdStretchInsideOut.
TEST(GradientBands, InsideOutGrowth) {
  struct Case {
    TGradientDirection Dir;
    int W, H;
    std::size_t Frames;
    TRect Last;
  };
  const Case cases[] = {
      {gdInsideOut, 8, 4, 5, {0, -2, 9, 7}},
      // The short side grows at half speed, so its edge is still inside when the long one
      // has left: one frame more.
      {gdStretchInsideOut, 8, 4, 6, {-1, 0, 10, 5}},
      {gdStretchInsideOut, 4, 8, 6, {0, -1, 5, 10}},
      {gdInsideOut, 1, 1, 1, {0, 0, 1, 1}},
      {gdStretchInsideOut, 3, 3, 2, {0, 0, 3, 3}},
  };
  for (const Case& c : cases) {
    const auto bands = GradientBands(c.Dir, c.W, c.H, kBlack, kWhite);
    ASSERT_EQ(bands.size(), c.Frames) << c.W << "x" << c.H;
    EXPECT_EQ(bands.back().Rect, c.Last) << c.W << "x" << c.H;
    EXPECT_EQ(bands.front().Rect, (TRect{c.W / 2, c.H / 2, c.W / 2 + 1, c.H / 2 + 1}));
  }
  // d = 63.75, rounded per frame; once a component reaches its end it stays there.
  EXPECT_EQ(Colors(GradientBands(gdStretchInsideOut, 8, 4, kBlack, kWhite)),
            (std::vector<TRgb>{Grey(0), Grey(64), Grey(128), Grey(191), Grey(255), Grey(255)}));
}

TEST(GradientBands, EmptySizesGiveNoBands) {
  for (auto dir : {gdTopToBottom, gdLeftToRight, gdInsideOut, gdStretchInsideOut, gdTBT, gdLRL}) {
    EXPECT_TRUE(GradientBands(dir, 0, 10, kBlack, kWhite).empty());
    EXPECT_TRUE(GradientBands(dir, 10, 0, kBlack, kWhite).empty());
    EXPECT_TRUE(GradientBands(dir, -3, 10, kBlack, kWhite).empty());
  }
}

}  // namespace
