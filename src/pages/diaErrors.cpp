#include "diaErrors.h"

#include "diaPageFrame.h"

namespace {

const TControlDef kControls[] = {
    TitleLabel("Installation beendet", kTallTitleTop),
    CloseButton(352),
    BodyLabel("Label1", 16, 16, 409, 33,
              "Die Installation wurde beendet. Dabei sind Fehler aufgetreten.",
              csBold | csWordWrap),
    BodyLabel("Label2", 16, 48, 425, 14,
              "Folgende Dateien wurden nicht ordnungsgemäß installiert:", 0),
    BodyRow(ckListBox, "ListeFiles", 16, 64, 337, 57, "", csBorder | csVScroll),
    BodyLabel("Label3", 16, 128, 425, 33,
              "In aller Regel liegt der Grund für diese Fehler darin, dass ein Anwender "
              "während der Installation noch mit einem Kro-Programm gearbeitet hat. "),
    BodyLabel("Label4", 16, 168, 377, 25,
              "Wiederholen Sie die Installation, nachdem alle Anwender bereits vorhandene "
              "Kro-Programme beendet haben."),
};

const TTextDef kEnglishTexts[] = {
    {"LabelTitel", "Installation completed"},
    {"Label1", "There has been errors during the installation."},
    {"Label2", "The following files could not be installed properly:"},
    {"Label3",
     "The reason for this errors is in most cases, that a user worked with the program during "
     "the installation. "},
    {"Label4",
     "Please be sure, that all users stopped working with Kro programs, and retry the "
     "installation."},
    kCloseEnglish,
};

const TFormDef kSetupdialogErrors =
    PageForm("SetupdialogErrors", kControls, kEnglishTexts, {.Frame = kTallOutcomeFrame});

}  // namespace

void ShowErrors(TSetupRun& run) {
  TForm form(kSetupdialogErrors);
  form.OnShow = [&] {
    form.SetLanguageTexts(run.Language);
    form.SetItems("ListeFiles", run.AppInfo.FailedFiles);
  };
  CloseOnButtonAndEnter(form);
  form.ShowModal();
}
