// The archive's system hooks for Windows programs.
#include <windows.h>

#include "uArchiveHooks.h"
#include "uArchiveHooks_win.h"
#include "uFileSys.h"
#include "uText.h"

namespace {

// Lets pending window messages run, so pages paint and a click on Cancel reaches the engine.
void ProcessMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

void ShowMessage(const std::string& text) {
  wchar_t title[MAX_PATH] = L"";
  GetModuleFileNameW(nullptr, title, MAX_PATH);
  const wchar_t* name = title;
  for (const wchar_t* p = title; *p; ++p)
    if (*p == L'\\') name = p + 1;
  MessageBoxW(GetActiveWindow(), Widen(text).c_str(), name, MB_OK | MB_ICONINFORMATION);
}

}  // namespace

void InstallWindowsArchiveHooks() {
  ArchiveHooks().ProcessMessages = ProcessMessages;
  ArchiveHooks().ShowMessage = ShowMessage;
}
