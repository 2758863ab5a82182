// Owners for every kind of system handle, each made from one template: the close function is
// a template argument, copying is deleted, moving hands the handle on. Guards below cover the
// releases that need two values. No manual close paths elsewhere.
#pragma once

#include <objbase.h>
#include <windows.h>

#include <utility>

#include "uHandleOwner.h"

namespace handles_detail {
inline void CloseFile(HANDLE h) { CloseHandle(h); }
inline void CloseFind(HANDLE h) { FindClose(h); }
inline void CloseKey(HKEY h) { RegCloseKey(h); }
inline void DeleteGdi(HGDIOBJ h) { DeleteObject(h); }
inline void DeleteMemDC(HDC h) { DeleteDC(h); }
inline void Destroy(HWND h) { DestroyWindow(h); }
// A window whose procedure finds its object through GWLP_USERDATA is unbound first, so that
// the messages of its destruction never reach an object that is going away.
inline void DestroyBound(HWND h) {
  SetWindowLongPtrW(h, GWLP_USERDATA, 0);
  DestroyWindow(h);
}
inline void Unload(HMODULE h) { FreeLibrary(h); }
inline void DestroyIconHandle(HICON h) { DestroyIcon(h); }
inline void DestroyMenuHandle(HMENU h) { DestroyMenu(h); }
inline void FreeCoMem(void* p) { CoTaskMemFree(p); }
inline void FreeLocal(void* p) { LocalFree(p); }
inline void FreeGlobal(HGLOBAL h) { GlobalFree(h); }
inline void UnmapView(void* p) { UnmapViewOfFile(p); }
inline void Unhook(HHOOK h) { UnhookWindowsHookEx(h); }
}  // namespace handles_detail

struct TFileHandle : THandle<HANDLE, handles_detail::CloseFile, nullptr> {
  using THandle::THandle;
  // Takes the result of CreateFile: INVALID_HANDLE_VALUE becomes empty.
  static TFileHandle FromCreate(HANDLE h) {
    return TFileHandle(h == INVALID_HANDLE_VALUE ? nullptr : h);
  }
};
struct TFindHandle : THandle<HANDLE, handles_detail::CloseFind, nullptr> {
  using THandle::THandle;
  static TFindHandle FromFind(HANDLE h) {
    return TFindHandle(h == INVALID_HANDLE_VALUE ? nullptr : h);
  }
};
// Any other kernel object closed by CloseHandle: a process, a thread, an access token.
using TKernelHandle = THandle<HANDLE, handles_detail::CloseFile>;
using TKeyHandle = THandle<HKEY, handles_detail::CloseKey>;
using TGdiObject = THandle<HGDIOBJ, handles_detail::DeleteGdi>;
// A DC the program created itself (a memory or a printer DC).
using TMemoryDC = THandle<HDC, handles_detail::DeleteMemDC>;
using TWindowHandle = THandle<HWND, handles_detail::Destroy>;
using TBoundWindow = THandle<HWND, handles_detail::DestroyBound>;
using TModuleHandle = THandle<HMODULE, handles_detail::Unload>;
using TIconHandle = THandle<HICON, handles_detail::DestroyIconHandle>;
using TMenuHandle = THandle<HMENU, handles_detail::DestroyMenuHandle>;
using TCoMemory = THandle<void*, handles_detail::FreeCoMem>;
using TLocalMemory = THandle<void*, handles_detail::FreeLocal>;
using TGlobalMemory = THandle<HGLOBAL, handles_detail::FreeGlobal>;
using TMappedView = THandle<void*, handles_detail::UnmapView>;
using THookHandle = THandle<HHOOK, handles_detail::Unhook>;

// A COM interface pointer, released once.
template <typename I>
class TComPtr {
 public:
  TComPtr() = default;
  TComPtr(TComPtr&& other) noexcept : P(std::exchange(other.P, nullptr)) {}
  TComPtr& operator=(TComPtr&& other) noexcept {
    if (this != &other) {
      Reset();
      P = std::exchange(other.P, nullptr);
    }
    return *this;
  }
  TComPtr(const TComPtr&) = delete;
  TComPtr& operator=(const TComPtr&) = delete;
  ~TComPtr() { Reset(); }

  I* Get() const { return P; }
  I* operator->() const { return P; }
  explicit operator bool() const { return P != nullptr; }
  // For functions that return an interface through an out parameter.
  I** Put() {
    Reset();
    return &P;
  }
  void** PutVoid() { return reinterpret_cast<void**>(Put()); }
  void Reset() {
    if (P) P->Release();
    P = nullptr;
  }

 private:
  I* P = nullptr;
};

// CoInitializeEx / CoUninitialize, the latter only when the former succeeded.
class TComApartment {
 public:
  explicit TComApartment(DWORD model) : Initialised(SUCCEEDED(CoInitializeEx(nullptr, model))) {}
  TComApartment(TComApartment&& other) noexcept
      : Initialised(std::exchange(other.Initialised, false)) {}
  TComApartment& operator=(TComApartment&&) = delete;
  TComApartment(const TComApartment&) = delete;
  TComApartment& operator=(const TComApartment&) = delete;
  ~TComApartment() {
    if (Initialised) CoUninitialize();
  }

 private:
  bool Initialised;
};

// GetDC / ReleaseDC.
class TWindowDC {
 public:
  explicit TWindowDC(HWND wnd) : Wnd(wnd), DC(GetDC(wnd)) {}
  TWindowDC(TWindowDC&& other) noexcept : Wnd(other.Wnd), DC(std::exchange(other.DC, nullptr)) {}
  TWindowDC& operator=(TWindowDC&&) = delete;
  ~TWindowDC() {
    if (DC) ReleaseDC(Wnd, DC);
  }
  TWindowDC(const TWindowDC&) = delete;
  TWindowDC& operator=(const TWindowDC&) = delete;
  HDC Get() const { return DC; }

 private:
  HWND Wnd;
  HDC DC;
};

// BeginPaint / EndPaint.
class TPaintGuard {
 public:
  explicit TPaintGuard(HWND wnd) : Wnd(wnd) { DC = BeginPaint(wnd, &PS); }
  TPaintGuard(TPaintGuard&& other) noexcept
      : Wnd(std::exchange(other.Wnd, nullptr)), PS(other.PS), DC(other.DC) {}
  TPaintGuard& operator=(TPaintGuard&&) = delete;
  ~TPaintGuard() {
    if (Wnd) EndPaint(Wnd, &PS);
  }
  TPaintGuard(const TPaintGuard&) = delete;
  TPaintGuard& operator=(const TPaintGuard&) = delete;
  HDC Get() const { return DC; }
  const PAINTSTRUCT& Paint() const { return PS; }

 private:
  HWND Wnd;
  PAINTSTRUCT PS{};
  HDC DC;
};

// SelectObject, restoring the previous object.
class TSelectGuard {
 public:
  TSelectGuard(HDC dc, HGDIOBJ object) : DC(dc), Old(SelectObject(dc, object)) {}
  TSelectGuard(TSelectGuard&& other) noexcept
      : DC(other.DC), Old(std::exchange(other.Old, nullptr)) {}
  TSelectGuard& operator=(TSelectGuard&&) = delete;
  ~TSelectGuard() {
    if (Old) SelectObject(DC, Old);
  }
  TSelectGuard(const TSelectGuard&) = delete;
  TSelectGuard& operator=(const TSelectGuard&) = delete;

 private:
  HDC DC;
  HGDIOBJ Old;
};
