#include "dialibs.h"

#include "diaPageFrame.h"
#include "dialibsLogic.h"

namespace {

const TControlDef kControls[] = {
    TitleLabel("Bibliothek auswählen"),
    BackButton(),
    NextButton(),
    CancelButton(),
    BodyLabel("Label1", 32, 8, 409, 28,
              "Sie müssen jetzt entscheiden, ob eine bzw. welche Bibliothek installiert werden "
              "soll."),
    BodyLabel("Label3", 32, 40, 409, 28,
              "Beachten Sie bitte, dass eine Bibliothek installiert sein muß, damit Ihr "
              "Kro-Programm später ausgeführt werden kann. "),
    BodyLabel("Label4", 32, 76, 305, 28,
              "Wichtig: die ausgewählte Bibliothek muß zu Ihren Daten bzw. Ihrem "
              "Programmlizenztyp passen."),
    BodyLabel("Label5", 32, 120, 180, 14, "Zur Zeit installierte Bibliothek:", 0),
    BodyLabel("LblAktLib", 216, 120, 240, 14, "", 0),
    BodyLabel("Label2", 32, 148, 200, 14, "Bibliothek", 0),
    {.Kind = ckListBox,
     .Name = "ListeBibliotheken",
     .Left = 32,
     .Top = 164,
     .Width = 409,
     .Height = 56,
     .Caption = "Keine Bibliothek installieren\n"
                "Client-Server-Bibliothek installieren\n"
                "Client-Server-Bibl. für Novell Netware installieren\n"
                "Einzelplatz-Bibliothek installieren",
     .Parent = "Body"},
};

const TTextDef kEnglishTexts[] = {
    {"LabelTitel", "Select Library"},
    {"Label1", "Now you have to decide, if any or which database library has to be installed."},
    {"Label3",
     "Please be aware, that at least one library has to be installed to run your software "
     "properly."},
    {"Label4", "Important: the selected library has to fit to your data and program licence type."},
    {"Label5", "Actually installed library:"},
    {"Label2", "Library"},
    kBackEnglish,
    kNextEnglish,
    kCancelEnglish,
    {"ListeBibliotheken",
     "Install no library\n"
     "Install the client-server library\n"
     "Install the client-server library for Novell Netware\n"
     "Install the standalone local pc library"},
};

const TFormDef kSetupdialogLibs =
    PageForm("SetupdialogLibs", kControls, kEnglishTexts, {.ClientHeight = 346});

}  // namespace

void ShowLibs(TSetupRun& run) {
  TForm form(kSetupdialogLibs);
  TWizardProtocol protocol(form, run);
  form.OnShow = [&] {
    form.SetLanguageTexts(run.Language);
    protocol.Begin();
    // 13-pixel items: the 56-pixel list shows all four without scrolling.
    SendMessageW(form.Control("ListeBibliotheken"), LB_SETITEMHEIGHT, 0, 13);
    form.SetBounds("ListeBibliotheken", 32, 164, 409, 56);
    const std::uint8_t variant = run.AppInfo.LibVariant;
    form.SetItemIndex("ListeBibliotheken", PreselectedItem(variant, run.Options.Library));
    form.SetText("LblAktLib",
                 InstalledLibraryText(variant, run.AppInfo.FirstInstallation, run.Language));
    // The choice has the focus, not Back (the first button), which Enter would press.
    form.SetFocus("ListeBibliotheken");
  };
  protocol.NextStep = [&] {
    run.AppInfo.LibVariant = CommittedVariant(form.ItemIndex("ListeBibliotheken"));
  };
  form.ShowModal();
}
