#include "diaFinish.h"

#include "diaFinishRules.h"
#include "diaPageFrame.h"
#include "uForms.h"

namespace {

const TControlDef kBody[] = {
    {.Kind = ckLabel,
     .Name = "Label1",
     .Left = 24,
     .Top = 8,
     .Width = 441,
     .Height = 14,
     .Caption = "Die Installation Ihrer neuen Software wurde erfolgreich durchgeführt."},
    {.Kind = ckCheckBox,
     .Name = "CBShortcut",
     .Left = 24,
     .Top = 32,
     .Width = 441,
     .Height = 17,
     .Caption = "Soll Setup eine Verknüpfung zum Programm auf Ihrem Desktop anlegen?"},
    {.Kind = ckLabel,
     .Name = "LabelReboot",
     .Left = 24,
     .Top = 64,
     .Width = 433,
     .Height = 33,
     .Caption = "Damit die neu installierte Software ordnungsgemäß ausgeführt werden kann, muß "
                "Ihr Computer neu gestartet werden.",
     .Style = csWordWrap},
    {.Kind = ckRadioButton,
     .Name = "RBRebootYes",
     .Left = 24,
     .Top = 104,
     .Width = 369,
     .Height = 17,
     .Caption = "&Ja, mein Computer soll jetzt neu gestartet werden.",
     .Style = csChecked | csGroup},
    {.Kind = ckRadioButton,
     .Name = "RBRebootNo",
     .Left = 24,
     .Top = 124,
     .Width = 369,
     .Height = 17,
     .Caption = "&Nein, ich werde meinen Computer später selbst neu starten.",
     // One tab stop for the group, as in dialogs: Tab never moves the choice, the arrows do.
     .Style = csNoTabStop},
    {.Kind = ckLabel,
     .Name = "Label3",
     .Left = 24,
     .Top = 156,
     .Width = 305,
     .Height = 33,
     .Caption = "Wir wünschen Ihnen viel Spaß bei der Arbeit mit Ihrer neuen Software.",
     .Style = csWordWrap | csGroup},  // ends the radio group
    {.Kind = ckLabel,
     .Name = "Label4",
     .Left = 24,
     .Top = 188,
     .Width = 305,
     .Height = 17,
     .Caption = "Ihr Kro Team"},
};

const TTextDef kEnglishTexts[] = {
    {"LabelTitel", "Installation completed"},
    {"Label1", "The installation of your new software has completed successfully."},
    {"CBShortcut", "Do you want setup to create a shortcut at your desktop?"},
    {"LabelReboot",
     "You have to reboot your computer, before you can run the new installed software."},
    {"RBRebootYes", "Yes, reboot my computer now"},
    {"RBRebootNo", "No, I reboot my computer later"},
    {"Label3", "We wish you much fun while working with your new software."},
    {"Label4", "Your Kro team"},
    {"BtnCancel", "&Close"},
};

const std::vector<TControlDef>& Controls() {
  static const std::vector<TControlDef> rows =
      FramedPage({.Title = "Installation abgeschlossen", .CancelCaption = "&Beenden"}, kBody);
  return rows;
}

}  // namespace

bool ShowFinish(TSetupRun& run) {
  TForm form(FramedForm("SetupdialogFinish", Controls(), kEnglishTexts));
  form.OnShow = [&] {
    form.SetLanguageTexts(run.Language);
    const TFinishFace face = FinishFace(run.AppInfo.FullInstallation, run.RebootRequired);
    for (const char* name : {"LabelReboot", "RBRebootYes", "RBRebootNo"})
      form.SetVisible(name, face.RebootVisible);
    form.SetChecked("CBShortcut", face.ShortcutChecked);
    form.SetEnabled("CBShortcut", face.ShortcutEnabled);
  };
  form.OnClose = [&](TCloseAction&) {
    run.RebootNow =
        RebootNowOnClose(run.RebootRequired, form.Checked("RBRebootYes"), run.RebootNow);
  };
  CloseOnButtonAndEnter(form);
  form.ShowModal();
  return form.Checked("CBShortcut");
}
