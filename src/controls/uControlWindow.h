// The window behind each control: the object is created first, handed to its window on
// WM_NCCREATE and deleted on WM_NCDESTROY, so whoever destroys the window frees the control.
// No exception crosses into the system: the window procedure hands it to the error handler.
#pragma once

#include <windows.h>

#include <exception>
#include <memory>

// Receives what a control's handler or drawing threw. The framework installs its top-level
// handler here; until then the message is shown in a plain message box.
using TControlErrorHandler = void (*)(std::exception_ptr);
void SetControlErrorHandler(TControlErrorHandler handler);
void ReportControlError(std::exception_ptr error);

// Notifications of a container's children, which belong to the form the container sits on.
inline bool IsChildNotification(UINT msg) {
  switch (msg) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_HSCROLL:
    case WM_VSCROLL:
      return true;
  }
  return false;
}

// T provides: HWND Wnd; LRESULT HandleMessage(UINT, WPARAM, LPARAM); and
// static LRESULT Fallback(HWND, UINT, WPARAM, LPARAM) for the messages it leaves alone.
template <class T>
LRESULT CALLBACK ControlWndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  T* self = reinterpret_cast<T*>(GetWindowLongPtrW(wnd, GWLP_USERDATA));
  if (msg == WM_NCCREATE) {
    auto* holder = static_cast<std::unique_ptr<T>*>(
        reinterpret_cast<const CREATESTRUCTW*>(lp)->lpCreateParams);
    self = holder->release();
    self->Wnd = wnd;
    SetWindowLongPtrW(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  if (!self) return T::Fallback(wnd, msg, wp, lp);
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(wnd, GWLP_USERDATA, 0);
    const LRESULT result = T::Fallback(wnd, msg, wp, lp);
    delete self;
    return result;
  }
  try {
    return self->HandleMessage(msg, wp, lp);
  } catch (...) {
    ReportControlError(std::current_exception());
    return 0;
  }
}

// Creates the window of an already built control object; nothing (and the object freed) when
// the system refuses the window.
template <class T>
T* CreateControlWindow(std::unique_ptr<T> object, const wchar_t* className, DWORD style,
                       HWND parent, int left, int top, int width, int height, int id,
                       const wchar_t* text = L"") {
  T* raw = object.get();
  const HWND wnd = CreateWindowExW(0, className, text, style, left, top, width, height, parent,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                   GetModuleHandleW(nullptr), &object);
  // Still owned here means the window never took it: it is freed on return.
  return wnd && !object ? raw : nullptr;
}
