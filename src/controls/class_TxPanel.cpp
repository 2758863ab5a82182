#include "class_TxPanel.h"

#include <memory>
#include <string>

#include "uControlPaint.h"
#include "uControlWindow.h"
#include "uPinstripe.h"
#include "uText.h"
#include "uTileGeometry.h"

namespace {

void FillWith(HDC dc, const RECT& r, TColor color) {
  TGdiObject brush(CreateSolidBrush(ToColorRef(ResolveColor(color))));
  FillRect(dc, &r, static_cast<HBRUSH>(brush.Get()));
}

// One bevel: top and left edges in the first colour, right and bottom in the second, width
// times inwards; r shrinks by what was drawn.
void Bevel(HDC dc, RECT& r, TPanelBevel cut, int width) {
  if (cut == bvNone) return;
  const TColor light = cut == bvRaised ? clBtnHighlight : clBtnShadow;
  const TColor dark = cut == bvRaised ? clBtnShadow : clBtnHighlight;
  for (int i = 0; i < width && r.right > r.left && r.bottom > r.top; ++i) {
    FillWith(dc, {r.left, r.top, r.right - 1, r.top + 1}, light);
    FillWith(dc, {r.left, r.top, r.left + 1, r.bottom - 1}, light);
    FillWith(dc, {r.right - 1, r.top, r.right, r.bottom}, dark);
    FillWith(dc, {r.left, r.bottom - 1, r.right, r.bottom}, dark);
    InflateRect(&r, -1, -1);
  }
}

void PaintPlain(HDC dc, const RECT& client, const TXPanelLook& look, const wchar_t* caption,
                HFONT font) {
  FillWith(dc, client, look.Color);
  RECT r = client;
  Bevel(dc, r, look.BevelOuter, look.BevelWidth);
  Bevel(dc, r, look.BevelInner, look.BevelWidth);
  if (!caption || !*caption) return;
  TSelectGuard useFont(dc, font ? font : GetStockObject(DEFAULT_GUI_FONT));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, ToColorRef(ResolveColor(clWindowText)));
  DrawTextW(dc, caption, -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

void Blit(HDC dc, HDC picture, const TRect& at) {
  BitBlt(dc, at.Left, at.Top, at.Width(), at.Height(), picture, 0, 0, SRCCOPY);
}

}  // namespace

void PaintXPanel(HDC dc, const RECT& client, const TXPanelLook& look, HGDIOBJ picture,
                 const wchar_t* caption, HFONT font) {
  const TPicture& pic = look.JTexture;
  if (look.JStyleTexture == txNone || pic.Empty() || !picture) {
    PaintPlain(dc, client, look, caption, font);
    return;
  }
  const TRect r = FromRECT(client);
  // Centring can leave background visible; tiles and stretching cover everything.
  if (look.JTransparent)
    FillWith(dc, client, look.JTransColor);
  else if (look.JStyleTexture == txCenter)
    FillWith(dc, client, look.Color);

  TMemoryDC mem(CreateCompatibleDC(dc));
  TSelectGuard select(mem.Get(), picture);
  switch (look.JStyleTexture) {
    case txTile:
      for (const TRect& tile : TileRects(r, pic.Width, pic.Height)) Blit(dc, mem.Get(), tile);
      break;
    case txCenter:
      Blit(dc, mem.Get(), CenterRect(r, pic.Width, pic.Height));
      break;
    case txStretch:
      SetStretchBltMode(dc, COLORONCOLOR);
      StretchBlt(dc, r.Left, r.Top, r.Width(), r.Height(), mem.Get(), 0, 0, pic.Width, pic.Height,
                 SRCCOPY);
      break;
    case txNone:
      break;
  }
}

TXPanel* TXPanel::Create(HWND parent, int left, int top, int width, int height,
                         const TXPanelProps& props, int id) {
  if (!EnsureWindowClass(ClassName, ControlWndProc<TXPanel>)) return nullptr;
  std::unique_ptr<TXPanel> panel(new TXPanel());
  TXPanelLook& s = panel->State;
  s.Color = props.Color;
  s.BevelOuter = props.BevelOuter;
  s.BevelInner = props.BevelInner;
  s.BevelWidth = props.BevelWidth;
  if (!props.JTexture.empty()) s.JTexture = TryDecodeBmp(props.JTexture).value_or(TPicture{});
  s.JStyleTexture = props.JStyleTexture;
  s.JTransparent = props.JTransparent;
  s.JTransColor = props.JTransColor;
  return CreateControlWindow(std::move(panel), ClassName, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS,
                             parent, left, top, width, height, id,
                             Widen(props.Caption ? props.Caption : "").c_str());
}

TXPanel* TXPanel::FromHandle(HWND wnd) {
  wchar_t name[32];
  if (!wnd || !GetClassNameW(wnd, name, 32) || lstrcmpW(name, ClassName) != 0) return nullptr;
  return reinterpret_cast<TXPanel*>(GetWindowLongPtrW(wnd, GWLP_USERDATA));
}

void TXPanel::SetJTexture(const TPicture& picture) {
  State.JTexture = picture;
  PictureCache.Reset();
  InvalidateRect(Wnd, nullptr, TRUE);
}

template <typename V>
void TXPanel::Change(V& field, V value) {
  if (field == value) return;
  field = value;
  InvalidateRect(Wnd, nullptr, TRUE);
}

void TXPanel::SetJStyleTexture(TXPanelStyle value) { Change(State.JStyleTexture, value); }
void TXPanel::SetJTransparent(bool value) { Change(State.JTransparent, value); }
void TXPanel::SetJTransColor(TColor value) { Change(State.JTransColor, value); }
void TXPanel::SetColor(TColor value) { Change(State.Color, value); }

void TXPanel::Paint(HDC dc) {
  RECT client{};
  GetClientRect(Wnd, &client);
  if (!PictureCache && !State.JTexture.Empty()) PictureCache = PictureBitmap(State.JTexture);
  const int length = GetWindowTextLengthW(Wnd);
  std::wstring caption(std::size_t(length) + 1, L'\0');
  GetWindowTextW(Wnd, caption.data(), length + 1);
  PaintXPanel(dc, client, State, PictureCache.Get(), caption.c_str(), Font);
}

LRESULT TXPanel::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_ERASEBKGND:
      return 1;  // Paint covers the whole client area
    case WM_PAINT: {
      TPaintGuard paint(Wnd);
      Paint(paint.Get());
      return 0;
    }
    case WM_PRINTCLIENT:
      Paint(reinterpret_cast<HDC>(wp));
      return 0;
    case WM_SETFONT:
      Font = reinterpret_cast<HFONT>(wp);
      if (LOWORD(lp)) InvalidateRect(Wnd, nullptr, TRUE);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(Font);
    case WM_SETTEXT: {
      const LRESULT result = DefWindowProcW(Wnd, msg, wp, lp);
      InvalidateRect(Wnd, nullptr, TRUE);
      return result;
    }
    case WM_SIZE:
      // Tiles and centring depend on the size: the whole area is painted again.
      InvalidateRect(Wnd, nullptr, TRUE);
      break;
  }
  // The panel is only a surface: its children talk to the form.
  if (IsChildNotification(msg))
    if (const HWND parent = GetParent(Wnd)) return SendMessageW(parent, msg, wp, lp);
  return DefWindowProcW(Wnd, msg, wp, lp);
}

TXPanelProps PinstripeBand() {
  TXPanelProps p;
  p.JTexture = PinstripeBmp;
  p.JStyleTexture = txTile;
  p.BevelOuter = bvNone;
  return p;
}
