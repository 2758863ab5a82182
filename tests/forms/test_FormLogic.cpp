// The framework's decisions, natively: table checks, texts by language, layout, keys.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "uFormLogic.h"

namespace {

TWindow MakeNothing(TWindow, const TControlDef&, int) { return nullptr; }

const TControlDef kPage[] = {
    {.Kind = ckPanel, .Name = "Body", .Width = 472, .Height = 200},
    {.Kind = ckLabel,
     .Name = "Label1",
     .Left = 32,
     .Top = 40,
     .Caption = "Willkommen",
     .Parent = "Body"},
    {.Kind = ckListBox, .Name = "Liste", .Caption = "Keine\nEins"},
    {.Kind = ckButton, .Name = "BtnNext", .Caption = "&Weiter", .Style = csDefault},
    {.Kind = ckCustom, .Name = "Gradient", .Style = csContainer, .Create = &MakeNothing},
};
const TTextDef kEnglish[] = {{"Page", "Setup"}, {"Label1", "Welcome"}, {"BtnNext", "Co&ntinue"}};

TFormDef Page(std::span<const TControlDef> controls, std::span<const TTextDef> english = {}) {
  TFormDef f;
  f.Name = "Page";
  f.Caption = "Kro Setup";
  f.Controls = controls;
  f.English = english;
  return f;
}

}  // namespace

TEST(FormDef, SoundTableHasNoComplaint) { EXPECT_EQ(CheckFormDef(Page(kPage, kEnglish)), ""); }

// Each broken table is refused with a message naming what is wrong.
TEST(FormDef, BrokenTablesAreNamed) {
  struct Case {
    std::vector<TControlDef> Controls;
    std::vector<TTextDef> English;
    std::string Expected;
  };
  const std::vector<Case> cases = {
      {{{.Name = ""}}, {}, "control 0 has no name"},
      {{{.Name = "A"}, {.Name = "A"}}, {}, "control \"A\" is named twice"},
      {{{.Name = "Page"}}, {}, "control \"Page\" has the form's own name"},
      {{{.Name = "A", .Width = -1}}, {}, "control \"A\" has a negative size"},
      {{{.Name = "A", .Parent = "B"}, {.Kind = ckPanel, .Name = "B"}},
       {},
       "control \"A\" names a parent that is not earlier in the table"},
      {{{.Name = "B"}, {.Name = "A", .Parent = "B"}},
       {},
       "control \"A\" names a parent that holds no controls"},
      {{{.Kind = ckCustom, .Name = "C"}},
       {},
       "control \"C\" is custom without a class or a creator"},
      {{{.Kind = ckButton, .Name = "A", .Style = csDefault},
        {.Kind = ckButton, .Name = "B", .Style = csDefault}},
       {},
       "more than one default button"},
      {{{.Kind = ckButton, .Name = "A", .Style = csCancel},
        {.Kind = ckButton, .Name = "B", .Style = csCancel}},
       {},
       "more than one cancel button"},
      {{{.Name = "A"}}, {{"B", "x"}}, "English text for no control: \"B\""},
  };
  for (const Case& c : cases) EXPECT_EQ(CheckFormDef(Page(c.Controls, c.English)), c.Expected);
}

// A shared frame and the form's own rows make one table: the rows may sit in the frame's
// containers, find its rows and texts, and clash with its names.
TEST(FormDef, FrameAndRowsAreOneTable) {
  const TControlDef frame[] = {{.Kind = ckPanel, .Name = "Band"},
                               {.Name = "Rule", .Parent = "Band"}};
  struct Case {
    std::vector<TControlDef> Controls;
    std::vector<TTextDef> English;
    std::string Expected;
  };
  const std::vector<Case> cases = {
      {{{.Name = "Title", .Parent = "Band"}}, {{"Rule", "r"}, {"Title", "t"}}, ""},
      {{{.Name = "Rule"}}, {}, "control \"Rule\" is named twice"},
      {{{.Name = "A", .Parent = "Rule"}},
       {},
       "control \"A\" names a parent that holds no controls"},
      {{{.Name = "A", .Parent = "B"}, {.Kind = ckPanel, .Name = "B"}},
       {},
       "control \"A\" names a parent that is not earlier in the table"},
  };
  for (const Case& c : cases) {
    TFormDef f = Page(c.Controls, c.English);
    f.Frame = frame;
    EXPECT_EQ(CheckFormDef(f), c.Expected);
  }
  const TControlDef own[] = {{.Name = "Title", .Caption = "Titel"}};
  TFormDef f = Page(own);
  f.Frame = frame;
  ASSERT_EQ(RowCount(f), 3u);
  EXPECT_STREQ(Row(f, 0).Name, "Band");
  EXPECT_STREQ(Row(f, 2).Name, "Title");
  EXPECT_EQ(FindControlDef(f, "Rule"), &frame[1]);
  EXPECT_STREQ(CaptionFor(f, "Title", 0), "Titel");
}

// German comes from the control table, English from the text table where it has an entry.
TEST(FormDef, CaptionForLanguage) {
  const TFormDef f = Page(kPage, kEnglish);
  struct Case {
    const char* Name;
    int Language;
    std::string Expected;
  } cases[] = {
      {"Label1", 0, "Willkommen"}, {"Label1", 1, "Welcome"}, {"BtnNext", 1, "Co&ntinue"},
      {"Liste", 1, "Keine\nEins"}, {"Page", 0, "Kro Setup"}, {"Page", 1, "Setup"},
      {"Label1", 7, "Willkommen"},  // only 1 reads English: every page follows this rule
  };
  for (const Case& c : cases) EXPECT_EQ(CaptionFor(f, c.Name, c.Language), c.Expected) << c.Name;
  EXPECT_EQ(CaptionFor(f, "Nothing", 0), nullptr);
  EXPECT_TRUE(HasEnglishText(f, "Label1"));
  EXPECT_FALSE(HasEnglishText(f, "Liste"));
}

