// The robot of the window tests: a second thread that finds windows by their texts and acts
// through real input (SendInput), while the test thread sits in a form's modal loop. Pictures
// of the screen go to the folder named by KRO_ARTEFACTS (tests/common/window-shots makes PNGs
// of them).
#pragma once

#include <windows.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <string_view>
#include <thread>
#include <type_traits>
#include <vector>

#include "uHandles.h"

namespace robot {

using namespace std::chrono_literals;

inline bool WaitFor(const std::function<bool()>& condition,
                    std::chrono::milliseconds limit = 15000ms) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < end) {
    if (condition()) return true;
    std::this_thread::sleep_for(20ms);
  }
  return condition();
}

// One question to the window's thread, which may be busy; a second only for a long text.
inline std::wstring TextOf(HWND w) {
  std::wstring text(1024, L'\0');
  int n = GetWindowTextW(w, text.data(), int(text.size()));
  if (n == int(text.size()) - 1) {
    text.resize(size_t(GetWindowTextLengthW(w)) + 1);
    n = GetWindowTextW(w, text.data(), int(text.size()));
  }
  text.resize(size_t(n));
  return text;
}

// Every child, grandchildren included, in the order the window system keeps them.
inline std::vector<HWND> Children(HWND top) {
  std::vector<HWND> all;
  EnumChildWindows(
      top,
      [](HWND w, LPARAM lp) -> BOOL {
        reinterpret_cast<std::vector<HWND>*>(lp)->push_back(w);
        return TRUE;
      },
      LPARAM(&all));
  return all;
}

inline HWND ChildByText(HWND top, const std::wstring& text) {
  for (HWND w : Children(top))
    if (TextOf(w) == text) return w;
  return nullptr;
}

// Whether the window's class begins with that name, in any case: the rich edit class has a
// version behind its name that differs between systems.
inline bool OfClass(HWND w, const std::wstring& name) {
  wchar_t cls[64] = L"";
  GetClassNameW(w, cls, 64);
  return _wcsnicmp(cls, name.c_str(), name.size()) == 0;
}

inline HWND ChildOfClass(HWND top, const std::wstring& name) {
  for (HWND w : Children(top))
    if (OfClass(w, name)) return w;
  return nullptr;
}

inline std::vector<std::wstring> TextsOfClass(HWND top, const std::wstring& name) {
  std::vector<std::wstring> texts;
  for (HWND w : Children(top))
    if (OfClass(w, name)) texts.push_back(TextOf(w));
  return texts;
}

inline std::vector<std::wstring> ListItems(HWND list) {
  std::vector<std::wstring> items;
  const int n = list ? int(SendMessageW(list, LB_GETCOUNT, 0, 0)) : 0;
  for (int i = 0; i < n; ++i) {
    std::wstring item(size_t(SendMessageW(list, LB_GETTEXTLEN, WPARAM(i), 0)) + 1, L'\0');
    item.resize(size_t(SendMessageW(list, LB_GETTEXT, WPARAM(i), LPARAM(item.data()))));
    items.push_back(item);
  }
  return items;
}

// The visible top-level window of this process with that caption that holds a child with that
// text (any, when childText is empty); only an enabled one, unless a window under a modal box
// will do.
inline HWND FindTop(const std::wstring& caption, const std::wstring& childText, bool enabled) {
  struct S {
    const std::wstring *Caption, *Child;
    bool Enabled;
    HWND Found;
  } s{&caption, &childText, enabled, nullptr};
  EnumWindows(
      [](HWND w, LPARAM lp) -> BOOL {
        auto* s = reinterpret_cast<S*>(lp);
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        if (pid != GetCurrentProcessId() || !IsWindowVisible(w)) return TRUE;
        if (s->Enabled && !IsWindowEnabled(w)) return TRUE;
        // The caption as the window system keeps it: asking the window would wait for its
        // thread, which may be busy opening the next form meanwhile.
        wchar_t text[256] = L"";
        InternalGetWindowText(w, text, 256);
        if (text != *s->Caption) return TRUE;
        if (!s->Child->empty() && !ChildByText(w, *s->Child)) return TRUE;
        s->Found = w;
        return FALSE;
      },
      LPARAM(&s));
  return s.Found;
}

