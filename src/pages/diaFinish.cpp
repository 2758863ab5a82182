#include "diaFinish.h"

#include "diaFinishRules.h"
#include "diaPageFrame.h"

namespace {

const TControlDef kControls[] = {
    TitleLabel("Installation abgeschlossen"),
    CloseButton(),
    BodyLabel("Label1", 24, 8, 441, 14,
              "Die Installation Ihrer neuen Software wurde erfolgreich durchgeführt.", 0),
    BodyRow(ckCheckBox, "CBShortcut", 24, 32, 441, 17,
            "Soll Setup eine Verknüpfung zum Programm auf Ihrem Desktop anlegen?"),
    BodyLabel("LabelReboot", 24, 64, 433, 33,
              "Damit die neu installierte Software ordnungsgemäß ausgeführt werden kann, muß "
              "Ihr Computer neu gestartet werden."),
    BodyRow(ckRadioButton, "RBRebootYes", 24, 104, 369, 17,
            "&Ja, mein Computer soll jetzt neu gestartet werden.", csChecked | csGroup),
    // One tab stop for the group, as in dialogs: Tab never moves the choice, the arrows do.
    BodyRow(ckRadioButton, "RBRebootNo", 24, 124, 369, 17,
            "&Nein, ich werde meinen Computer später selbst neu starten.", csNoTabStop),
    BodyLabel("Label3", 24, 156, 305, 33,
              "Wir wünschen Ihnen viel Spaß bei der Arbeit mit Ihrer neuen Software.",
              csWordWrap | csGroup),  // ends the radio group
    BodyLabel("Label4", 24, 188, 305, 17, "Ihr Kro Team", 0),
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
    kCloseEnglish,
};

const TFormDef kSetupdialogFinish =
    PageForm("SetupdialogFinish", kControls, kEnglishTexts, {.Frame = kOutcomeFrame});

}  // namespace

bool ShowFinish(TSetupRun& run) {
  TForm form(kSetupdialogFinish);
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
