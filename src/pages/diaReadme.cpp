#include "diaReadme.h"

// clang-format off
#include <windows.h>
// clang-format on
#include <commdlg.h>
#include <richedit.h>

#include "diaFinishRules.h"
#include "diaPageFrame.h"
#include "uApplication.h"
#include "uControlDefs.h"
#include "uExceptions.h"
#include "uForms.h"
#include "uHandles.h"
#include "uSetupTools.h"
#include "uText.h"

namespace {

constexpr int kDesignWidth = kPageWidth, kDesignHeight = 320;
constexpr int kMaxTextLength = 16108864;

const TControlDef kControls[] = {
    HeaderBand(65),
    {.Kind = ckLabel,
     .Name = "Label6",
     .Left = 16,
     .Top = 16,
     .Width = 300,
     .Height = 16,
     .Caption = "Update-Informationen",
     .Style = csBold,
     .Parent = "PanelTop"},
    // Wide enough for a long path in a wide window; the band clips it.
    {.Kind = ckLabel,
     .Name = "LabelFilename",
     .Left = 48,
     .Top = 36,
     .Width = 1600,
     .Height = 16,
     .Parent = "PanelTop"},
    HeaderRule(),
    ButtonBand(),
    PageButton("TGButton1", 16, 97, "&Drucken"),
    CloseButton(352, csAnchorRight),
    {.Kind = ckPanel,
     .Name = "Panel1",
     .Top = 65,
     .Width = 17,
     .Height = kDesignHeight - 65 - kButtonBandHeight,
     .Align = alLeft,
     .Color = clWindow},
    {.Kind = ckRichEdit,
     .Name = "Memo",
     .Left = 17,
     .Top = 65,
     .Width = kDesignWidth - 17,
     .Height = kDesignHeight - 65 - kButtonBandHeight,
     .Caption = "Memo",
     .Style = csVScroll,
     .Align = alClient,
     .FontFace = "Arial",
     .FontHeight = 13},
};

TFormDef ReadmeForm() {
  TFormDef f;
  f.Name = "SetupDialogReadme";
  f.Caption = "Kro Setup";
  f.ClientWidth = kDesignWidth;
  f.ClientHeight = kDesignHeight;
  f.Border = bsSizeable;
  f.KeyPreview = true;
  f.FontFace = "Verdana";
  f.FontHeight = 11;
  f.Controls = kControls;
  return f;
}

// The whole text of the edit control on the default printer, one page after the other, as one
// job. Raises Exception when there is no default printer or the job cannot be started.
void PrintRichText(HWND edit, const wchar_t* title) {
  PRINTDLGW pd{};
  pd.lStructSize = sizeof pd;
  pd.Flags = PD_RETURNDEFAULT | PD_RETURNDC;
  const bool found = PrintDlgW(&pd);
  // Owned before the check: a printer without a DC still hands over its settings.
  TMemoryDC dc(pd.hDC);
  TGlobalMemory mode(pd.hDevMode), names(pd.hDevNames);
  if (!found || !dc) throw Exception("No default printer is installed.");

  DOCINFOW doc{};
  doc.cbSize = sizeof doc;
  doc.lpszDocName = title;
  if (StartDocW(dc.Get(), &doc) <= 0) throw Exception("The print job could not be started.");

  GETTEXTLENGTHEX lengthOf{GTL_NUMCHARS | GTL_PRECISE, 1200};
  const LONG length = LONG(SendMessageW(edit, EM_GETTEXTLENGTHEX, WPARAM(&lengthOf), 0));
  const int dpiX = GetDeviceCaps(dc.Get(), LOGPIXELSX), dpiY = GetDeviceCaps(dc.Get(), LOGPIXELSY);
  FORMATRANGE range{};
  range.hdc = range.hdcTarget = dc.Get();
  range.rcPage = {0, 0, MulDiv(GetDeviceCaps(dc.Get(), HORZRES), 1440, dpiX),
                  MulDiv(GetDeviceCaps(dc.Get(), VERTRES), 1440, dpiY)};
  range.chrg = {0, -1};
  bool ok = true;
  do {
    range.rc = range.rcPage;
    ok = StartPage(dc.Get()) > 0;
    if (!ok) break;
    const LONG next = LONG(SendMessageW(edit, EM_FORMATRANGE, TRUE, LPARAM(&range)));
    ok = EndPage(dc.Get()) > 0;
    if (next <= range.chrg.cpMin) break;  // nothing more fitted: never loop on one page
    range.chrg.cpMin = next;
  } while (ok && range.chrg.cpMin < length);
  SendMessageW(edit, EM_FORMATRANGE, FALSE, 0);
  if (!ok) {
    AbortDoc(dc.Get());
    throw Exception("The text could not be printed.");
  }
  EndDoc(dc.Get());
}

}  // namespace

void ShowReadme(const std::string& path) {
  TForm form(ReadmeForm());
  form.OnShow = [&] {
    const TReadmeSize size =
        ReadmeSize(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    form.SetWindowSize(size.Width, size.Height);
    form.CenterOnScreen();
    form.SetText("LabelFilename", path);
    const std::optional<std::string> text = ReadWholeFile(path);
    if (text)
      form.LoadRichText("Memo", *text, kMaxTextLength);
    else
      HandleException(
          std::make_exception_ptr(Exception(Format("Cannot open file \"%s\".", {path}))));
  };
  form.OnClick("TGButton1",
               [&form] { PrintRichText(form.Control("Memo"), Widen(kReadmeJobTitle).c_str()); });
  CloseOnButtonAndEnter(form);
  form.ShowModal();
}
