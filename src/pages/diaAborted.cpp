#include "diaAborted.h"

#include "diaPageFrame.h"
#include "uForms.h"

namespace {

const TControlDef kBody[] = {
    {.Kind = ckLabel,
     .Name = "Label1",
     .Left = 40,
     .Top = 32,
     .Width = 377,
     .Height = 25,
     .Caption = "Die Installation wurde vorzeitig abgebrochen!",
     .Style = csBold | csWordWrap},
    {.Kind = ckLabel,
     .Name = "Label2",
     .Left = 40,
     .Top = 64,
     .Width = 409,
     .Height = 33,
     .Caption = "Ihre neue Kro Software wurde nicht ordnungsgemäß installiert.",
     .Style = csWordWrap},
    {.Kind = ckLabel,
     .Name = "Label3",
     .Left = 40,
     .Top = 104,
     .Width = 393,
     .Height = 33,
     .Caption = "Um Ihre neue Kro Software verwenden zu können, müssen Sie die Installation "
                "wiederholen.",
     .Style = csWordWrap},
    {.Kind = ckLabel,
     .Name = "Label4",
     .Left = 40,
     .Top = 144,
     .Width = 393,
     .Height = 33,
     .Caption = "Falls die Datenträger (z.B. CD-ROM) fehlerhaft sind, setzen Sie sich bitte mit "
                "Kro in Verbindung.",
     .Style = csWordWrap},
};

const TTextDef kEnglishTexts[] = {
    {"LabelTitel", "Installation aborted"},
    {"Label1", "Installation is terminated before it was complete."},
    {"Label2", "Your new Kro software is not installed succesfully."},
    {"Label3", "You have to reinstall the software before you can use it."},
    {"Label4", "If your installation media is corrupted, please contact Kro."},
    {"BtnCancel", "&Close"},
};

const std::vector<TControlDef>& Controls() {
  static const std::vector<TControlDef> rows = FramedPage({.Title = "Installation abgebrochen",
                                                           .HeaderHeight = 49,
                                                           .TitleTop = 24,
                                                           .CancelCaption = "&Beenden",
                                                           .BodyFont = "Verdana",
                                                           .BodyFontHeight = 11},
                                                          kBody);
  return rows;
}

}  // namespace

void ShowAborted(TSetupRun& run) {
  TForm form(FramedForm("SetupdialogAborted", Controls(), kEnglishTexts));
  form.OnShow = [&] { form.SetLanguageTexts(run.Language); };
  CloseOnButtonAndEnter(form);
  form.ShowModal();
}
