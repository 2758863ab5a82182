#include "diaLoad.h"

#include <exception>

#include "diaLoadProgress.h"
#include "diaLoadRun.h"
#include "uApplication.h"
#include "uArchiveHooks.h"
#include "uArchiveHooks_win.h"
#include "uForms.h"

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
  // Window messages run between output blocks: the page paints and takes clicks meanwhile.
  InstallWindowsArchiveHooks();
  TForm form(FramedForm("SetupdialogLoad", Controls(), kEnglishTexts));
  TQuillCompress loader;
  loader.Abort = false;
  loader.Offset = 0;
  loader.Overwrite = owAlways;
  std::exception_ptr failure;

  TProgressPacer pacer({}, [&form](const TProgressView& now, const TProgressView&) {
    form.SetPosition("Progress", now.TotalPercent);
  });
  TLoadView view;
  view.Status = [&pacer](const TlzhFileStats& s) { pacer.Update({{}, 0, s.TotalPercent}); };
  view.Aborted = [&run] { ShowMessageBox(LoadAbortedMessage(run.Language)); };

  TOneShotTimer& timer = form.AddTimer(500, [&] {
    try {
      RunPreparation(run, request, loader, view);
      pacer.Update({{}, 0, 100});
      pacer.Flush();
      // The full bar is painted (and can be seen) before the page goes.
      ArchiveHooks().ProcessMessages();
      form.ModalResult = mrOk;
    } catch (...) {
      // Shown by the caller once the page has gone; nothing is left open but Cancel.
      failure = std::current_exception();
      form.ModalResult = mrAbort;
    }
  });
  form.OnShow = [&] {
    form.SetLanguageTexts(run.Language);
    timer.Start();
  };
  form.OnCloseQuery = [&](bool& canClose) {
    if (failure) return;
    if (form.ModalResult == mrOk) {
      ++run.PageNo;
      return;
    }
    if (confirmContinue && confirmContinue()) {
      canClose = false;
      return;
    }
    run.PageNo = 0;
  };
  // The button does what the close box does.
  form.OnClick("BtnCancel", [&form] { form.Close(); });

  const int result = form.ShowModal();
  if (failure) std::rethrow_exception(failure);
  return result == mrOk;
}
