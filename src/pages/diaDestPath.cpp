#include "diaDestPath.h"

#include "uExceptions.h"

#include "diaPageFrame.h"
#include "dia_SelectFolder.h"
#include "uApplication.h"
#include "uGetZebIni.h"
#include "uText.h"

namespace {

const TControlDef kControls[] = {
    TitleLabel("Installation vorbereiten"),
    PageButton("BtnChangeTarget", 16, 137, "Installationsort ändern", &kButtonProps, csHidden),
    BackButton(),
    NextButton(),
    CancelButton(),
    BodyLabel("LabelFoundOne", 16, 16, 433, 39,
              "Setup hat eine bereits bestehende Kro-Installation auf Ihrem Computer gefunden und "
              "wird diese jetzt aktualisieren. Wenn Sie damit einverstanden sind, klicken Sie auf "
              "Weiter.",
              csWordWrap | csHidden),
    BodyLabel("LabelNotFound", 16, 16, 433, 39,
              "Setup hat keine bestehende Kro-Installation auf Ihrem Computer finden können. "
              "Geben Sie bitte an, in welchem Ordner Setup Ihre Kro-Software installieren soll.",
              csWordWrap | csHidden),
    BodyLabel("LabelManual", 16, 16, 433, 39,
              "Geben Sie bitte den Ordner an, in den Setup Ihre Kro-Software installieren soll.",
              csWordWrap | csHidden),
    {.Kind = ckPanel,
     .Name = "PanelEditTarget",
     .Left = 16,
     .Top = 64,
     .Width = 433,
     .Height = 65,
     .Style = csLowered | csHidden,
     .Parent = "Body"},
    {.Kind = ckLabel,
     .Name = "Labelfolder",
     .Left = 8,
     .Top = 10,
     .Width = 300,
     .Height = 14,
     .Caption = "Kro-Ordner",
     .Parent = "PanelEditTarget"},
    {.Kind = ckEdit,
     .Name = "EditTargetFolder",
     .Left = 8,
     .Top = 28,
     .Width = 313,
     .Height = 21,
     .Parent = "PanelEditTarget"},
    {.Kind = ckCustom,
     .Name = "BtnBrowse",
     .Left = 329,
     .Top = 28,
     .Width = 89,
     .Height = 21,
     .Caption = "&Suchen",
     .Parent = "PanelEditTarget",
     .Create = &CreateFromDef<TTGButton, TControlDef>,
     .Param = &kButtonProps},
    {.Kind = ckPanel,
     .Name = "PanelInstallations",
     .Left = 16,
     .Top = 200,
     .Width = 433,
     .Height = 65,
     .Style = csLowered | csHidden,
     .Parent = "Body"},
    {.Kind = ckLabel,
     .Name = "LabelFound",
     .Left = 8,
     .Top = 10,
     .Width = 300,
     .Height = 14,
     .Caption = "Gefundene Kro Installation",
     .Style = csBold,
     .Parent = "PanelInstallations"},
    {.Kind = ckLabel,
     .Name = "LabelInstallation",
     .Left = 8,
     .Top = 28,
     .Width = 417,
     .Height = 30,
     .Style = csWordWrap,
     .Parent = "PanelInstallations"},
    BodyLabel("LabelFree", 16, 152, 200, 14, "Verfügbarer Speicherplatz ", 0),
    BodyLabel("lblFreeSpace", 249, 152, 200, 14, "", csRightJustify),
    BodyLabel("LabelNeed", 16, 172, 200, 14, "Benötigter Speicherplatz", 0),
    BodyLabel("lblNeedSpace", 249, 172, 200, 14, "", csRightJustify),
};

const TTextDef kEnglishTexts[] = {
    {"LabelTitel", "Prepare installation"},
    {"LabelNotFound",
     "Setup can not find an existing Kro installation on your computer. Please enter the folder, "
     "where your Kro application has to be installed."},
    {"LabelFoundOne",
     "Setup has found an existing Kro installation on your computer and is going to actualize "
     "it now. To accept this, click to Continue."},
    {"LabelManual", "Please enter the folder, where your Kro application has to be installed."},
    {"Labelfolder", "Kro folder"},
    {"LabelFree", "Available Diskspace"},
    {"LabelNeed", "Needed Diskspace"},
    {"LabelFound", "Existing Kro installation"},
    kBackEnglish,
    kNextEnglish,
    kCancelEnglish,
    {"BtnChangeTarget", "Change Folder"},
    {"BtnBrowse", "Search"},
};

const TFormDef kSetupdialogHome =
    PageForm("SetupdialogHome", kControls, kEnglishTexts, {.ClientHeight = 426});

TDriveKind SystemDriveKind(const std::string& drive) {
  switch (GetDriveTypeW(Widen(drive + '\\').c_str())) {
    case DRIVE_FIXED:
      return dkFixed;
    case DRIVE_REMOTE:
      return dkRemote;
  }
  return dkOther;
}

std::string LocaleText(LCTYPE type, const char* fallback) {
  wchar_t buf[16] = L"";
  if (GetLocaleInfoW(LOCALE_USER_DEFAULT, type, buf, 16) <= 1) return fallback;
  return Narrow(buf);
}

std::wstring CurrentDirectory() {
  std::wstring dir(MAX_PATH, L'\0');
  DWORD n = GetCurrentDirectoryW(DWORD(dir.size()), dir.data());
  if (n > dir.size()) {
    dir.resize(n);
    n = GetCurrentDirectoryW(DWORD(dir.size()), dir.data());
  }
  dir.resize(n < dir.size() ? n : 0);
  return dir;
}

// The page window over its model: every event goes to the model, then the model's state is
// put onto the controls.
class TDestPathPage {
 public:
  TDestPathPage(TSetupRun& run, const TDestPathSystem& system)
      : Run(run),
        System(system),
        Form(kSetupdialogHome),
        Protocol(Form, run),
        Model(run.Language, system.Separators, system.FreeSpace),
        Timer1(Form.AddTimer(300, [this] { Timer1Timer(); })) {
    Form.OnShow = [this] { FormShow(); };
    Form.OnChange("EditTargetFolder", [this] { EditTargetFolderChange(); });
    Form.OnClick("BtnBrowse", [this] { BtnBrowseClick(); });
    Form.OnClick("BtnChangeTarget", [this] { BtnChangeTargetClick(); });
    Form.OnKeyDown = [this](WORD& key, TShiftState) { FormKeyDown(key); };
    Protocol.NextStep = [this] { StoreDestination(); };
  }
  void ShowModal() { Form.ShowModal(); }

