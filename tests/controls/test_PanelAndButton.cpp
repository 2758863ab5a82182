#include <gtest/gtest.h>

#include <vector>

#include "uButtonFace.h"
#include "uColor.h"
#include "uPicture.h"
#include "uPinstripe.h"
#include "uTileGeometry.h"

namespace {

TEST(Color, Convention) {
  EXPECT_EQ(RgbOf(clBlue), (TRgb{0, 0, 255}));
  EXPECT_EQ(RgbOf(RgbColor(1, 2, 3)), (TRgb{1, 2, 3}));
  EXPECT_EQ(clBtnFace, -16777201);
  EXPECT_TRUE(IsSystemColor(clBtnFace));
  EXPECT_FALSE(IsSystemColor(clBlack));
  EXPECT_EQ(SystemColorIndex(clBtnFace), 15);
  EXPECT_EQ(SystemColorIndex(cl3DLight), 22);
}

TEST(TileGeometry, PinstripeOnHeaderBand) {
  const auto tiles = TileRects({0, 0, 472, 49}, 22, 36);
  ASSERT_EQ(tiles.size(), 44u);
  for (int row = 0; row < 2; ++row) {
    for (int i = 0; i < 22; ++i) {
      const TRect& t = tiles[std::size_t(row * 22 + i)];
      EXPECT_EQ(t.Left, i * 22);
      EXPECT_EQ(t.Top, row * 36);
      EXPECT_EQ(t.Width(), i == 21 ? 10 : 22);
      EXPECT_EQ(t.Height(), row == 0 ? 36 : 13);
    }
  }
  // An offset client rectangle tiles from its own corner.
  const auto shifted = TileRects({5, 7, 30, 20}, 22, 36);
  ASSERT_EQ(shifted.size(), 2u);
  EXPECT_EQ(shifted[0], (TRect{5, 7, 27, 20}));
  EXPECT_EQ(shifted[1], (TRect{27, 7, 30, 20}));
  EXPECT_TRUE(TileRects({0, 0, 10, 10}, 0, 5).empty());
  EXPECT_TRUE(TileRects({0, 0, 0, 10}, 4, 5).empty());
}

// Centring per axis: smaller pictures centred, larger ones cut from the top-left corner.
TEST(TileGeometry, Center) {
  EXPECT_EQ(CenterRect({0, 0, 100, 20}, 22, 36), (TRect{39, 0, 61, 20}));
  EXPECT_EQ(CenterRect({0, 0, 10, 100}, 22, 36), (TRect{0, 32, 10, 68}));
  EXPECT_EQ(CenterRect({10, 10, 33, 47}, 22, 36), (TRect{10, 10, 32, 46}));
  EXPECT_EQ(CenterRect({0, 0, 22, 36}, 22, 36), (TRect{0, 0, 22, 36}));
}

TEST(Pinstripe, RowsRepeatWithPeriodFour) {
  ASSERT_EQ(PinstripeBmp.size(), 550u);
  EXPECT_EQ(PinstripeBmp[10], 118);  // pixel data offset
  const TPicture p = PinstripePicture();
  ASSERT_EQ(p.Width, 22);
  ASSERT_EQ(p.Height, 36);
  const int period[4] = {241, 234, 241, 255};
  for (int y = 0; y < 36; ++y) {
    const int v = y == 35 ? 254 : period[y % 4];
    for (int x = 0; x < 22; ++x)
      ASSERT_EQ(p.At(x, y), (TRgb{std::uint8_t(v), std::uint8_t(v), std::uint8_t(v)}))
          << x << "," << y;
  }
}

std::vector<std::uint8_t> Bmp(int w, int h, int bits, std::vector<std::uint8_t> palette,
                              std::vector<std::uint8_t> pixels) {
  // Sized once and filled in place: GCC 12 takes the growing insert into a 54-byte vector for
  // an access past its end (-Warray-bounds) in an optimised build.
  std::vector<std::uint8_t> f(54 + palette.size() + pixels.size());
  auto put = [&](std::size_t at, std::uint32_t v, int n) {
    for (int i = 0; i < n; ++i) f[at + std::size_t(i)] = std::uint8_t(v >> (8 * i));
  };
  f[0] = 'B', f[1] = 'M';
  put(10, std::uint32_t(54 + palette.size()), 4);
  put(14, 40, 4), put(18, std::uint32_t(w), 4), put(22, std::uint32_t(h), 4);
  put(26, 1, 2), put(28, std::uint32_t(bits), 2);
  put(46, std::uint32_t(palette.size() / 4), 4);
  std::copy(pixels.begin(), pixels.end(),
            std::copy(palette.begin(), palette.end(), f.begin() + 54));
  return f;
}

TEST(Picture, DecodesOtherDepthsAndOrientations) {
  // 2 x 2, 24 bits, bottom-up: the file's first row is the picture's bottom row.
  const auto rgb = Bmp(2, 2, 24, {}, {1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0});
  const auto p = TryDecodeBmp(rgb);
  ASSERT_TRUE(p);
  EXPECT_EQ(p->At(0, 1), (TRgb{3, 2, 1}));
  EXPECT_EQ(p->At(1, 0), (TRgb{12, 11, 10}));
  // 1 bit, top-down (negative height), two palette entries.
  auto mono = Bmp(3, 1, 1, {0, 0, 0, 0, 255, 255, 255, 0}, {0xA0, 0, 0, 0});
  mono[22] = 0xFF, mono[23] = 0xFF, mono[24] = 0xFF, mono[25] = 0xFF;
  const auto m = TryDecodeBmp(mono);
  ASSERT_TRUE(m);
  EXPECT_EQ(m->Height, 1);
  EXPECT_EQ(m->At(0, 0), (TRgb{255, 255, 255}));
  EXPECT_EQ(m->At(1, 0), (TRgb{0, 0, 0}));
  EXPECT_EQ(m->At(2, 0), (TRgb{255, 255, 255}));
}

// Damaged files are refused, never read past their end.
TEST(Picture, RefusesDamagedFiles) {
  const std::vector<std::uint8_t> good(PinstripeBmp.begin(), PinstripeBmp.end());
  ASSERT_TRUE(TryDecodeBmp(good));
  auto edit = [&](std::size_t at, std::uint8_t v) {
    auto f = good;
    f[at] = v;
    return f;
  };
  const std::vector<std::vector<std::uint8_t>> bad = {
      {},
      std::vector<std::uint8_t>(good.begin(), good.end() - 1),  // last pixel row short
      edit(0, 'X'),                                             // no signature
      edit(28, 16),                                             // unsupported depth
      edit(30, 1),                                              // compressed
      edit(46, 17),                                             // palette larger than 4 bits
      edit(10, 0xFF),                                           // pixels beyond the end
      edit(19, 0x40),                                           // width 16406: too wide
      edit(15, 0xFF),                                           // header runs past the end
  };
  for (std::size_t i = 0; i < bad.size(); ++i) EXPECT_FALSE(TryDecodeBmp(bad[i])) << i;
  // A pixel naming a palette entry the file does not have.
  auto few = edit(46, 2);
  few[118 + 12 * 35] = 0x33;
  EXPECT_FALSE(TryDecodeBmp(few));
}

TEST(ButtonFace, ShadeColor) {
  const TRgb face{212, 208, 200};
  EXPECT_EQ(ShadeColor(face, 100), face);
  EXPECT_EQ(ShadeColor(face, 0), (TRgb{255, 255, 255}));
  // Halves round to even: 43 * 50 / 100 = 21.5 -> 22, 47 -> 23.5 -> 24, 55 -> 27.5 -> 28.
  EXPECT_EQ(ShadeColor(face, 50), (TRgb{233, 231, 227}));
  EXPECT_EQ(ShadeColor(face, -2), (TRgb{255, 255, 255}));
}

// The shading rows and percentages of the page buttons' 97 x 21 face.
TEST(ButtonFace, ShadingOfAPageButton) {
  struct Case {
    bool Focused;
    int Outline, FirstRow, Count, Step, Left, Right;
  };
  const Case cases[] = {{false, 0, 19, 14, 7, 2, 95}, {true, 1, 17, 10, 9, 4, 93}};
  for (const Case& c : cases) {
    const TButtonFace face = PlanButtonFace({0, 0, 97, 21}, false, c.Focused, false);
    ASSERT_EQ(face.Outlines.size(), c.Focused ? 2u : 1u);
    const auto& lines = face.Outlines[std::size_t(c.Outline)].Shading;
    ASSERT_EQ(int(lines.size()), c.Count);
    for (int i = 0; i < c.Count; ++i)
      EXPECT_EQ(lines[std::size_t(i)],
                (TShadeLine{c.FirstRow - i, c.Left, c.Right, 100 - (i + 1) * c.Step}));
  }
  const TButtonFace focused = PlanButtonFace({0, 0, 97, 21}, false, true, false);
  EXPECT_EQ(focused.Outlines[0].Rect, (TRect{0, 0, 97, 21}));
  EXPECT_EQ(focused.Outlines[0].Corner, 5);
  EXPECT_EQ(focused.Outlines[0].Pen, kBorderColor);
  EXPECT_EQ(focused.Outlines[1].Rect, (TRect{2, 2, 96, 20}));
  EXPECT_EQ(focused.Outlines[1].Corner, 3);
  EXPECT_EQ(focused.Outlines[1].PenWidth, 2);
  EXPECT_EQ(focused.Outlines[1].Pen, kFocusRingColor);
}

TEST(ButtonFace, StatesAndRings) {
  const TButtonFace pressed = PlanButtonFace({0, 0, 97, 21}, true, true, true);
  EXPECT_TRUE(pressed.Pushed);
  EXPECT_TRUE(pressed.Outlines.empty());
  // The hot ring is drawn after, so over, the focus ring.
  const TButtonFace both = PlanButtonFace({0, 0, 97, 21}, false, true, true);
  ASSERT_EQ(both.Outlines.size(), 3u);
  EXPECT_EQ(both.Outlines[1].Pen, kFocusRingColor);
  EXPECT_EQ(both.Outlines[2].Pen, kHotRingColor);
  EXPECT_EQ(both.Outlines[2].Rect, both.Outlines[1].Rect);
  EXPECT_EQ(both.Caption, (TRect{0, 0, 97, 21}));
}

// Small faces: no line where the step would divide by zero or the count go negative.
TEST(ButtonFace, SmallButtonsDrawNoShading) {
  for (int height : {0, 1, 4, 5, 6, 7}) {
    const auto lines = ShadingLines({0, 0, 40, height});
    EXPECT_TRUE(lines.empty()) << height;
  }
  const auto seven = ShadingLines({0, 0, 40, 8});  // h = 2: one line at 50 %
  ASSERT_EQ(seven.size(), 1u);
  EXPECT_EQ(seven[0], (TShadeLine{6, 2, 38, 50}));
  EXPECT_TRUE(PlanButtonFace({0, 0, 40, 10}, false, true, false).Outlines[1].Shading.empty());
}

TEST(ButtonFace, OwnerDrawRule) {
  struct Case {
    unsigned Major, Minor;
    bool OwnerDraw;
  };
  const Case cases[] = {{4, 0, true},  {4, 10, true}, {5, 0, true}, {5, 1, false},
                        {6, 1, false}, {6, 2, false}, {6, 0, true}, {10, 0, true}};
  for (const Case& c : cases) EXPECT_EQ(UseOwnerDraw(c.Major, c.Minor), c.OwnerDraw);
}

}  // namespace
