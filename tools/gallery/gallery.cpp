// The controls side by side in each of their modes: six gradient directions, the panel's four
// styles plus its transparent fill, live buttons (plain, disabled, with a drop-down menu,
// platform-drawn) and a sheet of every button face state. The end-to-end test screenshots it
// and reads pixels at the places fixed below, so keep the layout and the colours stable.
#include <windows.h>

#include "class_TGButton.h"
#include "class_TxPanel.h"
#include "uButtonFace.h"
#include "uControlPaint.h"
#include "uGradient.h"
#include "uHandles.h"
#include "uPinstripe.h"

namespace {

constexpr int kWidth = 820, kHeight = 470;
constexpr int kCloseId = 99;
HFONT Font = nullptr;

void Label(HWND parent, int x, int y, int w, const wchar_t* text) {
  HWND label = CreateWindowExW(0, L"Static", text, WS_CHILD | WS_VISIBLE | SS_LEFT, x, y, w, 16,
                               parent, nullptr, nullptr, nullptr);
  SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(Font), FALSE);
}

void Gradients(HWND host) {
  struct Item {
    TGradientDirection Dir;
    const wchar_t* Name;
  };
  const Item items[] = {{gdTopToBottom, L"gdTopToBottom"},
                        {gdLeftToRight, L"gdLeftToRight"},
                        {gdInsideOut, L"gdInsideOut"},
                        {gdStretchInsideOut, L"gdStretchInsideOut"},
                        {gdTBT, L"gdTBT"},
                        {gdLRL, L"gdLRL"}};
  Label(host, 10, 54, 200, L"TGradient (blue to white)");
  for (int i = 0; i < 6; ++i) {
    const int x = 10 + i * 133;
    TGradient::Create(host, x, 72, 125, 80, {clBlue, clWhite, items[i].Dir});
    Label(host, x, 155, 125, items[i].Name);
  }
}

void Panels(HWND host) {
  struct Item {
    TXPanelStyle Style;
    bool Transparent;
    const wchar_t* Name;
  };
  const Item items[] = {{txNone, false, L"txNone"},
                        {txTile, false, L"txTile"},
                        {txCenter, false, L"txCenter"},
                        {txStretch, false, L"txStretch"},
                        {txCenter, true, L"txCenter, JTransparent"}};
  Label(host, 10, 180, 200, L"TXPanel (pinstripe picture)");
  for (int i = 0; i < 5; ++i) {
    const int x = 10 + i * 160;
    TXPanelProps props;
    props.Caption = "Panel";
    props.JTexture = PinstripeBmp;
    props.JStyleTexture = items[i].Style;
    props.JTransparent = items[i].Transparent;
    props.JTransColor = RgbColor(0, 128, 128);
    TXPanel* panel = TXPanel::Create(host, x, 198, 150, 80, props);
    if (panel) SendMessageW(panel->Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(Font), FALSE);
    Label(host, x, 281, 150, items[i].Name);
  }
}

TMenuHandle DropMenu;

void Buttons(HWND host) {
  Label(host, 10, 306, 300, L"TTGButton (live)");
  struct Item {
    const char* Caption;
    bool Enabled;
    TOwnerDrawMode Mode;
    HMENU Menu;
    int Id;
  };
  DropMenu.Reset(CreatePopupMenu());
  AppendMenuW(DropMenu.Get(), MF_STRING, 201, L"Erster Eintrag");
  AppendMenuW(DropMenu.Get(), MF_STRING, 202, L"Zweiter Eintrag");
  const Item items[] = {{"&Weiter >", true, odAlways, nullptr, 1},
                        {"Abbrechen", false, odAlways, nullptr, 2},
                        {"Menü", true, odAlways, DropMenu.Get(), 3},
                        {"Platform", true, odNever, nullptr, 4},
                        {"&Schließen", true, odAlways, nullptr, kCloseId}};
  for (int i = 0; i < 5; ++i) {
    TTGButtonProps props;
    props.Caption = items[i].Caption;
    props.Enabled = items[i].Enabled;
    props.OwnerDraw = items[i].Mode;
    props.DropDownMenu = items[i].Menu;
    TTGButton* b = TTGButton::Create(host, 10 + i * 110, 324, 97, 21, props, items[i].Id);
    if (b) SendMessageW(b->Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(Font), FALSE);
  }
}

// Faces of every state, painted by the same code the buttons use.
struct TFaceState {
  const wchar_t* Name;
  bool Pressed, Focused, Hot, Disabled;
};
constexpr TFaceState kFaces[] = {
    {L"normal", false, false, false, false}, {L"focused", false, true, false, false},
    {L"hot", false, false, true, false},     {L"focused + hot", false, true, true, false},
    {L"pressed", true, false, false, false}, {L"disabled", false, false, false, true}};

LRESULT CALLBACK FacesProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg != WM_PAINT) return DefWindowProcW(wnd, msg, wp, lp);
  TPaintGuard paint(wnd);
  const HDC dc = paint.Get();
  TSelectGuard useFont(dc, Font);
  for (int i = 0; i < 6; ++i) {
    const TFaceState& s = kFaces[i];
    const int x = i * 130;
    SetViewportOrgEx(dc, x, 0, nullptr);
    PaintButtonFace(dc, PlanButtonFace({0, 0, 97, 21}, s.Pressed, s.Focused, s.Hot), s.Disabled,
                    TRgb{0, 0, 0}, L"&Weiter >");
    SetViewportOrgEx(dc, x, 24, nullptr);
    SetTextColor(dc, 0);
    SetBkMode(dc, TRANSPARENT);
    TextOutW(dc, 0, 0, s.Name, lstrlenW(s.Name));
  }
  SetViewportOrgEx(dc, 0, 0, nullptr);
  return 0;
}

LRESULT CALLBACK HostProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
      if (LOWORD(wp) == kCloseId) DestroyWindow(wnd);
      return 0;
    case WM_KEYDOWN:
      if (wp == VK_ESCAPE) DestroyWindow(wnd);
      return 0;
    case WM_CTLCOLORSTATIC:
      SetBkMode(reinterpret_cast<HDC>(wp), TRANSPARENT);
      return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(wnd, msg, wp, lp);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  Font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = HostProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = L"KroGallery";
  RegisterClassExW(&wc);
  EnsureWindowClass(L"KroGalleryFaces", FacesProc);

  // A popup at the screen's corner: client and screen coordinates are the same.
  HWND host = CreateWindowExW(0, L"KroGallery", L"Kro Controls Gallery", WS_POPUP, 0, 0, kWidth,
                              kHeight, nullptr, nullptr, instance, nullptr);
  if (!host) return 1;

  TXPanelProps band;
  band.JTexture = PinstripeBmp;
  band.JStyleTexture = txTile;
  band.BevelOuter = bvNone;
  TXPanel* top = TXPanel::Create(host, 0, 0, kWidth, 49, band);
  if (top) Label(top->Handle(), 12, 16, 400, L"Kro controls gallery");
  Gradients(host);
  Panels(host);
  Buttons(host);
  Label(host, 10, 360, 300, L"TTGButton faces");
  CreateWindowExW(0, L"KroGalleryFaces", L"", WS_CHILD | WS_VISIBLE, 10, 378, 800, 44, host,
                  nullptr, instance, nullptr);

  ShowWindow(host, SW_SHOW);
  UpdateWindow(host);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}
