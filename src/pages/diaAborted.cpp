#include "diaAborted.h"

#include "diaPageFrame.h"

namespace {

// The higher header, and Verdana in the body.
constexpr auto kFrame = PageFrame(kTallHeaderHeight, toBodyFirst, "Verdana");

const TControlDef kControls[] = {
    TitleLabel("Installation abgebrochen", kTallTitleTop),
    CloseButton(),
    BodyLabel("Label1", 40, 32, 377, 25, "Die Installation wurde vorzeitig abgebrochen!",
              csBold | csWordWrap),
    BodyLabel("Label2", 40, 64, 409, 33,
              "Ihre neue Kro Software wurde nicht ordnungsgemäß installiert."),
    BodyLabel("Label3", 40, 104, 393, 33,
              "Um Ihre neue Kro Software verwenden zu können, müssen Sie die Installation "
              "wiederholen."),
    BodyLabel("Label4", 40, 144, 393, 33,
              "Falls die Datenträger (z.B. CD-ROM) fehlerhaft sind, setzen Sie sich bitte mit "
              "Kro in Verbindung."),
};

const TTextDef kEnglishTexts[] = {
    {"LabelTitel", "Installation aborted"},
    {"Label1", "Installation is terminated before it was complete."},
    {"Label2", "Your new Kro software is not installed succesfully."},
    {"Label3", "You have to reinstall the software before you can use it."},
    {"Label4", "If your installation media is corrupted, please contact Kro."},
    kCloseEnglish,
};

const TFormDef kSetupdialogAborted =
    PageForm("SetupdialogAborted", kControls, kEnglishTexts, {.Frame = kFrame});

}  // namespace

void ShowAborted(TSetupRun& run) {
  TForm form(kSetupdialogAborted);
  form.OnShow = [&] { form.SetLanguageTexts(run.Language); };
  CloseOnButtonAndEnter(form);
  form.ShowModal();
}
