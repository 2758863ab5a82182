#include "diaWelcome.h"

#include "diaPageFrame.h"
#include "diaWelcomeFlags.h"

namespace {

const TControlDef kControls[] = {
    TitleLabel("Installation vorbereiten"),
    BackButton(&kDisabledButtonProps),
    NextButton(),
    CancelButton(),
    BodyLabel("Label1", 32, 40, 417, 39,
              "Willkommen zum Installationsprogramm der Kro GmbH. Dieses Programm installiert "
              "Ihre neue Kro-Software auf Ihrem Computer."),
    BodyLabel("Label2", 32, 80, 417, 39,
              "Wir empfehlen dringend, alle Windows-Programme zu beenden, bevor Sie das "
              "Installationsprogramm ausführen."),
    BodyLabel("Label3", 32, 120, 417, 52,
              "Klicken Sie auf Abbrechen, wenn Sie zunächst laufende Windows-Programme beenden "
              "wollen. Klicken Sie auf Weiter, um mit dem Installationsprogramm fortzufahren."),
    {.Kind = ckCustom,
     .Name = "ImageDE",
     .Left = 408,
     .Top = 8,
     .Width = TFlagPicture::Width,
     .Height = TFlagPicture::Height,
     .Caption = "Deutsch",
     .Parent = "Body",
     .Create = &CreateFlagWindow,
     .Param = &kFlagGermany},
    {.Kind = ckCustom,
     .Name = "ImageUK",
     .Left = 432,
     .Top = 8,
     .Width = TFlagPicture::Width,
     .Height = TFlagPicture::Height,
     .Caption = "English",
     .Parent = "Body",
     .Create = &CreateFlagWindow,
     .Param = &kFlagUnitedKingdom},
    BodyLabel("LabelVersion", 32, 192, 200, 14, "Setup Version: %s", 0),
};

const TTextDef kEnglishTexts[] = {
    {"LabelTitel", "Prepare installation"},
    {"Label1",
     "Welcome to the Kro installation program. This program will install your new Kro software "
     "on your computer."},
    {"Label2",
     "We recommend to close all running windows applications, before starting the "
     "installation."},
    {"Label3",
     "Click to Cancel, if you want to close all other applications first. Click to Continue, to "
     "start the installation."},
    kBackEnglish,
    kNextEnglish,
    kCancelEnglish,
};

const TFormDef kSetupdialogWelcome = PageForm("SetupdialogWelcome", kControls, kEnglishTexts);

}  // namespace

void ShowWelcome(TSetupRun& run) {
  TForm form(kSetupdialogWelcome);
  TWizardProtocol protocol(form, run);
  form.OnShow = [&] {
    form.SetLanguageTexts(run.Language);
    form.SetText("LabelVersion", SetupVersionText());
    protocol.Begin();
    form.SetFocus("BtnNext");
  };
  form.OnClick("ImageDE", [&] {
    run.Language = kGerman;
    form.SetLanguageTexts(run.Language);
  });
  form.OnClick("ImageUK", [&] {
    run.Language = kEnglish;
    form.SetLanguageTexts(run.Language);
  });
  form.ShowModal();
}
