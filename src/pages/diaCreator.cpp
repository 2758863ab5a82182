#include "diaCreator.h"

#include "diaCreatorRun.h"
#include "diaLoadProgress.h"
#include "diaWorkPage.h"
#include "uApplication.h"
#include "uText.h"

namespace {

const TControlDef kControls[] = {
    TitleLabel("Installation wird durchgeführt..."),
    CancelButton(),
    BodyLabel("Label1", 24, 16, 417, 33,
              "Setup entpackt nun Ihre neue Software. Bitte haben Sie einen Augenblick "
              "Geduld..."),
    BodyLabel("Label5", 24, 60, 80, 14, "Entpackt wird", 0),
    BodyLabel("lblIFName", 104, 60, 337, 14, "", csBold),
    BodyLabel("Label3", 24, 88, 417, 14, "Fortschritt Datei", csBold),
    BodyRow(ckProgressBar, "Progress", 24, 104, 417, 17),
    BodyLabel("Label4", 24, 136, 417, 14, "Fortschritt Gesamt", csBold),
    BodyRow(ckProgressBar, "ProgressTotal", 24, 152, 417, 17),
};

const TTextDef kEnglishTexts[] = {
    {"LabelTitel", "Installation is running..."},
    {"Label1", "Setup is installing your new software. Please stay tuned..."},
    {"Label5", "Unpacking"},
    {"Label3", "File progress"},
    {"Label4", "Total progress"},
    kCancelEnglish,
};

const TFormDef kSetupdialogCreate =
    PageForm("SetupdialogCreate", kControls, kEnglishTexts, {.Frame = kOutcomeFrame});

}  // namespace

void ShowCreate(TSetupRun& run, const TConfirmContinue& confirmContinue) {
  TWorkPage page(kSetupdialogCreate, 1000);
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
