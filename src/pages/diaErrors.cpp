#include "diaErrors.h"

#include "diaPageFrame.h"
#include "uForms.h"

namespace {

const TControlDef kBody[] = {
    {.Kind = ckLabel,
     .Name = "Label1",
     .Left = 16,
     .Top = 16,
     .Width = 409,
     .Height = 33,
     .Caption = "Die Installation wurde beendet. Dabei sind Fehler aufgetreten.",
     .Style = csBold | csWordWrap},
    {.Kind = ckLabel,
     .Name = "Label2",
     .Left = 16,
     .Top = 48,
     .Width = 425,
     .Height = 14,
     .Caption = "Folgende Dateien wurden nicht ordnungsgemäß installiert:"},
    {.Kind = ckListBox,
     .Name = "ListeFiles",
     .Left = 16,
     .Top = 64,
     .Width = 337,
     .Height = 57,
     .Style = csBorder | csVScroll},
    {.Kind = ckLabel,
     .Name = "Label3",
     .Left = 16,
     .Top = 128,
     .Width = 425,
     .Height = 33,
     .Caption = "In aller Regel liegt der Grund für diese Fehler darin, dass ein Anwender "
                "während der Installation noch mit einem Kro-Programm gearbeitet hat. ",
     .Style = csWordWrap},
    {.Kind = ckLabel,
     .Name = "Label4",
     .Left = 16,
     .Top = 168,
     .Width = 377,
     .Height = 25,
     .Caption = "Wiederholen Sie die Installation, nachdem alle Anwender bereits vorhandene "
                "Kro-Programme beendet haben.",
     .Style = csWordWrap},
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
    {"BtnCancel", "&Close"},
};

const std::vector<TControlDef>& Controls() {
  static const std::vector<TControlDef> rows = FramedPage({.Title = "Installation beendet",
                                                           .HeaderHeight = 49,
                                                           .TitleTop = 24,
                                                           .CancelCaption = "&Beenden",
                                                           .CancelLeft = 352},
                                                          kBody);
  return rows;
}

}  // namespace

void ShowErrors(TSetupRun& run) {
  TForm form(FramedForm("SetupdialogErrors", Controls(), kEnglishTexts));
  form.OnShow = [&] {
    form.SetLanguageTexts(run.Language);
    form.SetItems("ListeFiles", run.AppInfo.FailedFiles);
  };
  CloseOnButtonAndEnter(form);
  form.ShowModal();
}