 private:
  void FormShow() {
    Form.SetLanguageTexts(Run.Language);
    Protocol.Begin();
    const std::string dest = Run.AppInfo.DestDir();
    const TDriveKind kind = dest.empty() ? dkOther : System.DriveKind(DriveOf(dest));
    Form.SetWindowSize(WindowWidth(Form), 320);
    Form.SetTop("PanelInstallations", 72);
    if (!Run.Options.Folder.empty()) Model.NewFolder = Run.Options.Folder;
    Model.Show(dest, Run.AppInfo.FullInstallation, kind, Run.AppInfo.ArchiveTotals.TotalSize);
    Apply();
    if (Model.Face == dfAbort) Timer1.Start();
    Form.SetFocus("BtnNext");
  }

  void Apply() {
    Applying = true;
    Form.SetVisible("LabelFoundOne", Model.FoundOne);
    Form.SetVisible("LabelNotFound", Model.NotFound);
    Form.SetVisible("LabelManual", Model.Manual);
    Form.SetVisible("PanelEditTarget", Model.EditPanel);
    Form.SetVisible("PanelInstallations", Model.InstallPanel);
    Form.SetVisible("BtnChangeTarget", Model.ChangeTargetVisible);
    // Only a real change: rewriting the same text would move the caret while the user types.
    if (Form.Text("EditTargetFolder") != Model.EditText)
      Form.SetText("EditTargetFolder", Model.EditText);
    Form.SetText("LabelInstallation", Model.InstallationLabel);
    Form.SetText("lblFreeSpace", Model.FreeText);
    Form.SetText("lblNeedSpace", Model.NeedText);
    Form.SetEnabled("BtnNext", Model.NextEnabled);
    Applying = false;
  }

  void EditTargetFolderChange() {
    if (Applying) return;
    Model.EditChanged(Form.Text("EditTargetFolder"));
    Apply();
  }

  void Timer1Timer() {
    ShowMessageBox(NoPrimaryInstallationMessage(Run.Language));
    Run.ExitCode = kExitNotStarted;
    Protocol.Reason = crCancel;
    Protocol.AbortWithoutAsking = true;
    Form.Close();
  }

  void BtnChangeTargetClick() {
    if (!ConfirmBox(ChangeFolderWarning(Run.Language))) return;
    Model.ChangeTarget();
    Apply();
  }

  void BtnBrowseClick() {
    const std::wstring remembered = CurrentDirectory();
    const std::string chosen = System.SelectFolder(Form.Text("EditTargetFolder"), Run.Language);
    Form.SetText("EditTargetFolder", chosen);
    if (!SetCurrentDirectoryW(remembered.c_str()))
      throw Exception("I/O error " + std::to_string(GetLastError()));
  }

  void FormKeyDown(WORD& key) {
    if (key == VK_F5) {
      Model.RevealChangeTarget();
      Apply();
      return;  // passed on
    }
    Protocol.KeyDown(key);
  }

  void StoreDestination() {
    Run.FreeBytes = Model.FreeSpace;
    CommitDestination(Model, Run.AppInfo.Destination, System.LoadZebConfig);
  }

  TSetupRun& Run;
  const TDestPathSystem& System;
  TForm Form;
  TWizardProtocol Protocol;
  TDestPathModel Model;
  TOneShotTimer& Timer1;
  bool Applying = false;
};

}  // namespace

TDestPathSystem DefaultDestPathSystem() {
  TDestPathSystem s;
  s.FreeSpace = [](const std::string& path) { return GetFreeSpace(path); };
  s.DriveKind = &SystemDriveKind;
  s.LoadZebConfig = [](const std::string& dir) { LoadZebConfig(dir); };
  s.SelectFolder = &SelectFolder;
  s.Separators = {LocaleText(LOCALE_STHOUSAND, ","), LocaleText(LOCALE_SDECIMAL, ".")};
  return s;
}

void ShowDestination(TSetupRun& run) { ShowDestination(run, DefaultDestPathSystem()); }

void ShowDestination(TSetupRun& run, const TDestPathSystem& system) {
  TDestPathPage page(run, system);
  page.ShowModal();
}
