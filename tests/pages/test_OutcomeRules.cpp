// The decisions of the finish page and the readme viewer, and the pace at which the progress
// pages repaint.
#include <gtest/gtest.h>

#include "diaFinishRules.h"
#include "diaLoadProgress.h"

namespace {

// The finish page's face for each combination of full installation and required restart.
TEST(OutcomeRules, FinishFace) {
  struct Case {
    bool Full, Reboot;
    TFinishFace Face;
  } cases[] = {
      {false, false, {false, false, false}},
      {false, true, {true, false, false}},
      {true, false, {false, true, false}},
      {true, true, {true, true, true}},
  };
  for (const Case& c : cases) {
    const TFinishFace f = FinishFace(c.Full, c.Reboot);
    EXPECT_EQ(f.RebootVisible, c.Face.RebootVisible) << c.Full << c.Reboot;
    EXPECT_EQ(f.ShortcutEnabled, c.Face.ShortcutEnabled) << c.Full << c.Reboot;
    EXPECT_EQ(f.ShortcutChecked, c.Face.ShortcutChecked) << c.Full << c.Reboot;
  }
}

// The restart choice is taken only when it was asked about.
TEST(OutcomeRules, RebootNowOnClose) {
  struct Case {
    bool Required, YesChecked, Before, After;
  } cases[] = {
      {true, true, false, true},
      {true, false, true, false},
      {false, true, false, false},
      {false, false, true, true},
  };
  for (const Case& c : cases)
    EXPECT_EQ(RebootNowOnClose(c.Required, c.YesChecked, c.Before), c.After);
}

TEST(OutcomeRules, ReadmeTakesTwoThirdsOfTheScreen) {
  struct Case {
    int W, H, Width, Height;
  } cases[] = {{1024, 768, 683, 512},
               {1280, 1024, 854, 683},
               {800, 600, 534, 400},
               {1, 2, 1, 2},
               {0, 0, 0, 0}};
  for (const Case& c : cases) {
    const TReadmeSize s = ReadmeSize(c.W, c.H);
    EXPECT_EQ(s.Width, c.Width) << c.W;
    EXPECT_EQ(s.Height, c.Height) << c.H;
  }
}

struct TPaced {
  uint64_t Now = 1000;
  std::vector<TProgressView> Painted;
  std::vector<TProgressView> Before;
  TProgressPacer Pacer{{},
                       [this](const TProgressView& now, const TProgressView& before) {
                         Painted.push_back(now);
                         Before.push_back(before);
                       },
                       33,
                       [this] { return Now; }};
};

// The first change paints at once; changes within the interval wait; the next one after it
// paints the latest values; a flush paints what is still unshown, and only that.
TEST(OutcomeRules, PacerPaintsLatestValuesAtItsPace) {
  TPaced p;
  p.Pacer.Update({"a", 1, 1});
  ASSERT_EQ(p.Painted.size(), 1u);
  p.Now += 10;
  p.Pacer.Update({"a", 2, 1});
  p.Now += 22;
  p.Pacer.Update({"b", 3, 2});
  EXPECT_EQ(p.Painted.size(), 1u);
  p.Now += 1;
  p.Pacer.Update({"b", 4, 2});
  ASSERT_EQ(p.Painted.size(), 2u);
  EXPECT_EQ(p.Painted[1], (TProgressView{"b", 4, 2}));
  EXPECT_EQ(p.Before[1], (TProgressView{"a", 1, 1}));
  p.Now += 1;
  p.Pacer.Update({"c", 100, 100});
  EXPECT_EQ(p.Pacer.Showing(), (TProgressView{"b", 4, 2}));
  p.Pacer.Flush();
  EXPECT_EQ(p.Pacer.Showing(), (TProgressView{"c", 100, 100}));
  p.Pacer.Flush();
  p.Now += 1000;
  p.Pacer.Update({"c", 100, 100});  // unchanged values never paint
  EXPECT_EQ(p.Painted.size(), 3u);
}

// 22,000 engine reports over two seconds paint at most about 30 times a second, and the last
// values are the ones shown after the flush.
TEST(OutcomeRules, PacerBoundsPaintsOfALongRun) {
  TPaced p;
  for (int i = 0; i < 22000; ++i) {
    p.Now = 1000 + uint64_t(i) * 2000 / 22000;
    p.Pacer.Update({"file" + std::to_string(i / 11), (i * 7) % 101, i * 100 / 21999});
  }
  p.Pacer.Flush();
  EXPECT_LE(p.Pacer.Paints(), 2000 / 33 + 2);
  EXPECT_GE(p.Pacer.Paints(), 2000 / 34);
  EXPECT_EQ(p.Pacer.Showing(), (TProgressView{"file1999", (21999 * 7) % 101, 100}));
}

}  // namespace
