// The same small window program twice, with and without one of each control, so that the
// difference between the two stripped executables is what the controls add to setup.exe. The
// baseline already uses the run-time pieces setup.exe has anyway (strings, vectors, functions,
// exceptions), so they are not counted against the controls.
#include <windows.h>

#include <exception>
#include <functional>
#include <string>
#include <vector>

#ifdef KRO_WITH_CONTROLS
#include "class_TGButton.h"
#include "class_TxPanel.h"
#include "uGradient.h"
#include "uPinstripe.h"
#endif

namespace {

std::function<void()> Hook;

LRESULT CALLBACK HostProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  try {
    if (msg == WM_DESTROY) PostQuitMessage(0);
    if (msg == WM_USER) {
      const std::string text(wp, 'x');
      std::vector<int> values(wp);
      if (Hook) Hook();
      MessageBoxA(wnd, text.c_str(), nullptr, MB_OK);
    }
  } catch (...) {
    try {
      std::rethrow_exception(std::current_exception());
    } catch (const std::exception& e) {
      MessageBoxA(wnd, e.what(), nullptr, MB_OK);
    }
  }
  return DefWindowProcW(wnd, msg, wp, lp);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = HostProc;
  wc.hInstance = instance;
  wc.lpszClassName = L"KroSizeProbe";
  RegisterClassW(&wc);
  [[maybe_unused]] HWND host = CreateWindowExW(0, L"KroSizeProbe", L"probe", WS_POPUP, 0, 0, 300,
                                               200, nullptr, nullptr, instance, nullptr);
#ifdef KRO_WITH_CONTROLS
  TGradient::Create(host, 0, 0, 300, 200, {clWindow, cl3DLight, gdTopToBottom});
  TXPanelProps band;
  band.JTexture = PinstripeBmp;
  band.JStyleTexture = txTile;
  TXPanel::Create(host, 0, 0, 300, 49, band);
  TTGButtonProps button;
  button.Caption = "&Weiter >";
  TTGButton* b = TTGButton::Create(host, 10, 160, 97, 21, button);
  if (b) b->OnDropping = [](TTGButton&, bool& allow) { allow = false; };
#endif
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
  return 0;
}
