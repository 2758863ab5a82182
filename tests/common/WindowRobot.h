// The robot of the window tests: a second thread that finds windows by their texts and acts
// through real input (SendInput), while the test thread sits in a form's modal loop. Screenshots of
// the screen go to the folder named by KRO_ENTRY_SHOTS.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

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

inline std::wstring TextOf(HWND w) {
  wchar_t buf[1024] = L"";
  GetWindowTextW(w, buf, 1024);
  return buf;
}

inline HWND ChildByText(HWND top, const std::wstring& text) {
  struct S {
    const std::wstring* Text;
    HWND Found;
  } s{&text, nullptr};
  EnumChildWindows(
      top,
      [](HWND w, LPARAM lp) -> BOOL {
        auto* s = reinterpret_cast<S*>(lp);
        if (TextOf(w) == *s->Text) {
          s->Found = w;
          return FALSE;
        }
        return TRUE;
      },
      LPARAM(&s));
  return s.Found;
}

// The visible, enabled top-level window of this process with that caption that holds a child
// with that text (any, when childText is empty).
inline HWND FindActive(const std::wstring& caption, const std::wstring& childText) {
  struct S {
    const std::wstring *Caption, *Child;
    HWND Found;
  } s{&caption, &childText, nullptr};
  EnumWindows(
      [](HWND w, LPARAM lp) -> BOOL {
        auto* s = reinterpret_cast<S*>(lp);
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        if (pid != GetCurrentProcessId() || !IsWindowVisible(w) || !IsWindowEnabled(w)) return TRUE;
        if (TextOf(w) != *s->Caption) return TRUE;
        if (!s->Child->empty() && !ChildByText(w, *s->Child)) return TRUE;
        s->Found = w;
        return FALSE;
      },
      LPARAM(&s));
  return s.Found;
}

inline HWND WaitActive(const std::wstring& caption, const std::wstring& childText = L"") {
  HWND found = nullptr;
  WaitFor([&] { return (found = FindActive(caption, childText)) != nullptr; });
  if (found) std::this_thread::sleep_for(150ms);  // its first paint
  return found;
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

inline void ClickAt(int x, int y) {
  SetCursorPos(x, y);
  std::this_thread::sleep_for(30ms);
  INPUT in[2]{};
  in[0].type = in[1].type = INPUT_MOUSE;
  in[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  in[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(2, in, sizeof(INPUT));
  Settle();
}

inline void ClickOn(HWND w) {
  RECT r{};
  GetWindowRect(w, &r);
  ClickAt((r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

inline HWND FocusOf(HWND top) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  GetGUIThreadInfo(GetWindowThreadProcessId(top, nullptr), &info);
  return info.hwndFocus;
}

// A screenshot of the X display, taken by the script around the tests (entry-window-tests):
// a request file in the shots folder, which the script removes once the picture is saved.
// Nothing when no folder is named.
inline void Shot(const char* name) {
  char dir[MAX_PATH] = "";
  if (!GetEnvironmentVariableA("KRO_ENTRY_SHOTS", dir, MAX_PATH)) return;
  Settle();
  const std::string request = std::string(dir) + "\\" + name + ".request";
  HANDLE f = CreateFileA(request.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return;
  CloseHandle(f);
  WaitFor([&] { return GetFileAttributesA(request.c_str()) == INVALID_FILE_ATTRIBUTES; }, 10000ms);
}

// Runs script on a second thread while the test thread shows a page. A script that loses its
// way ends every modal loop with a quit message, so the test fails instead of hanging.
class TRobot {
 public:
  explicit TRobot(std::function<bool()> script) {
    const DWORD mainThread = GetCurrentThreadId();
    Thread = std::thread([this, script, mainThread] {
      Ok = script();
      if (!Ok) PostThreadMessageW(mainThread, WM_QUIT, 0, 0);
    });
  }
  // Waits for the script; a quit it left behind is taken out of the queue.
  bool Finish() {
    Thread.join();
    MSG m;
    while (PeekMessageW(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    return Ok;
  }
  ~TRobot() {
    if (Thread.joinable()) Thread.join();
  }

 private:
  std::thread Thread;
  bool Ok = false;
};

}  // namespace robot
