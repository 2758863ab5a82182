// probe: the eyes and one hand of the whole-run harness inside the Wine prefix.
//   probe dump        every visible top-level window of other processes and its children, one
//                     line each: depth, class, text, screen rectangle, state (v visible,
//                     d disabled, c checked, f focused), progress position or selected item
//   probe watch       follows every progress bar of other processes until its standard input
//                     closes, then prints per bar: the page's title, the bar's place on its
//                     page, the highest position seen. One thread per bar keeps a question
//                     waiting on each, so the last position is read even when the page
//                     closes right after setting it.
//   probe hold PATH   opens PATH for reading and writing without sharing and keeps it open
//                     until its standard input closes, as a user's running program would
// Output is UTF-8 so that the harness sees umlauts as the user does.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <algorithm>
#include <cstdio>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

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

struct TBar {
  std::string Page;
  int Place = 0;
  long Highest = -1;
};

std::mutex gBarsLock;
std::map<HWND, TBar> gBars;

// The first non-empty label of a page is the title in its header band.
std::string PageTitle(HWND top) {
  for (HWND c = GetWindow(top, GW_CHILD); c; c = GetNextWindow(c, GW_HWNDNEXT)) {
    wchar_t cls[64] = L"";
    GetClassNameW(c, cls, 64);
    if (lstrcmpiW(cls, L"Static") == 0) {
      std::string t = Text(c);
      if (!t.empty()) return t;
    }
    std::string inner = PageTitle(c);
    if (!inner.empty()) return inner;
  }
  return "";
}

void CollectBars(HWND w, std::vector<HWND>& bars) {
  for (HWND c = GetWindow(w, GW_CHILD); c; c = GetNextWindow(c, GW_HWNDNEXT)) {
    wchar_t cls[64] = L"";
    GetClassNameW(c, cls, 64);
    if (lstrcmpiW(cls, PROGRESS_CLASSW) == 0) bars.push_back(c);
    CollectBars(c, bars);
  }
}

void FollowBar(HWND bar) {
  while (IsWindow(bar)) {
    DWORD_PTR pos = 0;
    if (!SendMessageTimeoutW(bar, PBM_GETPOS, 0, 0, SMTO_ABORTIFHUNG, 5000, &pos)) break;
    std::lock_guard<std::mutex> lock(gBarsLock);
    TBar& b = gBars[bar];
    b.Highest = std::max(b.Highest, static_cast<long>(pos));
  }
}

DWORD WINAPI WatchStdin(void* done) {
  char c;
  DWORD n;
  while (ReadFile(GetStdHandle(STD_INPUT_HANDLE), &c, 1, &n, nullptr) && n == 1) {
  }
  *static_cast<volatile LONG*>(done) = 1;
  return 0;
}

int Watch() {
  volatile LONG done = 0;
  TKernelHandle watcher(CreateThread(nullptr, 0, WatchStdin, const_cast<LONG*>(&done), 0, nullptr));
  const DWORD self = GetCurrentProcessId();
  std::vector<std::thread> followers;
  while (!done) {
    for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
      DWORD pid = 0;
      GetWindowThreadProcessId(w, &pid);
      if (pid == self) continue;
      std::vector<HWND> bars;
      CollectBars(w, bars);
      for (size_t i = 0; i < bars.size(); ++i) {
        {
          std::lock_guard<std::mutex> lock(gBarsLock);
          if (gBars.count(bars[i])) continue;
          gBars[bars[i]] = TBar{PageTitle(w), static_cast<int>(i), -1};
        }
        followers.emplace_back(FollowBar, bars[i]);
      }
    }
    Sleep(10);
  }
  for (std::thread& t : followers) t.detach();
  std::lock_guard<std::mutex> lock(gBarsLock);
  for (const auto& [w, b] : gBars) std::printf("%s\t%d\t%ld\n", b.Page.c_str(), b.Place, b.Highest);
  std::fflush(stdout);
  return 0;
}

int Hold(const wchar_t* path) {
  auto h = TFileHandle::FromCreate(
      CreateFileW(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!h) {
    std::fprintf(stderr, "probe: cannot open the file (error %lu)\n", GetLastError());
    return 1;
  }
  std::printf("held\n");
  std::fflush(stdout);
  char c;
  DWORD n;
  while (ReadFile(GetStdHandle(STD_INPUT_HANDLE), &c, 1, &n, nullptr) && n == 1) {
  }
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
