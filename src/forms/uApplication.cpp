#include "uApplication.h"

#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <vector>

#include "uArchiveHooks_win.h"
#include "uFileSys.h"
#include "uForms.h"
#include "uHandles.h"
#include "uPaths.h"
#include "uText.h"

namespace {

std::string Title;
TMessageBoxFunc BoxFunc = nullptr;

std::string ExecutableBaseName() {
  return ChangeFileExt(LastComponent(fsys::OwnExecutable().value_or("")), "");
}

// The box's icon: a plain Static in icon mode, its picture named by Param.
TWindow CreateBoxIcon(TWindow parent, const TControlDef& d, int id) {
  HWND w = CreateWindowExW(0, L"Static", L"", WS_CHILD | WS_VISIBLE | SS_ICON, d.Left, d.Top,
                           d.Width, d.Height, parent, reinterpret_cast<HMENU>(INT_PTR(id)),
                           GetModuleHandleW(nullptr), nullptr);
  if (w)
    SendMessageW(w, STM_SETICON, WPARAM(LoadIconW(nullptr, static_cast<const wchar_t*>(d.Param))),
                 0);
  return w;
}

}  // namespace

void InitApplication() {
  InstallWindowsArchiveHooks();
  // By name from the system folder, so the manifest's choice of version still applies.
  HMODULE cc = GetModuleHandleW(L"comctl32.dll");
  if (!cc) cc = LoadLibraryExW(L"comctl32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (!cc) cc = LoadSystemLibrary(L"comctl32.dll").Release();
  using TInit = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
  if (auto init = reinterpret_cast<TInit>(
          reinterpret_cast<void*>(GetProcAddress(cc, "InitCommonControlsEx")))) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES |
                                             ICC_TREEVIEW_CLASSES | ICC_WIN95_CLASSES};
    init(&icc);
  }
}

void SetApplicationTitle(std::string_view utf8) { Title = std::string(utf8); }
std::string ApplicationTitle() { return Title.empty() ? ExecutableBaseName() : Title; }

void SetMessageBoxFunc(TMessageBoxFunc func) { BoxFunc = func; }

int RunMessageBox(TMessageKind kind, const std::string& text) {
  const char* title = kind == mkError ? "Fehler" : "Bestätigung";
  std::string appTitle;
  if (kind == mkInformation) {
    appTitle = ApplicationTitle();
    title = appTitle.c_str();
  }
  const wchar_t* icon = kind == mkInformation ? IDI_INFORMATION
                        : kind == mkError     ? IDI_ERROR
                                              : IDI_WARNING;
  const int fontHeight = 11;
  // Measure the message as the label will draw it.
  RECT area{0, 0, std::max(240, GetSystemMetrics(SM_CXSCREEN) / 2), 0};
  {
    TWindowDC dc(nullptr);
    TGdiObject font(CreateFontW(-fontHeight, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0,
                                0, L"Tahoma"));
    TSelectGuard selected(dc.Get(), font.Get());
    const std::wstring wide = Widen(text.empty() ? std::string(" ") : text);
    DrawTextW(dc.Get(), wide.c_str(), int(wide.size()), &area,
              DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX);
  }
  const bool two = kind == mkConfirmation;
  const int margin = 12, iconSize = 32, buttonW = 75, buttonH = 23, gap = 8;
  const int textLeft = margin + iconSize + margin;
  const int textW = area.right + 4, textH = std::max<int>(area.bottom, iconSize);
  const int buttonsW = two ? 2 * buttonW + gap : buttonW;
  const int clientW = std::max({textLeft + textW + margin, buttonsW + 2 * margin, 200});
  const int buttonsTop = margin + textH + 2 * margin;
  const int clientH = buttonsTop + buttonH + margin;
  const int firstButton = (clientW - buttonsW) / 2;
  const int textTop = margin + (textH - int(area.bottom)) / 2;

  std::vector<TControlDef> controls = {
      {.Kind = ckCustom,
       .Name = "Icon",
       .Left = margin,
       .Top = margin,
       .Width = iconSize,
       .Height = iconSize,
       .Create = &CreateBoxIcon,
       .Param = icon},
      {.Kind = ckLabel,
       .Name = "Message",
       .Left = textLeft,
       .Top = textTop,
       .Width = textW,
       .Height = int(area.bottom),
       .Caption = text.empty() ? "" : text.c_str(),
       .Style = csWordWrap},
      {.Kind = ckButton,
       .Name = "BtnOK",
       .Left = firstButton,
       .Top = buttonsTop,
       .Width = buttonW,
       .Height = buttonH,
       .Caption = "OK",
       .Style = csDefault | (two ? 0u : csCancel)},
  };
  if (two)
    controls.push_back({.Kind = ckButton,
                        .Name = "BtnCancel",
                        .Left = firstButton + buttonW + gap,
                        .Top = buttonsTop,
                        .Width = buttonW,
                        .Height = buttonH,
                        .Caption = "Abbrechen",
                        .Style = csCancel});
  TFormDef def;
  def.Name = "MessageBox";
  def.Caption = title;
  def.ClientWidth = clientW;
  def.ClientHeight = clientH;
  def.Controls = controls;
  TForm box(def);
  box.OnClick("BtnOK", [&box] { box.ModalResult = mrOk; });
  if (two) box.OnClick("BtnCancel", [&box] { box.ModalResult = mrCancel; });
  box.SetFocus("BtnOK");
  // Above every other window of the program, as the system's boxes are.
  SetWindowPos(box.Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  return box.ShowModal();
}

namespace {
int AskBox(TMessageKind kind, std::string_view utf8) {
  const std::string text(utf8);
  return BoxFunc ? BoxFunc(kind, text) : RunMessageBox(kind, text);
}
}  // namespace

void ShowMessageBox(std::string_view utf8) { AskBox(mkInformation, utf8); }
void ShowErrorBox(std::string_view utf8) { AskBox(mkError, utf8); }
bool ConfirmBox(std::string_view utf8) { return AskBox(mkConfirmation, utf8) == mrOk; }

std::string ExceptionMessage(std::exception_ptr error) {
  if (!error) return {};
  try {
    std::rethrow_exception(error);
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
    return "Unexpected error.";
  }
}

void HandleException(std::exception_ptr error) {
  if (!error) return;
  static bool showing = false;
  const std::string text = ExceptionMessage(error);
  if (showing) {
    // An error while the error box is up: the system's own box cannot fail the same way.
    MessageBoxW(GetActiveWindow(), Widen(text).c_str(), L"Fehler", MB_OK | MB_ICONERROR);
    return;
  }
  showing = true;
  try {
    ShowErrorBox(text);
  } catch (...) {
    MessageBoxW(GetActiveWindow(), Widen(text).c_str(), L"Fehler", MB_OK | MB_ICONERROR);
  }
  showing = false;
}

void HandleCurrentException() { HandleException(std::current_exception()); }
