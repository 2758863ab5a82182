#include "diaCancel.h"

#include "diaPageFrame.h"
#include "uSetupLog.h"

namespace {

const TControlDef kControls[] = {
    TitleLabel("Setup fortsetzen oder abbrechen?"),
    // First in the tab order: continuing has the focus when the dialog opens.
    NextButton("&Fortsetzen", 250, 95),
    CancelButton(kCancelCaption, 352),
    BodyLabel("Label1", 40, 64, 400, 14, "Die Installation ist noch nicht abgeschlossen!", 0),
    BodyLabel("Label2", 40, 88, 400, 14,
              "Möchten Sie das Setup-Programm fortsetzen oder abbrechen?", 0),
};

const TTextDef kEnglishTexts[] = {
    {"LabelTitel", "Continue or abort setup"},
    {"Label1", "The installation is not yet completed."},
    {"Label2", "Do you want Setup to continue or abort."},
    kNextEnglish,
    {"BtnCancel", "&Abort"},
};

const TFormDef kDialogCancel =
    PageForm("DialogCancel", kControls, kEnglishTexts, {.KeyPreview = false});

}  // namespace

bool ConfirmContinue(std::int32_t language) {
  TForm form(kDialogCancel);
  form.OnShow = [&] {
    form.SetLanguageTexts(language);
    form.SetFocus("BtnNext");
  };
  form.OnClick("BtnNext", [&] { form.ModalResult = mrOk; });
  form.OnClick("BtnCancel", [&] { form.ModalResult = mrCancel; });
  const bool goOn = form.ShowModal() == mrOk;
  SetupLogLine("cancel asked, answer: ", goOn ? "continue" : "abort");
  return goOn;
}
