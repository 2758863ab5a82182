// The frame every entry page shares (header band with title and amber rule, gradient body,
// button band with its rule and the owner-drawn buttons) as table rows, and the page protocol
// on a live form: closing reason, Back/Next/Cancel, the close query and Enter as Next.
#pragma once

#include <functional>

#include "diaPageFrame.h"
#include "diaWelcomeLogic.h"
#include "uControlDefs.h"
#include "uFormDefs.h"
#include "uForms.h"
#include "uSetupRun.h"

inline constexpr int kEntryPageWidth = kPageWidth;

// A band without bevels in one colour.
TXPanelProps PlainBand(TColor color);
extern const TTGButtonProps kDisabledButtonProps;

constexpr TControlDef HeaderBand(int height = 41, const void* props = &kBandProps) {
  return {.Kind = ckCustom,
          .Name = "PanelTop",
          .Width = kEntryPageWidth,
          .Height = height,
          .Style = csContainer,
          .Align = alTop,
          .Create = &CreateFromDef<TXPanel, TControlDef>,
          .Param = props};
}
constexpr TControlDef TitleLabel(const char* caption) {
  return {.Kind = ckLabel,
          .Name = "LabelTitel",
          .Left = 16,
          .Top = 16,
          .Width = 420,
          .Height = 14,
          .Caption = caption,
          .Style = csBold,
          .Parent = "PanelTop"};
}
constexpr TControlDef HeaderRule() {
  return {.Kind = ckShape,
          .Name = "RuleTop",
          .Height = 2,
          .Parent = "PanelTop",
          .Align = alBottom,
          .Color = kAmberRule};
}
constexpr TControlDef ButtonBand(int height = 33) {
  return {.Kind = ckCustom,
          .Name = "PanelButtons",
          .Width = kEntryPageWidth,
          .Height = height,
          .Style = csContainer,
          .Align = alBottom,
          .Create = &CreateFromDef<TXPanel, TControlDef>,
          .Param = &kBandProps};
}
constexpr TControlDef ButtonRule() {
  return {.Kind = ckShape,
          .Name = "RuleButtons",
          .Height = 2,
          .Parent = "PanelButtons",
          .Align = alTop,
          .Color = kInactiveCaptionRule};
}
constexpr TControlDef Body() {
  return {.Kind = ckCustom,
          .Name = "Body",
          .Style = csContainer,
          .Align = alClient,
          .Create = &CreateFromDef<TGradient, TControlDef>,
          .Param = &kBodyProps};
}
// The frame the entry pages share, laid before each page's own rows (its title, buttons and
// body controls): header band and rule, button band and rule, body.
inline constexpr TControlDef kEntryFrame[] = {HeaderBand(), HeaderRule(), ButtonBand(),
                                              ButtonRule(), Body()};

constexpr TControlDef PageButton(const char* name, int left, int width, const char* caption,
                                 const TTGButtonProps* props = &kButtonProps,
                                 std::uint32_t style = 0) {
  return {.Kind = ckCustom,
          .Name = name,
          .Left = left,
          .Top = 8,
          .Width = width,
          .Height = 21,
          .Caption = caption,
          .Style = style,
          .Parent = "PanelButtons",
          .Create = &CreateFromDef<TTGButton, TControlDef>,
          .Param = props};
}
constexpr TControlDef BodyLabel(const char* name, int left, int top, int width, int height,
                                const char* caption, std::uint32_t style = csWordWrap) {
  return {.Kind = ckLabel,
          .Name = name,
          .Left = left,
          .Top = top,
          .Width = width,
          .Height = height,
          .Caption = caption,
          .Style = style,
          .Parent = "Body"};
}

// Back, Next and Cancel end the page through its close query, which moves run.PageNo; the close
// box counts as Cancel. Enter presses the push button that has the focus, otherwise Next while
// it is enabled, and is consumed either way.
class TWizardProtocol {
 public:
  TWizardProtocol(TForm& form, TSetupRun& run);
  // On show: closing through the close box from now on counts as Cancel.
  void Begin() {
    Reason = crCancel;
    AbortWithoutAsking = false;
  }
  // For the form's key preview: takes Enter.
  void KeyDown(WORD& key);

  TClosingReason Reason = crCancel;
  bool AbortWithoutAsking = false;
  std::function<void()> NextStep;

 private:
  void CloseWith(TClosingReason reason);
  TForm& Form;
  TSetupRun& Run;
};

// The window's outer width, for setting only its height.
int WindowWidth(const TForm& form);
