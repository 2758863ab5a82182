#include "diaPageFrame.h"

#include "diaCancel.h"

TXPanelProps PlainBand(TColor color) {
  TXPanelProps p;
  p.Color = color;
  p.BevelOuter = bvNone;
  return p;
}

TWizardProtocol::TWizardProtocol(TForm& form, TSetupRun& run) : Form(form), Run(run) {
  form.OnClick("BtnBack", [this] { CloseWith(crBack); });
  form.OnClick("BtnNext", [this] { CloseWith(crNext); });
  form.OnClick("BtnCancel", [this] { CloseWith(crCancel); });
  form.OnCloseQuery = [this](bool& canClose) {
    const TCloseDecision d = PageCloseQuery(Reason, Run.PageNo, AbortWithoutAsking, NextStep,
                                            [this] { return ConfirmContinue(Run.Language); });
    canClose = d.Close;
    Run.PageNo = d.PageNo;
    // A refused close leaves the page as it was: the close box counts as Cancel again.
    if (!d.Close) Reason = crCancel;
  };
  // Enter is taken as it goes down, so its character never reaches a control.
  form.OnKeyDown = [this](WORD& key, TShiftState) { KeyDown(key); };
}

void TWizardProtocol::CloseWith(TClosingReason reason) {
  Reason = reason;
  Form.Close();
}

void TWizardProtocol::KeyDown(WORD& key) {
  if (key != VK_RETURN) return;
  key = 0;
  // A button the user moved the focus to is the one Enter presses, as in dialogs; otherwise
  // Next, which a click leaves alone while it is disabled or hidden.
  if (!Form.ClickFocusedPushButton()) Form.Click("BtnNext");
}

void CloseOnButtonAndEnter(TForm& form, const char* button) {
  form.OnClick(button, [&form] { form.Close(); });
  // Taken as it goes down, before a focused button (the readme's print button) could take it;
  // its character then reaches nobody.
  form.OnKeyDown = [&form](WORD& key, TShiftState) {
    if (key != VK_RETURN) return;
    key = 0;
    form.Close();
  };
}

int WindowWidth(const TForm& form) {
  RECT r{};
  GetWindowRect(form.Handle(), &r);
  return r.right - r.left;
}
