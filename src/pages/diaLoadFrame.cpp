#include "diaLoadFrame.h"

#include "uControlDefs.h"
#include "uForms.h"

namespace {

const TXPanelProps kBand = PinstripeBand();
const TGradientProps kBody{clWindow, cl3DLight, gdTopToBottom};
const TTGButtonProps kButton{};

constexpr TFormColor kAmber = 0x3CC8FF;  // RGB 255, 200, 60
constexpr TFormColor kInactiveCaption = FormSystemColor(3);

}  // namespace

std::vector<TControlDef> FramedPage(const TPageFrame& f, std::span<const TControlDef> body) {
  const int bandTop = f.ClientHeight - kButtonBandHeight;
  std::vector<TControlDef> rows = {
      {.Kind = ckCustom,
       .Name = "XPanel1",
       .Width = kPageWidth,
       .Height = f.HeaderHeight,
       .Style = csContainer,
       .Create = CreateFromDef<TXPanel, TControlDef>,
       .Param = &kBand},
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
       .Color = kAmber},
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
       .Param = &kBody},
      {.Kind = ckCustom,
       .Name = "Panel2",
       .Top = bandTop,
       .Width = kPageWidth,
       .Height = kButtonBandHeight,
       .Style = csContainer,
       .Create = CreateFromDef<TXPanel, TControlDef>,
       .Param = &kBand},
      {.Kind = ckShape,
       .Name = "Shape1",
       .Width = kPageWidth,
       .Height = 2,
       .Parent = "Panel2",
       .Color = kInactiveCaption},
      {.Kind = ckCustom,
       .Name = "BtnCancel",
       .Left = f.CancelLeft,
       .Top = 8,
       .Width = 97,
       .Height = 21,
       .Caption = f.CancelCaption,
       .Parent = "Panel2",
       .Create = CreateFromDef<TTGButton, TControlDef>,
       .Param = &kButton},
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
  form.OnKeyPress = [&form](wchar_t& key) {
    if (key != L'\r') return;
    key = 0;
    form.Close();
  };
}
