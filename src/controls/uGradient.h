// TGradient: a child window filled with a colour gradient. The gradient is rendered once into
// an off-screen bitmap of the control's size and painting only copies that bitmap; it is
// rendered again when a property changes, and at the next paint after a change of size.
#pragma once

#include <windows.h>

#include <functional>

#include "uColor.h"
#include "uGradientBands.h"
#include "uHandles.h"

// What a page's designed-form table sets for a gradient.
struct TGradientProps {
  TColor ColorStart = clBlue;
  TColor ColorEnd = clBlack;
  TGradientDirection GradientDirection = gdTopToBottom;
};

class TGradient {
 public:
  static constexpr const wchar_t* ClassName = L"KroGradient";

  // The control as a child of parent (a new control in the designer is 30 x 30).
  static TGradient* Create(HWND parent, int left, int top, int width, int height,
                           const TGradientProps& props, int id = 0);
  static TGradient* FromHandle(HWND wnd);

  HWND Handle() const { return Wnd; }
  TColor ColorStart() const { return Props.ColorStart; }
  TColor ColorEnd() const { return Props.ColorEnd; }
  TGradientDirection GradientDirection() const { return Props.GradientDirection; }
  void SetColorStart(TColor value);
  void SetColorEnd(TColor value);
  void SetGradientDirection(TGradientDirection value);

  std::function<void(TGradient&)> OnClick;

  // Copies the cached bitmap (rendering it first when the size has changed).
  void Paint(HDC dc);
  // How often the bands were drawn, and whether a bitmap is held: the cache is observable.
  int RenderCount() const { return Renders; }
  bool HasBitmap() const { return static_cast<bool>(Cache); }

  // The window procedure's side.
  HWND Wnd = nullptr;
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
  static LRESULT Fallback(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    return DefWindowProcW(wnd, msg, wp, lp);
  }

 private:
  explicit TGradient(const TGradientProps& props) : Props(props) {}
  template <typename V>
  void Change(V& field, V value);
  void RebuildBitmap();
  SIZE ClientSize() const;

  TGradientProps Props;
  TGdiObject Cache;
  int CacheWidth = 0, CacheHeight = 0;
  int Renders = 0;
};
