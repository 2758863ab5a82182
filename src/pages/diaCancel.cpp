#include "diaCancel.h"

#include "diaWelcomeFrame.h"
#include "uSetupLog.h"

namespace {

const TControlDef kControls[] = {
    TitleLabel("Setup fortsetzen oder abbrechen?"),
    // First in the tab order: continuing has the focus when the dialog opens.
    PageButton("BtnNext", 250, 95, "&Fortsetzen"),
    PageButton("BtnCancel", 352, 97, "&Abbrechen"),
    BodyLabel("Label1", 40, 64, 400, 14, "Die Installation ist noch nicht abgeschlossen!", 0),
    BodyLabel("Label2", 40, 88, 400, 14,
              "Möchten Sie das Setup-Programm fortsetzen oder abbrechen?", 0),
};

const TTextDef kEnglishTexts[] = {
    {"LabelTitel", "Continue or abort setup"},
    {"Label1", "The installation is not yet completed."},
    {"Label2", "Do you want Setup to continue or abort."},
    {"BtnNext", "Co&ntinue"},
    {"BtnCancel", "&Abort"},
};

const TFormDef kDialogCancel{.Name = "DialogCancel",
                             .Caption = "Kro Setup",
                             .ClientWidth = kEntryPageWidth,
                             .ClientHeight = 286,
                             .Frame = kEntryFrame,
                             .Controls = kControls,
                             .English = kEnglishTexts};

}  // namespace

bool ConfirmContinue(std::int32_t language) {
  TForm form(kDialogCancel);
  form.OnShow = [&] {
    if (language == 1) form.SetLanguageTexts(1);
    form.SetFocus("BtnNext");
  };
  form.OnClick("BtnNext", [&] { form.ModalResult = mrOk; });
  form.OnClick("BtnCancel", [&] { form.ModalResult = mrCancel; });
  const bool goOn = form.ShowModal() == mrOk;
  SetupLogLine("cancel asked, answer: ", goOn ? "continue" : "abort");
  return goOn;
}