inline HWND FindActive(const std::wstring& caption, const std::wstring& childText) {
  return FindTop(caption, childText, true);
}

// At once, for a page whose own timer starts work soon after it shows.
inline HWND WaitFound(const std::wstring& caption, const std::wstring& childText = L"") {
  HWND found = nullptr;
  WaitFor([&] { return (found = FindActive(caption, childText)) != nullptr; });
  return found;
}

inline HWND WaitActive(const std::wstring& caption, const std::wstring& childText = L"") {
  HWND found = WaitFound(caption, childText);
  if (found) std::this_thread::sleep_for(150ms);  // its first paint
  return found;
}

// A form that may already sit under a box it opened on being shown.
inline HWND WaitShown(const std::wstring& caption) {
  HWND found = nullptr;
  WaitFor([&] { return (found = FindTop(caption, L"", false)) != nullptr; });
  return found;
}

// Until the window is gone or hidden, as a closed form is.
inline bool WaitClosed(HWND w) {
  return WaitFor([&] { return !IsWindow(w) || !IsWindowVisible(w); });
}

inline void Settle() { std::this_thread::sleep_for(120ms); }

struct TKey {
  WORD Vk;
  bool Shift = false, Alt = false;
};

inline void Press(TKey key) {
  std::vector<INPUT> in;
  auto add = [&](WORD vk, bool up) {
    INPUT i{};
    i.type = INPUT_KEYBOARD;
    i.ki.wVk = vk;
    i.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    in.push_back(i);
  };
  if (key.Shift) add(VK_SHIFT, false);
  if (key.Alt) add(VK_MENU, false);
  add(key.Vk, false);
  add(key.Vk, true);
  if (key.Alt) add(VK_MENU, true);
  if (key.Shift) add(VK_SHIFT, true);
  SendInput(UINT(in.size()), in.data(), sizeof(INPUT));
  Settle();
}

// Types text as the keyboard would deliver its characters.
inline void Type(const std::wstring& text) {
  for (wchar_t ch : text) {
    INPUT in[2]{};
    for (int i = 0; i < 2; ++i) {
      in[i].type = INPUT_KEYBOARD;
      in[i].ki.wScan = ch;
      in[i].ki.dwFlags = KEYEVENTF_UNICODE | (i ? KEYEVENTF_KEYUP : 0);
    }
    SendInput(2, in, sizeof(INPUT));
    std::this_thread::sleep_for(30ms);
  }
  Settle();
}

inline void ClickAt(int x, int y, bool right = false) {
  SetCursorPos(x, y);
  std::this_thread::sleep_for(30ms);
  INPUT in[2]{};
  in[0].type = in[1].type = INPUT_MOUSE;
  in[0].mi.dwFlags = right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN;
  in[1].mi.dwFlags = right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP;
  SendInput(2, in, sizeof(INPUT));
  Settle();
}

// In the middle of a rectangle on the screen.
inline void ClickAt(const RECT& r, bool right = false) {
  ClickAt((r.left + r.right) / 2, (r.top + r.bottom) / 2, right);
}

inline void ClickOn(HWND w) {
  RECT r{};
  GetWindowRect(w, &r);
  ClickAt(r);
}

inline HWND FocusOf(HWND top) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  GetGUIThreadInfo(GetWindowThreadProcessId(top, nullptr), &info);
  return info.hwndFocus;
}

// Lets the test thread's messages run for a while (timers, posted clicks).
inline void Pump(std::chrono::milliseconds time) {
  const auto end = std::chrono::steady_clock::now() + time;
  while (std::chrono::steady_clock::now() < end) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    std::this_thread::sleep_for(5ms);
  }
}

