#include "diaPageFrame.h"

#include "diaCancel.h"

TXPanelProps PlainBand(TColor color) {
  TXPanelProps p;
  p.Color = color;
  p.BevelOuter = bvNone;
  return p;
}

TWizardProtocol::TWizardProtocol(TForm& form, TSetupRun& run) : Form(form), Run(run) {
  form.OnClick("BtnBack", [this] { CloseWith(crBack); });
  form.OnClick("BtnNext", [this] { CloseWith(crNext); });
  form.OnClick("BtnCancel", [this] { CloseWith(crCancel); });
  form.OnCloseQuery = [this](bool& canClose) {
    const TCloseDecision d = PageCloseQuery(Reason, Run.PageNo, AbortWithoutAsking, NextStep,
                                            [this] { return ConfirmContinue(Run.Language); });
    canClose = d.Close;
    Run.PageNo = d.PageNo;
    // A refused close leaves the page as it was: the close box counts as Cancel again.
    if (!d.Close) Reason = crCancel;
  };
  // Enter is taken as it goes down, so its character never reaches a control.
  form.OnKeyDown = [this](WORD& key, TShiftState) { KeyDown(key); };
}

void TWizardProtocol::CloseWith(TClosingReason reason) {
  Reason = reason;
  Form.Close();
}

void TWizardProtocol::KeyDown(WORD& key) {
  if (key != VK_RETURN) return;
  key = 0;
  // A button the user moved the focus to is the one Enter presses, as in dialogs; otherwise
  // Next, which a click leaves alone while it is disabled or hidden.
  if (!Form.ClickFocusedPushButton()) Form.Click("BtnNext");
}

std::vector<TControlDef> FramedPage(const TPageFrame& f, std::span<const TControlDef> body) {
  const int bandTop = f.ClientHeight - kButtonBandHeight;
  std::vector<TControlDef> rows = {
      {.Kind = ckCustom,
       .Name = "XPanel1",
       .Width = kPageWidth,
       .Height = f.HeaderHeight,
       .Style = csContainer,
       .Create = CreateFromDef<TXPanel, TControlDef>,
       .Param = &kBandProps},
      {.Kind = ckLabel,
       .Name = "LabelTitel",
       .Left = f.TitleLeft,
       .Top = f.TitleTop,
       .Width = kPageWidth - 2 * f.TitleLeft,
       .Height = 16,
       .Caption = f.Title,
       .Style = csBold,
       .Parent = "XPanel1"},
      {.Kind = ckShape,
       .Name = "Shape2",
       .Top = f.HeaderHeight - 2,
       .Width = kPageWidth,
       .Height = 2,
       .Parent = "XPanel1",
       .Color = kAmberRule},
      {.Kind = ckPanel,
       .Name = "Panel4",
       .Top = f.HeaderHeight,
       .Width = kPageWidth,
       .Height = bandTop - f.HeaderHeight,
       .FontFace = f.BodyFont,
       .FontHeight = f.BodyFontHeight},
      {.Kind = ckCustom,
       .Name = "Gradient1",
       .Width = kPageWidth,
       .Height = bandTop - f.HeaderHeight,
       .Style = csContainer,
       .Parent = "Panel4",
       .Align = alClient,
       .Create = CreateFromDef<TGradient, TControlDef>,
       .Param = &kBodyProps},
      {.Kind = ckCustom,
       .Name = "Panel2",
       .Top = bandTop,
       .Width = kPageWidth,
       .Height = kButtonBandHeight,
       .Style = csContainer,
       .Create = CreateFromDef<TXPanel, TControlDef>,
       .Param = &kBandProps},
      {.Kind = ckShape,
       .Name = "Shape1",
       .Width = kPageWidth,
       .Height = 2,
       .Parent = "Panel2",
       .Color = kInactiveCaptionRule},
      {.Kind = ckCustom,
       .Name = "BtnCancel",
       .Left = f.CancelLeft,
       .Top = 8,
       .Width = 97,
       .Height = 21,
       .Caption = f.CancelCaption,
       .Parent = "Panel2",
       .Create = CreateFromDef<TTGButton, TControlDef>,
       .Param = &kButtonProps},
  };
  for (TControlDef row : body) {
    if (!row.Parent) row.Parent = "Gradient1";
    rows.push_back(row);
  }
  return rows;
}
TFormDef FramedForm(const char* name, std::span<const TControlDef> controls,
                    std::span<const TTextDef> english, int clientHeight) {
  TFormDef f;
  f.Name = name;
  f.Caption = "Kro Setup";
  f.ClientWidth = kPageWidth;
  f.ClientHeight = clientHeight;
  f.Border = bsDialog;
  f.KeyPreview = true;
  f.Centered = true;
  f.Controls = controls;
  f.English = english;
  return f;
}

void CloseOnButtonAndEnter(TForm& form, const char* button) {
  form.OnClick(button, [&form] { form.Close(); });
  // Taken as it goes down, before a focused button (the readme's print button) could take it;
  // its character then reaches nobody.
  form.OnKeyDown = [&form](WORD& key, TShiftState) {
    if (key != VK_RETURN) return;
    key = 0;
    form.Close();
  };
}

int WindowWidth(const TForm& form) {
  RECT r{};
  GetWindowRect(form.Handle(), &r);
  return r.right - r.left;
}
