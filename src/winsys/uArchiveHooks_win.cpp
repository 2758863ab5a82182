// The archive's system hooks for Windows programs.
#include <windows.h>

#include "uArchiveHooks.h"
#include "uArchiveHooks_win.h"
#include "uFileSys.h"
#include "uPaths.h"
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
  const std::string name = LastComponent(fsys::OwnExecutable().value_or(""));
  MessageBoxW(GetActiveWindow(), Widen(text).c_str(), Widen(name).c_str(),
              MB_OK | MB_ICONINFORMATION);
}

}  // namespace

void InstallWindowsArchiveHooks() {
  ArchiveHooks().ProcessMessages = ProcessMessages;
  ArchiveHooks().ShowMessage = ShowMessage;
}
