#include "uSetup.h"

#include <utility>

#include "uApplication.h"
#include "uBackdropLayout.h"
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
     .Height = kBackdropPanelHeight,
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

const char* const kBarNames[kBackdropBars] = {"Shape2",  "Shape3",  "Shape4", "Shape5",
                                              "Shape6",  "Shape7",  "Shape8", "Shape9",
                                              "Shape10", "Shape11", "Shape12"};

// Eleven 10 x 3 bars at the bottom right, 12 px apart, added to the table at start.
std::vector<TControlDef> BackdropControls() {
  std::vector<TControlDef> all(std::begin(kControls), std::end(kControls));
  for (int i = 0; i < kBackdropBars; ++i)
    all.push_back({.Kind = ckShape,
                   .Name = kBarNames[i],
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
  def.Color = clWindow;
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
  const TRect g =
      BackdropLayout(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), 0).Gradient2;
  SetBounds("Gradient2", g.Left, g.Top, g.Width(), g.Height());
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
  RECT r{};
  GetWindowRect(Control("LabelVersion"), &r);
  const TBackdropLayout layout = BackdropLayout(GetSystemMetrics(SM_CXSCREEN),
                                                GetSystemMetrics(SM_CYSCREEN), r.bottom - r.top);
  auto place = [this](const char* name, const TRect& b) {
    SetBounds(name, b.Left, b.Top, b.Width(), b.Height());
  };
  place("ShapeH", layout.ShapeH);
  SetTop("LabelVersion", layout.VersionTop);
  SetTop("lblVersion", layout.VersionTop);
  place("LabelRemark", layout.Remark);
  for (size_t i = 0; i < layout.Bars.size(); ++i) place(kBarNames[i], layout.Bars[i]);
  SetText("LblTitle", run.AppInfo.Title);
  SetText("LabelDesc", run.AppInfo.Description);
  SetText("lblVersion", run.AppInfo.Version);
  SetText("LabelRemark", run.AppInfo.Remark);
}

void TFormSetup::ShowMessage(const std::string& text) { ShowMessageBox(text); }

void TFormSetup::ShowErrorMessage(const std::string& text) { ShowErrorBox(text); }
