// Each control painted into a memory device context, compared pixel by pixel with what the
// portable code says it must look like.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "BandRaster.h"
#include "PixelCanvas.h"
#include "class_TxPanel.h"
#include "uButtonFace.h"
#include "uControlPaint.h"
#include "uPinstripe.h"
#include "uTileGeometry.h"

namespace {

std::string Where(int x, int y) { return std::to_string(x) + "," + std::to_string(y); }

constexpr TRgb kMagenta{255, 0, 255};

// Every direction at sizes odd, even, square, wide, tall and tiny, with plain and system colours.
TEST(GradientPixels, MatchTheBands) {
  struct Case {
    int W, H;
    TColor Start, End;
  };
  const Case cases[] = {
      {4, 4, clBlack, clWhite},   {4, 4, clWhite, clBlack},
      {13, 9, clBlue, clBlack},   {9, 17, RgbColor(10, 200, 90), RgbColor(250, 3, 7)},
      {1, 1, clWhite, clBlue},    {1, 7, clWindow, cl3DLight},
      {31, 2, clBtnFace, clWhite}};
  for (auto dir : {gdTopToBottom, gdLeftToRight, gdInsideOut, gdStretchInsideOut, gdTBT, gdLRL}) {
    for (const Case& c : cases) {
      TGdiObject bitmap = RenderGradientBitmap(dir, c.W, c.H, c.Start, c.End);
      ASSERT_TRUE(bitmap);
      const auto got = TPixelCanvas::ReadBitmap(static_cast<HBITMAP>(bitmap.Get()), c.W, c.H);
      const TRaster want = RasterizeBands(
          GradientBands(dir, c.W, c.H, ResolveColor(c.Start), ResolveColor(c.End)), c.W, c.H);
      for (int y = 0; y < c.H; ++y)
        for (int x = 0; x < c.W; ++x)
          ASSERT_EQ(got[std::size_t(y * c.W + x)], want.At(x, y))
              << "direction " << int(dir) << " size " << c.W << "x" << c.H << " at " << Where(x, y);
    }
  }
  EXPECT_FALSE(RenderGradientBitmap(gdTopToBottom, 0, 5, clBlack, clWhite));
  EXPECT_FALSE(RenderGradientBitmap(gdInsideOut, 5, 0, clBlack, clWhite));
}

TEST(GradientPixels, SystemColoursAreLookedUp) {
  TGdiObject bitmap = RenderGradientBitmap(gdTopToBottom, 2, 5, clWindow, cl3DLight);
  const auto got = TPixelCanvas::ReadBitmap(static_cast<HBITMAP>(bitmap.Get()), 2, 5);
  const COLORREF window = GetSysColor(COLOR_WINDOW);
  EXPECT_EQ(got[0], (TRgb{GetRValue(window), GetGValue(window), GetBValue(window)}));
}

struct TPanelRender {
  std::vector<TRgb> Pixels;
  int W;
  TRgb At(int x, int y) const { return Pixels[std::size_t(y * W + x)]; }
};

TPanelRender RenderPanel(const TXPanelLook& look, int w, int h, const wchar_t* caption = L"") {
  TPixelCanvas canvas(w, h, kMagenta);
  TGdiObject picture = PictureBitmap(look.JTexture);
  PaintXPanel(canvas.Get(), RECT{0, 0, w, h}, look, picture.Get(), caption, nullptr);
  return {canvas.Pixels(), w};
}

TXPanelLook Textured(TXPanelStyle style) {
  TXPanelLook look;
  look.JTexture = PinstripePicture();
  look.JStyleTexture = style;
  look.Color = RgbColor(200, 0, 0);
  return look;
}

TEST(PanelPixels, TileCoversTheHeaderBand) {
  const TXPanelLook look = Textured(txTile);
  const auto got = RenderPanel(look, 472, 49);
  for (const TRect& tile : TileRects({0, 0, 472, 49}, 22, 36))
    for (int y = tile.Top; y < tile.Bottom; ++y)
      for (int x = tile.Left; x < tile.Right; ++x)
        ASSERT_EQ(got.At(x, y), look.JTexture.At(x - tile.Left, y - tile.Top)) << Where(x, y);
}

// Centred: the picture inside its rectangle, the panel colour (or the transparent fill) around.
TEST(PanelPixels, CenterLeavesTheBackground) {
  for (bool transparent : {false, true}) {
    TXPanelLook look = Textured(txCenter);
    look.JTransparent = transparent;
    look.JTransColor = RgbColor(0, 128, 0);
    const auto got = RenderPanel(look, 100, 20);
    const TRect pic = CenterRect({0, 0, 100, 20}, 22, 36);
    ASSERT_EQ(pic, (TRect{39, 0, 61, 20}));
    const TRgb around = transparent ? TRgb{0, 128, 0} : TRgb{200, 0, 0};
    for (int y = 0; y < 20; ++y)
      for (int x = 0; x < 100; ++x) {
        const bool inside = x >= pic.Left && x < pic.Right;
        ASSERT_EQ(got.At(x, y), inside ? look.JTexture.At(x - pic.Left, y) : around)
            << Where(x, y) << (transparent ? " transparent" : "");
      }
  }
}

TEST(PanelPixels, StretchScalesToTheClientArea) {
  TXPanelLook look = Textured(txStretch);
  look.JTransparent = true;  // covered completely by the picture
  const auto got = RenderPanel(look, 44, 72);
  for (int y = 0; y < 72; ++y)
    for (int x = 0; x < 44; ++x)
      ASSERT_EQ(got.At(x, y), look.JTexture.At(x / 2, y / 2)) << Where(x, y);
}

// No picture or txNone: colour, a raised bevel, and the caption.
TEST(PanelPixels, PlainPanel) {
  const COLORREF hi = GetSysColor(COLOR_BTNHIGHLIGHT), lo = GetSysColor(COLOR_BTNSHADOW);
  const TRgb light{GetRValue(hi), GetGValue(hi), GetBValue(hi)};
  const TRgb dark{GetRValue(lo), GetGValue(lo), GetBValue(lo)};
  TXPanelLook none = Textured(txNone);
  TXPanelLook empty = Textured(txTile);
  empty.JTexture = {};
  for (const TXPanelLook* look : {&none, &empty}) {
    const auto got = RenderPanel(*look, 60, 30, L"Xy");
    EXPECT_EQ(got.At(10, 0), light);
    EXPECT_EQ(got.At(0, 10), light);
    EXPECT_EQ(got.At(59, 10), dark);
    EXPECT_EQ(got.At(10, 29), dark);
    EXPECT_EQ(got.At(59, 0), dark);
    EXPECT_EQ(got.At(3, 3), (TRgb{200, 0, 0}));
    int text = 0;
    for (const TRgb& p : got.Pixels) text += p != light && p != dark && p != TRgb{200, 0, 0};
    EXPECT_GT(text, 0) << "caption drawn";
  }
}

struct TFaceRender {
  std::vector<TRgb> Pixels;
  TRgb At(int x, int y) const { return Pixels[std::size_t(y * 97 + x)]; }
  int Count(TRgb c) const {
    int n = 0;
    for (const TRgb& p : Pixels) n += p == c;
    return n;
  }
};

TFaceRender RenderFace(const TButtonFace& face, bool disabled, const wchar_t* caption) {
  TPixelCanvas canvas(97, 21, kMagenta);
  LOGFONTW lf{};
  lf.lfHeight = -11;
  lf.lfQuality = NONANTIALIASED_QUALITY;
  lstrcpyW(lf.lfFaceName, L"Tahoma");
  TGdiObject font(CreateFontIndirectW(&lf));
  TSelectGuard useFont(canvas.Get(), font.Get());
  PaintButtonFace(canvas.Get(), face, disabled, TRgb{0, 0, 0}, caption);
  return {canvas.Pixels()};
}

TRgb ButtonFaceColor() { return ResolveColor(clBtnFace); }

void ExpectShading(const TFaceRender& got, const std::vector<TShadeLine>& lines) {
  ASSERT_FALSE(lines.empty());
  for (const TShadeLine& line : lines)
    for (int x = line.Left; x < line.Right; ++x)
      ASSERT_EQ(got.At(x, line.Y), ShadeColor(ButtonFaceColor(), line.Percent)) << Where(x, line.Y);
}

TEST(ButtonPixels, PlainFace) {
  const TButtonFace face = PlanButtonFace({0, 0, 97, 21}, false, false, false);
  const auto got = RenderFace(face, false, L"");
  ExpectShading(got, face.Outlines[0].Shading);
  for (int y = 1; y <= 5; ++y)
    for (int x = 2; x <= 94; ++x) ASSERT_EQ(got.At(x, y), (TRgb{255, 255, 255})) << Where(x, y);
  for (int x = 3; x <= 93; ++x) {
    ASSERT_EQ(got.At(x, 0), kBorderColor) << x;
    ASSERT_EQ(got.At(x, 20), kBorderColor) << x;
  }
  for (int y = 3; y <= 17; ++y) {
    ASSERT_EQ(got.At(0, y), kBorderColor) << y;
    ASSERT_EQ(got.At(96, y), kBorderColor) << y;
  }
  EXPECT_EQ(got.At(0, 0), kMagenta) << "rounded corner";
}

// Focus and hot rings: the second shading exact, each ring in its colour, hot over focus.
TEST(ButtonPixels, Rings) {
  struct Case {
    bool Focused, Hot;
    TRgb Ring;
  };
  const Case cases[] = {
      {true, false, kFocusRingColor}, {false, true, kHotRingColor}, {true, true, kHotRingColor}};
  for (const Case& c : cases) {
    const TButtonFace face = PlanButtonFace({0, 0, 97, 21}, false, c.Focused, c.Hot);
    const auto got = RenderFace(face, false, L"");
    ExpectShading(got, face.Outlines.back().Shading);
    // The 2-pixel pen straddles the ring's outline (2,2)-(96,20).
    for (auto [x, y] :
         {std::pair{1, 10}, {2, 10}, {94, 10}, {95, 10}, {48, 1}, {48, 2}, {48, 18}, {48, 19}})
      EXPECT_EQ(got.At(x, y), c.Ring) << Where(x, y);
    EXPECT_EQ(got.At(3, 10), (TRgb{255, 255, 255}));
    EXPECT_EQ(got.At(48, 0), kBorderColor);
    EXPECT_EQ(got.Count(kFocusRingColor) > 0, c.Focused && !c.Hot);
  }
}

TEST(ButtonPixels, PressedShowsOnlyThePlatformFrame) {
  const auto got = RenderFace(PlanButtonFace({0, 0, 97, 21}, true, true, true), false, L"");
  EXPECT_EQ(got.Count(kBorderColor), 0);
  EXPECT_EQ(got.Count(kFocusRingColor), 0);
  EXPECT_EQ(got.Count(kHotRingColor), 0);
  EXPECT_EQ(got.At(48, 10), ButtonFaceColor());
}

// The caption: centred vertically, in the grey-text colour when disabled.
TEST(ButtonPixels, Caption) {
  const COLORREF grey = GetSysColor(COLOR_GRAYTEXT);
  const TRgb greyText{GetRValue(grey), GetGValue(grey), GetBValue(grey)};
  const TButtonFace face = PlanButtonFace({0, 0, 97, 21}, false, false, false);
  for (bool disabled : {false, true}) {
    const auto got = RenderFace(face, disabled, L"&Weiter");
    const TRgb ink = disabled ? greyText : TRgb{0, 0, 0};
    int top = 21, bottom = -1, left = 97, right = -1;
    for (int y = 0; y < 21; ++y)
      for (int x = 0; x < 97; ++x)
        if (got.At(x, y) == ink) {
          top = std::min(top, y), bottom = std::max(bottom, y);
          left = std::min(left, x), right = std::max(right, x);
        }
    ASSERT_GE(bottom, 0) << "no caption pixels, disabled " << disabled;
    EXPECT_NEAR((top + bottom) / 2.0, 10, 3) << disabled;
    EXPECT_NEAR((left + right) / 2.0, 48, 3) << disabled;
    if (disabled) {
      EXPECT_EQ(got.Count(TRgb{0, 0, 0}), 0);
    }
  }
}

}  // namespace
