// probe: the eyes and one hand of the whole-run harness inside the Wine prefix.
//   probe dump        every visible top-level window of other processes and its children, one
//                     line each: depth, class, text, screen rectangle, state (v visible,
//                     d disabled, c checked, f focused), progress position or selected item
//   probe watch       says "watching" once it follows every progress bar of other processes
//                     (through probehook.dll, in each bar's own thread), and when its standard
//                     input closes prints per bar: the page's title, the bar's place on its
//                     page, the highest position it was given
//   probe hold PATH   opens PATH for reading and writing without sharing and keeps it open
//                     until its standard input closes, as a user's running program would
// Output is UTF-8 so that the harness sees umlauts as the user does.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <cstdio>
#include <string>

#include "probebars.h"
#include "uHandles.h"

namespace {

std::string Utf8(const wchar_t* w, int n) {
  int size = WideCharToMultiByte(CP_UTF8, 0, w, n, nullptr, 0, nullptr, nullptr);
  std::string s(size, '\0');
  WideCharToMultiByte(CP_UTF8, 0, w, n, s.data(), size, nullptr, nullptr);
  return s;
}

// Tabs and line breaks would split a record; the harness matches the text with spaces.
std::string OneLine(std::string s) {
  for (char& c : s)
    if (c == '\t' || c == '\r' || c == '\n') c = ' ';
  return s;
}

std::string Text(HWND w) {
  wchar_t buffer[2048];
  DWORD_PTR n = 0;
  // A window that hangs must not hang the harness.
  if (!SendMessageTimeoutW(w, WM_GETTEXT, 2048, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG,
                           1000, &n))
    return "";
  return OneLine(Utf8(buffer, static_cast<int>(n)));
}

std::string Extra(HWND w, const wchar_t* cls) {
  DWORD_PTR r = 0;
  auto ask = [&](UINT msg) {
    return SendMessageTimeoutW(w, msg, 0, 0, SMTO_ABORTIFHUNG, 1000, &r) ? static_cast<long>(r)
                                                                         : -1;
  };
  if (lstrcmpiW(cls, PROGRESS_CLASSW) == 0) return "pos=" + std::to_string(ask(PBM_GETPOS));
  if (lstrcmpiW(cls, L"ListBox") == 0) {
    std::string items = "sel=" + std::to_string(ask(LB_GETCURSEL));
    const long count = ask(LB_GETCOUNT);
    for (long i = 0; i < count && i < 200; ++i) {
      wchar_t item[1024];
      DWORD_PTR n = 0;
      if (SendMessageTimeoutW(w, LB_GETTEXTLEN, WPARAM(i), 0, SMTO_ABORTIFHUNG, 1000, &n) &&
          n < 1024 &&
          SendMessageTimeoutW(w, LB_GETTEXT, WPARAM(i), reinterpret_cast<LPARAM>(item),
                              SMTO_ABORTIFHUNG, 1000, &n))
        items += " | " + OneLine(Utf8(item, static_cast<int>(n)));
    }
    return items;
  }
  if (lstrcmpiW(cls, L"Button") == 0) return ask(BM_GETCHECK) == BST_CHECKED ? "c" : "";
  return "";
}

void Dump(HWND w, int depth, HWND focus) {
  wchar_t cls[128] = L"";
  GetClassNameW(w, cls, 128);
  RECT r{};
  GetWindowRect(w, &r);
  std::string state;
  if (IsWindowVisible(w)) state += 'v';
  if (!IsWindowEnabled(w)) state += 'd';
  if (w == focus) state += 'f';
  std::printf("%d\t%s\t%s\t%ld,%ld,%ld,%ld\t%s\t%s\n", depth, Utf8(cls, lstrlenW(cls)).c_str(),
              Text(w).c_str(), r.left, r.top, r.right, r.bottom, state.c_str(),
              Extra(w, cls).c_str());
  for (HWND c = GetWindow(w, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) Dump(c, depth + 1, focus);
}

int DumpAll() {
  const DWORD self = GetCurrentProcessId();
  for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
    DWORD pid = 0;
    const DWORD thread = GetWindowThreadProcessId(w, &pid);
    if (pid == self || !IsWindowVisible(w)) continue;
    GUITHREADINFO gui{};
    gui.cbSize = sizeof gui;
    HWND focus = GetGUIThreadInfo(thread, &gui) ? gui.hwndFocus : nullptr;
    Dump(w, 0, focus);
  }
  std::fflush(stdout);
  return 0;
}

// What could not be done, with the system's code for why: the probe's failure.
int Refuse(const char* what) {
  std::fprintf(stderr, "probe: cannot %s (error %lu)\n", what, GetLastError());
  return 1;
}

// Until the harness closes our standard input.
void WaitForEndOfInput() {
  char c;
  DWORD n;
  while (ReadFile(GetStdHandle(STD_INPUT_HANDLE), &c, 1, &n, nullptr) && n == 1) {
  }
}

int Watch() {
  TKernelHandle mapping(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                           sizeof(TBarTable), kBarTableName));
  TMappedView view(mapping ? MapViewOfFile(mapping.Get(), FILE_MAP_WRITE, 0, 0, sizeof(TBarTable))
                           : nullptr);
  // The library lies beside the probe, where the search for it begins; the system loads it
  // into each hooked process by the path it was found at here.
  TModuleHandle hooks(LoadLibraryW(L"probehook.dll"));
  const auto proc = hooks ? reinterpret_cast<HOOKPROC>(
                                reinterpret_cast<void*>(GetProcAddress(hooks.Get(), kBarHookProc)))
                          : nullptr;
  if (!view || !proc) {
    return Refuse("watch the bars");
  }
  auto* table = static_cast<TBarTable*>(view.Get());
  // A process that mapped the table of an earlier watch keeps it alive: start from nothing.
  ZeroMemory(table, sizeof *table);
  THookHandle hook(SetWindowsHookExW(WH_CALLWNDPROCRET, proc, hooks.Get(), 0));
  if (!hook) {
    return Refuse("hook the windows");
  }
  std::printf("watching\n");
  std::fflush(stdout);
  WaitForEndOfInput();
  for (const TBarSlot& slot : table->Slots)
    if (slot.Window)
      std::printf("%s\t%ld\t%ld\n", OneLine(Utf8(slot.Page, lstrlenW(slot.Page))).c_str(),
                  slot.Place, slot.Highest);
  std::fflush(stdout);
  return 0;
}

int Hold(const wchar_t* path) {
  auto h = TFileHandle::FromCreate(
      CreateFileW(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!h) {
    return Refuse("open the file");
  }
  std::printf("held\n");
  std::fflush(stdout);
  WaitForEndOfInput();
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc == 2 && lstrcmpW(argv[1], L"dump") == 0) return DumpAll();
  if (argc == 2 && lstrcmpW(argv[1], L"watch") == 0) return Watch();
  if (argc == 3 && lstrcmpW(argv[1], L"hold") == 0) return Hold(argv[2]);
  std::fprintf(stderr, "usage: probe dump | probe watch | probe hold PATH\n");
  return 2;
}
