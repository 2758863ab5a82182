#include "uGradient.h"

#include <memory>

#include "uControlPaint.h"
#include "uControlWindow.h"

TGradient* TGradient::Create(HWND parent, int left, int top, int width, int height,
                             const TGradientProps& props, int id) {
  // The bands scale with the size: a resize must repaint everything, not only new area.
  if (!EnsureWindowClass(ClassName, ControlWndProc<TGradient>, CS_HREDRAW | CS_VREDRAW))
    return nullptr;
  return CreateControlWindow(std::unique_ptr<TGradient>(new TGradient(props)), ClassName,
                             WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, parent, left, top, width,
                             height, id);
}

TGradient* TGradient::FromHandle(HWND wnd) {
  wchar_t name[32];
  if (!wnd || !GetClassNameW(wnd, name, 32) || lstrcmpW(name, ClassName) != 0) return nullptr;
  return reinterpret_cast<TGradient*>(GetWindowLongPtrW(wnd, GWLP_USERDATA));
}

template <typename V>
void TGradient::Change(V& field, V value) {
  if (field == value) return;
  field = value;
  RebuildBitmap();
  InvalidateRect(Wnd, nullptr, FALSE);
}

void TGradient::SetColorStart(TColor value) { Change(Props.ColorStart, value); }
void TGradient::SetColorEnd(TColor value) { Change(Props.ColorEnd, value); }
void TGradient::SetGradientDirection(TGradientDirection value) {
  Change(Props.GradientDirection, value);
}

SIZE TGradient::ClientSize() const {
  RECT r{};
  GetClientRect(Wnd, &r);
  return {r.right - r.left, r.bottom - r.top};
}

void TGradient::RebuildBitmap() {
  Cache.Reset();
  const SIZE size = ClientSize();
  CacheWidth = size.cx;
  CacheHeight = size.cy;
  if (CacheWidth <= 0 || CacheHeight <= 0) return;
  Cache = RenderGradientBitmap(Props.GradientDirection, CacheWidth, CacheHeight, Props.ColorStart,
                               Props.ColorEnd);
  ++Renders;
}

void TGradient::Paint(HDC dc) {
  const SIZE size = ClientSize();
  if (size.cx != CacheWidth || size.cy != CacheHeight) RebuildBitmap();
  if (!Cache) return;
  TMemoryDC mem(CreateCompatibleDC(dc));
  TSelectGuard select(mem.Get(), Cache.Get());
  BitBlt(dc, 0, 0, CacheWidth, CacheHeight, mem.Get(), 0, 0, SRCCOPY);
}

LRESULT TGradient::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_ERASEBKGND:
      return 1;  // the bitmap covers everything
    case WM_PAINT: {
      TPaintGuard paint(Wnd);
      Paint(paint.Get());
      return 0;
    }
    case WM_PRINTCLIENT:
      Paint(reinterpret_cast<HDC>(wp));
      return 0;
    case WM_LBUTTONUP:
      if (OnClick) OnClick(*this);
      return 0;
  }
  // Labels may sit on the gradient; what they report belongs to the form.
  if (IsChildNotification(msg))
    if (const HWND parent = GetParent(Wnd)) return SendMessageW(parent, msg, wp, lp);
  return DefWindowProcW(Wnd, msg, wp, lp);
}