// The picture of window w as the screen shows it, or of the whole screen without one, as
// NAME.bmp in the folder KRO_ARTEFACTS names (a Unix path is taken through Wine's Z: drive).
// Nothing when no folder is named.
inline void Shot(const char* name, HWND w = nullptr) {
  wchar_t dir[MAX_PATH] = L"";
  if (!GetEnvironmentVariableW(L"KRO_ARTEFACTS", dir, MAX_PATH)) return;
  std::wstring folder = dir;
  if (folder[0] == L'/') {
    folder = L"Z:" + folder;
    for (wchar_t& c : folder)
      if (c == L'/') c = L'\\';
  }
  CreateDirectoryW(folder.c_str(), nullptr);
  std::this_thread::sleep_for(150ms);  // its last paint
  RECT r{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (w) GetWindowRect(w, &r);
  const int width = r.right - r.left, height = r.bottom - r.top;
  BITMAPINFOHEADER bi{};
  bi.biSize = sizeof bi;
  bi.biWidth = width;
  bi.biHeight = height;
  bi.biPlanes = 1;
  bi.biBitCount = 24;
  const size_t row = size_t((width * 3 + 3) & ~3);
  std::vector<char> pixels(row * size_t(height));
  {
    TWindowDC screen(nullptr);
    TMemoryDC mem(CreateCompatibleDC(screen.Get()));
    TGdiObject bitmap(CreateCompatibleBitmap(screen.Get(), width, height));
    {
      TSelectGuard into(mem.Get(), bitmap.Get());
      BitBlt(mem.Get(), 0, 0, width, height, screen.Get(), r.left, r.top, SRCCOPY);
    }
    GetDIBits(mem.Get(), static_cast<HBITMAP>(bitmap.Get()), 0, UINT(height), pixels.data(),
              reinterpret_cast<BITMAPINFO*>(&bi), DIB_RGB_COLORS);
  }
  BITMAPFILEHEADER fh{};
  fh.bfType = 0x4D42;
  fh.bfOffBits = sizeof fh + sizeof bi;
  fh.bfSize = fh.bfOffBits + DWORD(pixels.size());
  std::ofstream f(
      std::filesystem::path(folder + L"\\" +
                            std::wstring(name, name + std::string_view(name).size()) + L".bmp"),
      std::ios::binary);
  f.write(reinterpret_cast<const char*>(&fh), sizeof fh);
  f.write(reinterpret_cast<const char*>(&bi), sizeof bi);
  f.write(pixels.data(), std::streamsize(pixels.size()));
}

// Runs script on a second thread while the test thread shows a form. A script that returns
// false has lost its way: it ends every modal loop with a quit message, so the test fails
// instead of hanging. A last message wakes the test thread's loop, which looks at a form's
// result only between messages.
class TRobot {
 public:
  template <typename Script>
  explicit TRobot(Script script) {
    const DWORD mainThread = GetCurrentThreadId();
    Thread = std::thread([this, script = std::move(script), mainThread]() mutable {
      if constexpr (std::is_void_v<std::invoke_result_t<Script&>>) {
        script();
        Ok = true;
      } else {
        Ok = script();
      }
      std::this_thread::sleep_for(50ms);
      PostThreadMessageW(mainThread, Ok ? WM_NULL : WM_QUIT, 0, 0);
    });
  }
  // Waits for the script; a quit it left behind is taken out of the queue.
  bool Finish() {
    if (Thread.joinable()) Thread.join();
    MSG m;
    while (PeekMessageW(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    return Ok;
  }
  ~TRobot() { Finish(); }
  TRobot(const TRobot&) = delete;
  TRobot& operator=(const TRobot&) = delete;

 private:
  std::thread Thread;
  bool Ok = false;
};

}  // namespace robot
