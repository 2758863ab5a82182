#include "diaWorkPage.h"

#include "uArchiveHooks.h"
#include "uArchiveHooks_win.h"

TWorkPage::TWorkPage(const TFormDef& design, unsigned delayMs)
    : Form(design), Timer(Form.AddTimer(delayMs, [this] { RunWork(); })) {
  InstallWindowsArchiveHooks();
}

void TWorkPage::RunWork() {
  try {
    Work();
  } catch (...) {
    Failure = std::current_exception();
  }
  // The full bars are painted (and can be seen) before the page goes.
  if (!Failure) ArchiveHooks().ProcessMessages();
  Done = true;
  // A click on Cancel during the work asked for mrCancel: the end overrides it.
  Form.ModalResult = Failure ? mrAbort : mrOk;
}

bool TWorkPage::Show(std::int32_t language, const TConfirmContinue& confirmContinue) {
  Form.OnShow = [this, language] {
    Form.SetLanguageTexts(language);
    if (Prepare) Prepare();
    Timer.Start();
  };
  Form.OnCloseQuery = [&](bool& canClose) {
    if (Done) {
      if (Ended) Ended(Failure != nullptr);
      return;
    }
    if (confirmContinue && confirmContinue()) {
      canClose = false;
      return;
    }
    if (Aborted) Aborted();
  };
  // The button does what the close box does.
  Form.OnClick("BtnCancel", [this] { Form.Close(); });
  const int result = Form.ShowModal();
  if (Failure) std::rethrow_exception(Failure);
  return result == mrOk;
}
