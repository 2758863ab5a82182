#include "uSetup.h"

#include <utility>

#include "uApplication.h"
#include "uColor.h"
#include "uControlDefs.h"

TFormSetup* FormSetup = nullptr;

namespace {

constexpr TColor clBackground = SystemColor(1);  // the desktop's colour

const TXPanelProps kPanelTop = PinstripeBand();
const TGradientProps kGradient1{clWindow, clBackground, gdTopToBottom};
const TGradientProps kGradient2{clBackground, clBlack, gdTopToBottom};

constexpr auto kPanel = CreateFromDef<TXPanel, TControlDef>;
constexpr auto kGradient = CreateFromDef<TGradient, TControlDef>;

// The designed form. Labels sit on the gradient they show over, so that they are drawn
// transparent over it; positions inside a gradient are relative to it.
const TControlDef kControls[] = {
    {.Kind = ckCustom,
     .Name = "PanelTop",
     .Height = 57,
     .Style = csContainer,
     .Align = alTop,
     .Create = kPanel,
     .Param = &kPanelTop},
    {.Kind = ckLabel,
     .Name = "Rotate3DLabel1",
     .Left = 16,
     .Top = 14,
     .Width = 400,
     .Height = 26,
     .Caption = "Kro GmbH Ostrand",
     .Style = csBold,
     .Parent = "PanelTop",
     .FontFace = "Arial",
     .FontHeight = 19},
    {.Kind = ckShape,
     .Name = "Shape0",
     .Height = 2,
     .Parent = "PanelTop",
     .Align = alBottom,
     .Color = 0},
    {.Kind = ckCustom,
     .Name = "Gradient2",
     .Height = 300,
     .Style = csContainer,
     .Align = alBottom,
     .Create = kGradient,
     .Param = &kGradient2},
    {.Kind = ckCustom,
     .Name = "Gradient1",
     .Style = csContainer,
     .Align = alClient,
     .Create = kGradient,
     .Param = &kGradient1},
    {.Kind = ckLabel,
     .Name = "LblTitle",
     .Left = 40,
     .Top = 40,
     .Width = 900,
     .Height = 30,
     .Style = csBold,
     .Parent = "Gradient1",
     .FontFace = "Arial",
     .FontHeight = 21},
    {.Kind = ckLabel,
     .Name = "LabelDesc",
     .Left = 40,
     .Top = 80,
     .Width = 900,
     .Height = 20,
     .Style = csBold,
     .Parent = "Gradient1",
     .FontFace = "Arial",
     .FontHeight = 12},
    {.Kind = ckLabel,
     .Name = "LabelVersion",
     .Left = 40,
     .Top = 200,
     .Width = 80,
     .Height = 20,
     .Caption = "Version",
     .Style = csBold,
     .Parent = "Gradient2",
     .FontFace = "Arial",
     .FontHeight = 15,
     .Color = RgbColor(255, 255, 255)},
    {.Kind = ckLabel,
     .Name = "lblVersion",
     .Left = 124,
     .Top = 200,
     .Width = 300,
     .Height = 20,
     .Style = csBold,
     .Parent = "Gradient2",
     .FontFace = "Arial",
     .FontHeight = 15,
     .Color = RgbColor(255, 255, 255)},
    {.Kind = ckLabel,
     .Name = "LabelRemark",
     .Left = 400,
     .Top = 230,
     .Width = 560,
     .Height = 16,
     .Style = csRightJustify,
     .Parent = "Gradient2",
     .Color = RgbColor(255, 255, 255)},
    {.Kind = ckShape,
     .Name = "ShapeH",
     .Left = 24,
     .Top = 60,
     .Width = 2,
     .Height = 600,
     .Color = 0},
};

// Eleven 10 x 3 bars at the bottom right, 12 px apart, added to the table at start.
std::vector<TControlDef> BackdropControls() {
  std::vector<TControlDef> all(std::begin(kControls), std::end(kControls));
  static const char* const names[] = {"Shape2", "Shape3", "Shape4",  "Shape5",  "Shape6", "Shape7",
                                      "Shape8", "Shape9", "Shape10", "Shape11", "Shape12"};
  for (int i = 0; i < 11; ++i)
    all.push_back({.Kind = ckShape,
                   .Name = names[i],
                   .Left = 820 + 12 * i,
                   .Top = 276,
                   .Width = 10,
                   .Height = 3,
                   .Parent = "Gradient2",
                   .Color = RgbColor(255, 255, 255)});
  return all;
}

const std::vector<TControlDef>& Controls() {
  static const std::vector<TControlDef> controls = BackdropControls();
  return controls;
}

TFormDef BackdropDef() {
  TFormDef def;
  def.Name = "FormSetup";
  def.Caption = "FormSetup";
  def.ClientWidth = GetSystemMetrics(SM_CXSCREEN);
  def.ClientHeight = GetSystemMetrics(SM_CYSCREEN);
  def.Border = bsNone;
  def.Centered = false;
  def.Maximized = true;
  def.Color = clFormWindow;
  def.FontFace = "Verdana";
  def.FontHeight = 11;
  def.Controls = Controls();
  return def;
}

}  // namespace

