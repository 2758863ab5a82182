#include "diaLoad.h"

#include "diaLoadProgress.h"
#include "diaLoadRun.h"
#include "diaWorkPage.h"
#include "uApplication.h"

namespace {

const TControlDef kBody[] = {
    {.Kind = ckLabel,
     .Name = "Label1",
     .Left = 32,
     .Top = 24,
     .Width = 401,
     .Height = 33,
     .Caption = "Setup bereitet nun die Installation vor. Bitte haben Sie einen Augenblick "
                "Geduld...",
     .Style = csWordWrap},
    {.Kind = ckLabel,
     .Name = "Label3",
     .Left = 32,
     .Top = 96,
     .Width = 401,
     .Height = 14,
     .Caption = "Fortschritt",
     .Style = csBold},
    {.Kind = ckProgressBar, .Name = "Progress", .Left = 32, .Top = 114, .Width = 401, .Height = 17},
};

const TTextDef kEnglishTexts[] = {
    {"LabelTitel", "Prepare Installation"},
    {"Label1", "Setup is preparing the installation. Please stay tuned..."},
    {"Label3", "Progress"},
    {"BtnCancel", "&Cancel"},
};

const std::vector<TControlDef>& Controls() {
  static const std::vector<TControlDef> rows =
      FramedPage({.Title = "Installation vorbereiten", .CancelCaption = "Abbrechen"}, kBody);
  return rows;
}

}  // namespace

bool ShowLoadDialog(TSetupRun& run, TLoadRequest& request,
                    const TConfirmContinue& confirmContinue) {
  TWorkPage page(FramedForm("SetupdialogLoad", Controls(), kEnglishTexts), 500);
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
