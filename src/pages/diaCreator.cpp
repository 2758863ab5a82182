#include "diaCreator.h"

#include "diaCreatorRun.h"
#include "diaLoadProgress.h"
#include "diaWorkPage.h"
#include "uApplication.h"
#include "uText.h"

namespace {

const TControlDef kBody[] = {
    {.Kind = ckLabel,
     .Name = "Label1",
     .Left = 24,
     .Top = 16,
     .Width = 417,
     .Height = 33,
     .Caption = "Setup entpackt nun Ihre neue Software. Bitte haben Sie einen Augenblick "
                "Geduld...",
     .Style = csWordWrap},
    {.Kind = ckLabel,
     .Name = "Label5",
     .Left = 24,
     .Top = 60,
     .Width = 80,
     .Height = 14,
     .Caption = "Entpackt wird"},
    {.Kind = ckLabel,
     .Name = "lblIFName",
     .Left = 104,
     .Top = 60,
     .Width = 337,
     .Height = 14,
     .Style = csBold},
    {.Kind = ckLabel,
     .Name = "Label3",
     .Left = 24,
     .Top = 88,
     .Width = 417,
     .Height = 14,
     .Caption = "Fortschritt Datei",
     .Style = csBold},
    {.Kind = ckProgressBar, .Name = "Progress", .Left = 24, .Top = 104, .Width = 417, .Height = 17},
    {.Kind = ckLabel,
     .Name = "Label4",
     .Left = 24,
     .Top = 136,
     .Width = 417,
     .Height = 14,
     .Caption = "Fortschritt Gesamt",
     .Style = csBold},
    {.Kind = ckProgressBar,
     .Name = "ProgressTotal",
     .Left = 24,
     .Top = 152,
     .Width = 417,
     .Height = 17},
};

const TTextDef kEnglishTexts[] = {
    {"LabelTitel", "Installation is running..."},
    {"Label1", "Setup is installing your new software. Please stay tuned..."},
    {"Label5", "Unpacking"},
    {"Label3", "File progress"},
    {"Label4", "Total progress"},
    {"BtnCancel", "&Cancel"},
};

const std::vector<TControlDef>& Controls() {
  static const std::vector<TControlDef> rows = FramedPage(
      {.Title = "Installation wird durchgeführt...", .CancelCaption = "&Abbrechen"}, kBody);
  return rows;
}

}  // namespace

void ShowCreate(TSetupRun& run, const TConfirmContinue& confirmContinue) {
  TWorkPage page(FramedForm("SetupdialogCreate", Controls(), kEnglishTexts), 1000);
  TForm& form = page.Form;
  std::string destination;

  TProgressPacer pacer({}, [&form](const TProgressView& now, const TProgressView& before) {
    // Only what changed: every call on a control is a round trip under emulation.
    if (now.FileName != before.FileName) form.SetText("lblIFName", now.FileName);
    if (now.FilePercent != before.FilePercent) form.SetPosition("Progress", now.FilePercent);
    if (now.TotalPercent != before.TotalPercent)
      form.SetPosition("ProgressTotal", now.TotalPercent);
  });
  TCreatorView view;
  view.Status = [&pacer](const TlzhFileStats& s) {
    pacer.Update({s.FileName, s.FilePercent, s.TotalPercent});
  };
  view.ShowError = [](const std::string& message) { ShowErrorBox(message); };
  view.SystemText = SystemErrorMessage;

  page.Prepare = [&] {
    destination = run.AppInfo.DestDir();
    form.SetText("lblIFName", "");
  };
  page.Work = [&] {
    run.InstallFailed = RunInstallation(run, destination, page.Archive, view);
    TProgressView end = pacer.Latest();
    end.FilePercent = end.TotalPercent = 100;
    pacer.Update(end);
    pacer.Flush();
  };
  // Also after an exception the wizard goes on, to the outcome of a failed installation.
  page.Ended = [&run](bool failed) {
    if (failed) run.InstallFailed = true;
    ++run.PageNo;
  };
  // Nothing was unpacked: no installation either.
  page.Aborted = [&run] {
    run.PageNo = 0;
    run.InstallFailed = true;
  };
  page.Show(run.Language, confirmContinue);
}
