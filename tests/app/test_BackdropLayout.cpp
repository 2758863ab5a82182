// The backdrop's screen-dependent layout.
#include <gtest/gtest.h>

#include "uBackdropLayout.h"

namespace {

struct TLayoutCase {
  int Width, Height, VersionHeight;
  TRect Gradient2, ShapeH;
  int VersionTop;
  TRect Remark, FirstBar, LastBar;
};

}  // namespace

// Common screens, one of odd height (the lower gradient takes the smaller half); rectangles
// right and bottom exclusive.
TEST(BackdropLayout, PlacesEveryPartForTheScreen) {
  const TLayoutCase cases[] = {
      {800,
       600,
       20,
       {0, 0, 800, 300},
       {24, 73, 26, 584},
       264,
       {216, 266, 776, 282},
       {646, 292, 656, 295},
       {766, 292, 776, 295}},
      {1024,
       768,
       20,
       {0, 0, 1024, 384},
       {24, 73, 26, 752},
       348,
       {440, 350, 1000, 366},
       {870, 376, 880, 379},
       {990, 376, 1000, 379}},
      {1920,
       1081,
       18,
       {0, 0, 1920, 540},
       {24, 73, 26, 1065},
       506,
       {1336, 508, 1896, 524},
       {1766, 532, 1776, 535},
       {1886, 532, 1896, 535}},
  };
  for (const TLayoutCase& c : cases) {
    SCOPED_TRACE(std::to_string(c.Width) + "x" + std::to_string(c.Height));
    const TBackdropLayout layout = BackdropLayout(c.Width, c.Height, c.VersionHeight);
    EXPECT_EQ(layout.Gradient2, c.Gradient2);
    EXPECT_EQ(layout.ShapeH, c.ShapeH);
    EXPECT_EQ(layout.VersionTop, c.VersionTop);
    EXPECT_EQ(layout.Remark, c.Remark);
    EXPECT_EQ(layout.Bars.front(), c.FirstBar);
    EXPECT_EQ(layout.Bars.back(), c.LastBar);
    // The bars between stand 12 px apart on one line.
    for (size_t i = 1; i < layout.Bars.size(); ++i) {
      EXPECT_EQ(layout.Bars[i].Left - layout.Bars[i - 1].Left, 12) << i;
      EXPECT_EQ(layout.Bars[i].Top, c.FirstBar.Top) << i;
    }
  }
}
