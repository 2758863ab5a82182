// The frame every page and dialog of the wizard shares, one definition each: the textured header
// band (the pinstripe picture tiled) with the bold title and the amber rule, the gradient body
// that holds the page's own controls (transparent labels over it), the textured button band
// with its rule and the owner-drawn buttons Back, Next and Cancel with their texts. Pages lay
// their tables out of these rows; the page protocols on a live form (the wizard's Back/Next/
// Cancel, the outcome pages' one way out) live here too.
//
// Language: a page calls form.SetLanguageTexts(run.Language) when it is shown; that shows its
// English texts for English and its designed German ones for any other value.
#pragma once

#include <array>
#include <functional>
#include <span>

#include "diaWelcomeLogic.h"
#include "uControlDefs.h"
#include "uFormDefs.h"
#include "uForms.h"
#include "uSetupRun.h"

inline constexpr int kPageWidth = 472;
inline constexpr int kPageHeight = 286;
inline constexpr int kButtonBandHeight = 33;
inline constexpr TColor kAmberRule = 0x3CC8FF;                  // RGB 255,200,60
inline constexpr TColor kInactiveCaptionRule = SystemColor(3);  // inactive caption

inline const TXPanelProps kBandProps = PinstripeBand();
inline const TGradientProps kBodyProps{
    .ColorStart = clWindow, .ColorEnd = cl3DLight, .GradientDirection = gdTopToBottom};
inline const TTGButtonProps kButtonProps{};
inline const TTGButtonProps kDisabledButtonProps{.Enabled = false};

// A band without bevels in one colour.
TXPanelProps PlainBand(TColor color);

// ---- The frame's rows ---------------------------------------------------------------------

constexpr TControlDef HeaderBand(int height = 41, const void* props = &kBandProps) {
  return {.Kind = ckCustom,
          .Name = "PanelTop",
          .Width = kPageWidth,
          .Height = height,
          .Style = csContainer,
          .Align = alTop,
          .Create = &CreateFromDef<TXPanel, TControlDef>,
          .Param = props};
}
constexpr TControlDef TitleLabel(const char* caption, int top = 16) {
  return {.Kind = ckLabel,
          .Name = "LabelTitel",
          .Left = 16,
          .Top = top,
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
constexpr TControlDef ButtonBand(int height = kButtonBandHeight) {
  return {.Kind = ckCustom,
          .Name = "PanelButtons",
          .Width = kPageWidth,
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
// fontFace: the face of the body's controls; none: the form's.
constexpr TControlDef Body(const char* fontFace = nullptr) {
  return {.Kind = ckCustom,
          .Name = "Body",
          .Style = csContainer,
          .Align = alClient,
          .FontFace = fontFace,
          .Create = &CreateFromDef<TGradient, TControlDef>,
          .Param = &kBodyProps};
}

// The frame laid before each page's own rows (its title, buttons and body controls): header
// band and rule, button band and rule, body. The tab order follows the table: the wizard's
// pages reach their buttons first, the progress and outcome pages their body's controls (the
// list of failed files, the finish page's choices) before their one button.
enum TTabOrder : bool { toButtonsFirst, toBodyFirst };
constexpr std::array<TControlDef, 5> PageFrame(int headerHeight = 41,
                                               TTabOrder order = toButtonsFirst,
                                               const char* bodyFont = nullptr) {
  if (order == toBodyFirst)
    return {HeaderBand(headerHeight), HeaderRule(), Body(bodyFont), ButtonBand(), ButtonRule()};
  return {HeaderBand(headerHeight), HeaderRule(), ButtonBand(), ButtonRule(), Body(bodyFont)};
}
inline constexpr std::array<TControlDef, 5> kPageFrame = PageFrame();
// The outcome pages' higher header, their title 8 pixels lower.
inline constexpr int kTallHeaderHeight = 49, kTallTitleTop = 24;
inline constexpr std::array<TControlDef, 5> kOutcomeFrame = PageFrame(41, toBodyFirst);
inline constexpr std::array<TControlDef, 5> kTallOutcomeFrame =
    PageFrame(kTallHeaderHeight, toBodyFirst);

// ---- A page's own rows --------------------------------------------------------------------

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
// A control in the body; parent-relative position.
constexpr TControlDef BodyRow(TControlKind kind, const char* name, int left, int top, int width,
                              int height, const char* caption = "", std::uint32_t style = 0) {
  return {.Kind = kind,
          .Name = name,
          .Left = left,
          .Top = top,
          .Width = width,
          .Height = height,
          .Caption = caption,
          .Style = style,
          .Parent = "Body"};
}
constexpr TControlDef BodyLabel(const char* name, int left, int top, int width, int height,
                                const char* caption, std::uint32_t style = csWordWrap) {
  return BodyRow(ckLabel, name, left, top, width, height, caption, style);
}

// The wizard's buttons at their places, German captions; their English texts below.
constexpr TControlDef BackButton(const TTGButtonProps* props = &kButtonProps) {
  return PageButton("BtnBack", 182, 83, "&Zurück", props);
}
constexpr TControlDef NextButton(const char* caption = "&Weiter", int left = 266, int width = 81) {
  return PageButton("BtnNext", left, width, caption);
}
inline constexpr const char* kCancelCaption = "&Abbrechen";
constexpr TControlDef CancelButton(const char* caption = kCancelCaption, int left = 360,
                                   std::uint32_t style = 0) {
  return PageButton("BtnCancel", left, 97, caption, &kButtonProps, style);
}
// The outcome pages' and the readme viewer's one way out: BtnCancel, "Beenden".
constexpr TControlDef CloseButton(int left = 360, std::uint32_t style = 0) {
  return CancelButton("&Beenden", left, style);
}

inline constexpr TTextDef kBackEnglish{"BtnBack", "&Back"};
inline constexpr TTextDef kNextEnglish{"BtnNext", "Co&ntinue"};
inline constexpr TTextDef kCancelEnglish{"BtnCancel", "&Cancel"};
inline constexpr TTextDef kCloseEnglish{"BtnCancel", "&Close"};

// A page's form: caption "Kro Setup", dialog border, centred; the frame's rows before the
// page's.
struct TPageShape {
  int ClientHeight = kPageHeight;
  bool KeyPreview = true;
  std::span<const TControlDef> Frame = kPageFrame;
};
constexpr TFormDef PageForm(const char* name, std::span<const TControlDef> controls,
                            std::span<const TTextDef> english, TPageShape shape = {}) {
  return {.Name = name,
          .Caption = "Kro Setup",
          .ClientWidth = kPageWidth,
          .ClientHeight = shape.ClientHeight,
          .KeyPreview = shape.KeyPreview,
          .Frame = shape.Frame,
          .Controls = controls,
          .English = english};
}

// ---- The protocols on a live form ---------------------------------------------------------

// The cancel confirmation as the backdrop offers it: true when the user chose to continue.
using TConfirmContinue = std::function<bool()>;

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

// The outcome pages' only ways out: a click on button, or Enter (consumed) whichever control
// has the focus; Enter never presses a focused button.
void CloseOnButtonAndEnter(TForm& form, const char* button = "BtnCancel");

// The window's outer width, for setting only its height.
int WindowWidth(const TForm& form);
