#include "diaLoad.h"

#include "diaLoadProgress.h"
#include "diaLoadRun.h"
#include "diaWorkPage.h"
#include "uApplication.h"

namespace {

const TControlDef kControls[] = {
    TitleLabel("Installation vorbereiten"),
    CancelButton("Abbrechen"),
    BodyLabel("Label1", 32, 24, 401, 33,
              "Setup bereitet nun die Installation vor. Bitte haben Sie einen Augenblick "
              "Geduld..."),
    BodyLabel("Label3", 32, 96, 401, 14, "Fortschritt", csBold),
    BodyRow(ckProgressBar, "Progress", 32, 114, 401, 17),
};

const TTextDef kEnglishTexts[] = {
    {"LabelTitel", "Prepare Installation"},
    {"Label1", "Setup is preparing the installation. Please stay tuned..."},
    {"Label3", "Progress"},
    kCancelEnglish,
};

const TFormDef kSetupdialogLoad =
    PageForm("SetupdialogLoad", kControls, kEnglishTexts, {.Frame = kOutcomeFrame});

}  // namespace

bool ShowLoadDialog(TSetupRun& run, TLoadRequest& request,
                    const TConfirmContinue& confirmContinue) {
  TWorkPage page(kSetupdialogLoad, 500);
  TProgressPacer pacer({}, [&page](const TProgressView& now, const TProgressView&) {
    page.Form.SetPosition("Progress", now.TotalPercent);
  });
  TLoadView view;
  view.Status = [&pacer](const TlzhFileStats& s) { pacer.Update({{}, 0, s.TotalPercent}); };
  view.Aborted = [&run] { ShowMessageBox(LoadAbortedMessage(run.Language)); };

  page.Work = [&] {
    RunPreparation(run, request, page.Archive, view);
    pacer.Update({{}, 0, 100});
    pacer.Flush();
  };
  page.Ended = [&run](bool failed) {
    if (!failed) ++run.PageNo;
  };
  page.Aborted = [&run] { run.PageNo = 0; };
  return page.Show(run.Language, confirmContinue);
}