TEST(FormDef, ListItemsOnePerLine) {
  EXPECT_EQ(SplitItems(""), std::vector<std::string_view>{});
  EXPECT_EQ(SplitItems("a"), std::vector<std::string_view>{"a"});
  EXPECT_EQ(SplitItems("a\nb"), (std::vector<std::string_view>{"a", "b"}));
  EXPECT_EQ(SplitItems("a\n\nb"), (std::vector<std::string_view>{"a", "", "b"}));
}

// The backdrop and the readme viewer: bands taken top, bottom, left, right, then client, and
// anchored controls following the right and bottom edges of a parent larger than designed.
TEST(Layout, AlignedBandsAndAnchors) {
  const TLayoutItem items[] = {
      {{0, 0, 100, 57}, alTop},                       // header band
      {{0, 0, 100, 40}, alBottom},                    // lower gradient
      {{0, 0, 17, 10}, alLeft},                       // margin
      {{0, 0, 10, 10}, alClient},                     // text area
      {{80, 60, 10, 5}, alNone, true, true},          // anchored bottom right
      {{80, 60, 10, 5}, alNone, true, false},         // anchored right
      {{5, 6, 7, 8}, alNone},                         // stays
      {{0, 0, 100, 30}, alTop, false, false, false},  // hidden: takes no room
  };
  const std::vector<TBox> boxes = ArrangeChildren(items, 300, 200, 100, 100);
  const std::vector<TBox> expected = {
      {0, 0, 300, 57},   {0, 160, 300, 40}, {0, 57, 17, 103}, {17, 57, 283, 103},
      {280, 160, 10, 5}, {280, 60, 10, 5},  {5, 6, 7, 8},     {0, 0, 100, 30},
  };
  EXPECT_EQ(boxes, expected);
}

TEST(Layout, BandsNeverExceedWhatIsLeft) {
  const TLayoutItem items[] = {
      {{0, 0, 10, 80}, alTop}, {{0, 0, 10, 80}, alBottom}, {{0, 0, 10, 10}, alClient}};
  const std::vector<TBox> boxes = ArrangeChildren(items, 50, 100, 50, 100);
  EXPECT_EQ(boxes[0], (TBox{0, 0, 50, 80}));
  EXPECT_EQ(boxes[1], (TBox{0, 80, 50, 20}));
  EXPECT_EQ(boxes[2], (TBox{0, 80, 50, 0}));
}

TEST(Layout, CenteredOnScreen) {
  EXPECT_EQ(CenteredBox({0, 0, 1024, 768}, 683, 512), (TBox{170, 128, 683, 512}));
  EXPECT_EQ(CenteredBox({0, 0, 100, 100}, 300, 50), (TBox{0, 25, 300, 50}));
}

// What Enter, Escape and Tab do once the form's key preview has let them pass.
TEST(Keys, DialogKeyDecisions) {
  struct Case {
    unsigned Key;
    TKeyContext Context;
    TKeyAction Expected;
  } cases[] = {
      {kVkReturn, {}, kaPass},  // pages: OnKeyPress sees 13
      {kVkReturn, {.HasDefault = true}, kaClickDefault},
      {kVkReturn, {.FocusedIsPushButton = true, .HasDefault = true}, kaClickFocused},
      {kVkReturn, {.ControlWantsKey = true, .HasDefault = true}, kaPass},  // multi-line edit
      {kVkEscape, {}, kaPass},  // Escape does nothing on pages
      {kVkEscape, {.HasCancel = true}, kaClickCancel},
      {kVkEscape, {.ControlWantsKey = true, .HasCancel = true}, kaPass},
      {kVkTab, {}, kaNextControl},
      {kVkTab, {.Shift = true}, kaPrevControl},
      {kVkTab, {.ControlWantsKey = true}, kaPass},
      {0x74 /* F5 */, {.HasDefault = true, .HasCancel = true}, kaPass},
      {kVkDown, {.FocusedIsRadioButton = true}, kaNextInGroup},
      {kVkRight, {.FocusedIsRadioButton = true}, kaNextInGroup},
      {kVkUp, {.FocusedIsRadioButton = true}, kaPrevInGroup},
      {kVkLeft, {.FocusedIsRadioButton = true}, kaPrevInGroup},
      {kVkDown, {}, kaPass},  // a list box moves its own selection
  };
  for (const Case& c : cases) EXPECT_EQ(DialogKeyAction(c.Key, c.Context), c.Expected) << c.Key;
}

TEST(Keys, AccessKeys) {
  const std::vector<std::string_view> captions = {"&Zurück", "Co&ntinue", "A&&B", "&&x&y", "OK"};
  struct Case {
    char32_t Ch;
    int Expected;
  } cases[] = {{'z', 0},  {'Z', 0},  {'n', 1},   {'b', -1}, {'y', 3},
               {'x', -1}, {'o', -1}, {U'ü', -1}, {'&', -1}};
  for (const Case& c : cases) EXPECT_EQ(FindMnemonic(captions, c.Ch), c.Expected) << char(c.Ch);
}