TFormSetup::TFormSetup(std::vector<std::string> args, ISetupSystem& system)
    : TForm(BackdropDef()), Args(std::move(args)) {
  FormSetup = this;
  SetupDriver = std::make_unique<TSetupDriver>(*this, system);
  Timer1 = &AddTimer(1000, [this] { Timer1Timer(); });
  OnShow = [this] { FormShow(); };
  OnClose = [this](TCloseAction&) { SetupDriver->Close(); };
}

TFormSetup::~TFormSetup() {
  SetupDriver.reset();  // removes the private folder
  FormSetup = nullptr;
}

void TFormSetup::FormShow() {
  const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
  SetBounds("Gradient2", 0, 0, GetSystemMetrics(SM_CXSCREEN), screenHeight / 2);
  if (SetupDriver->Start(Args) == TStartResult::Stop) {
    Close();
    return;
  }
  Timer1->Start();
}

void TFormSetup::Timer1Timer() {
  SetupDriver->RunPages();
  Close();
}

void TFormSetup::LayoutBackdrop(const TSetupRun& run) {
  const int h = GetSystemMetrics(SM_CYSCREEN);
  const int panelTop = 57;
  RECT r{};
  GetWindowRect(Control("LabelVersion"), &r);
  const int versionHeight = r.bottom - r.top;
  SetBounds("ShapeH", 24, panelTop + 16, 2, h - panelTop - 32);
  // The version line is placed from the screen's bottom; it lives on Gradient2, which begins
  // half a screen up.
  const int gradient2Top = h - h / 2;
  const int versionTop = h - versionHeight - 16 - gradient2Top;
  SetTop("LabelVersion", versionTop);
  SetTop("lblVersion", versionTop);
  // The remark and the bars keep to the bottom right corner, whatever the screen's width.
  const int w = GetSystemMetrics(SM_CXSCREEN);
  SetBounds("LabelRemark", w - 24 - 560, versionTop + 2, 560, 16);
  static const char* const bars[] = {"Shape2", "Shape3", "Shape4",  "Shape5",  "Shape6", "Shape7",
                                     "Shape8", "Shape9", "Shape10", "Shape11", "Shape12"};
  for (int i = 0; i < 11; ++i) SetBounds(bars[i], w - 24 - 10 - 12 * (10 - i), h / 2 - 8, 10, 3);
  SetText("LblTitle", run.AppInfo.Title);
  SetText("LabelDesc", run.AppInfo.Description);
  SetText("lblVersion", run.AppInfo.Version);
  SetText("LabelRemark", run.AppInfo.Remark);
}

void TFormSetup::ShowMessage(const std::string& text) { ShowMessageBox(text); }

void TFormSetup::ShowErrorMessage(const std::string& text) { ShowErrorBox(text); }
