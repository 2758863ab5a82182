#include "class_TGButton.h"

#include <commctrl.h>

#include <memory>
#include <string>

#include "uButtonFace.h"
#include "uControlPaint.h"
#include "uControlWindow.h"
#include "uText.h"

namespace {

WNDPROC PlatformButtonProc = nullptr;
constexpr UINT_PTR kParentSubclassId = 0x4B524F42;  // one per parent, however many buttons

bool RegisterButtonClass() {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  if (GetClassInfoExW(instance, TTGButton::ClassName, &wc)) return true;
  if (!GetClassInfoExW(nullptr, L"Button", &wc)) return false;
  PlatformButtonProc = wc.lpfnWndProc;
  wc.cbSize = sizeof(wc);
  wc.hInstance = instance;
  wc.lpszClassName = TTGButton::ClassName;
  wc.lpfnWndProc = ControlWndProc<TTGButton>;
  return RegisterClassExW(&wc) != 0;
}

bool WindowsAsksForOwnerDraw() {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof(version);
  if (!GetVersionExA(&version)) return true;
  return UseOwnerDraw(version.dwMajorVersion, version.dwMinorVersion);
}

// Owner-draw requests go to the parent; this hands ours back to the buttons.
LRESULT CALLBACK ParentSubclass(HWND wnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) {
  switch (msg) {
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
      if (item->CtlType == ODT_BUTTON && TTGButton::FromHandle(item->hwndItem))
        return SendMessageW(item->hwndItem, kReflectDrawItem, wp, lp);
      break;
    }
    case WM_MEASUREITEM: {
      const auto* item = reinterpret_cast<const MEASUREITEMSTRUCT*>(lp);
      const HWND button = item->CtlType == ODT_BUTTON ? GetDlgItem(wnd, int(item->CtlID)) : nullptr;
      if (TTGButton::FromHandle(button)) return SendMessageW(button, kReflectMeasureItem, wp, lp);
      break;
    }
    case WM_NCDESTROY:
      RemoveWindowSubclass(wnd, ParentSubclass, kParentSubclassId);
      break;
  }
  return DefSubclassProc(wnd, msg, wp, lp);
}

}  // namespace

LRESULT TTGButton::Fallback(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  return CallWindowProcW(PlatformButtonProc, wnd, msg, wp, lp);
}

TTGButton* TTGButton::Create(HWND parent, int left, int top, int width, int height,
                             const TTGButtonProps& props, int id) {
  if (!RegisterButtonClass()) return nullptr;
  std::unique_ptr<TTGButton> button(new TTGButton());
  button->Menu = props.DropDownMenu;
  button->Hot = props.HotTrack;
  button->FontColor = props.FontColor;
  button->Default = props.Default;
  button->OwnerDraw =
      props.OwnerDraw == odAlways || (props.OwnerDraw == odByVersion && WindowsAsksForOwnerDraw());
  DWORD style = WS_CHILD | WS_VISIBLE;
  if (props.TabStop) style |= WS_TABSTOP;
  if (!props.Enabled) style |= WS_DISABLED;
  if (button->OwnerDraw)
    style |= BS_OWNERDRAW;
  else
    style |= props.Default ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
  if (button->OwnerDraw) SetWindowSubclass(parent, ParentSubclass, kParentSubclassId, 0);
  return CreateControlWindow(std::move(button), ClassName, style, parent, left, top, width, height,
                             id, Widen(props.Caption ? props.Caption : "").c_str());
}

TTGButton* TTGButton::FromHandle(HWND wnd) {
  wchar_t name[32];
  if (!wnd || !GetClassNameW(wnd, name, 32) || lstrcmpW(name, ClassName) != 0) return nullptr;
  return reinterpret_cast<TTGButton*>(GetWindowLongPtrW(wnd, GWLP_USERDATA));
}

void TTGButton::SetHotTrack(bool value) {
  if (Hot == value) return;
  Hot = value;
  InvalidateRect(Wnd, nullptr, FALSE);
}

void TTGButton::MouseEntered() {
  if (Inside || !IsWindowEnabled(Wnd) || GetCapture()) return;
  Inside = true;
  TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, Wnd, 0};
  TrackMouseEvent(&track);
  if (OnMouseEnter) OnMouseEnter(*this);
  InvalidateRect(Wnd, nullptr, FALSE);
  UpdateWindow(Wnd);
}

void TTGButton::MouseLeft() {
  if (!Inside || !IsWindowEnabled(Wnd)) return;
  Inside = false;
  if (OnMouseExit) OnMouseExit(*this);
  InvalidateRect(Wnd, nullptr, FALSE);
}

void TTGButton::MouseDown(UINT msg, WPARAM wp, LPARAM lp) {
  Platform(msg, wp, lp);
  if (IsWindowEnabled(Wnd) && Menu) DropDown();
}

void TTGButton::DropDown() {
  // A menu handle gives no notice when it is destroyed: a stale one is forgotten here.
  if (Menu && !IsMenu(Menu)) Menu = nullptr;
  if (!Menu) return;
  bool allowDrop = true;
  if (OnDropping) OnDropping(*this, allowDrop);
  if (!allowDrop) return;
  Dropping = true;
  const HWND focus = GetFocus();
  if (focus && focus != Wnd) SendMessageW(focus, WM_CANCELMODE, 0, 0);
  RECT bounds{};
  GetWindowRect(Wnd, &bounds);
  const POINT at{bounds.left, bounds.bottom};
  const HWND parent = GetParent(Wnd);
  TrackPopupMenu(Menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON, at.x, at.y, 0,
                 parent ? parent : Wnd, nullptr);
  // Where the mouse is now decides the hot ring. Signed, for monitors left of or above the
  // primary one.
  const DWORD pos = GetMessagePos();
  const POINT mouse{static_cast<short>(LOWORD(pos)), static_cast<short>(HIWORD(pos))};
  GetWindowRect(Wnd, &bounds);
  Inside = PtInRect(&bounds, mouse) != FALSE;
  if (Inside) {
    TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, Wnd, 0};
    TrackMouseEvent(&track);
  }
  Dropping = false;
  if (OnDropDown) OnDropDown(*this, at.x, at.y);
  InvalidateRect(Wnd, nullptr, FALSE);
}

UINT ButtonItemState(HWND button) {
  const LRESULT state = SendMessageW(button, BM_GETSTATE, 0, 0);
  UINT item = 0;
  if (state & BST_PUSHED) item |= ODS_SELECTED;
  if (GetFocus() == button) item |= ODS_FOCUS;
  if (!IsWindowEnabled(button)) item |= ODS_DISABLED;
  return item;
}

void TTGButton::DrawButton(const DRAWITEMSTRUCT& item) {
  RECT client{};
  GetClientRect(Wnd, &client);
  const TButtonFace face = PlanButtonFace(FromRECT(client), item.itemState & ODS_SELECTED,
                                          item.itemState & ODS_FOCUS, Inside && !Dropping);
  const int length = GetWindowTextLengthW(Wnd);
  std::wstring caption(std::size_t(length) + 1, L'\0');
  GetWindowTextW(Wnd, caption.data(), length + 1);
  PaintButtonFace(item.hDC, face, item.itemState & ODS_DISABLED, ResolveColor(FontColor),
                  caption.c_str());
}

LRESULT TTGButton::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case kReflectDrawItem:
      DrawButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lp));
      return TRUE;
    case kReflectMeasureItem: {
      auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lp);
      RECT r{};
      GetWindowRect(Wnd, &r);
      item->itemWidth = UINT(r.right - r.left);
      item->itemHeight = UINT(r.bottom - r.top);
      return TRUE;
    }
    case BM_SETSTYLE: {
      // The default-button state is recorded; the style itself stays as created.
      const UINT type = UINT(wp) & BS_TYPEMASK;
      if (type != BS_PUSHBUTTON && type != BS_DEFPUSHBUTTON) break;
      if ((type == BS_DEFPUSHBUTTON) != Default) {
        Default = type == BS_DEFPUSHBUTTON;
        InvalidateRect(Wnd, nullptr, FALSE);
      }
      return 0;
    }
    case WM_SETFONT:
    case WM_ENABLE:
    case WM_SHOWWINDOW: {
      const LRESULT result = Platform(msg, wp, lp);
      InvalidateRect(Wnd, nullptr, FALSE);
      return result;
    }
    case WM_MOUSEMOVE: {
      const LRESULT result = Platform(msg, wp, lp);
      MouseEntered();
      return result;
    }
    case WM_MOUSELEAVE: {
      const LRESULT result = Platform(msg, wp, lp);
      MouseLeft();
      return result;
    }
    case WM_LBUTTONDBLCLK:  // a double click presses the button twice
    case WM_LBUTTONDOWN:
      MouseDown(WM_LBUTTONDOWN, wp, lp);
      return 0;
    case WM_GETDLGCODE:
      // Owner-drawn, the platform calls it a plain button; it is still a push button to the
      // keyboard, so Enter presses it wherever it has the focus.
      if (OwnerDraw) return DLGC_BUTTON | (Default ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
      break;
    case WM_KEYDOWN:
      if (wp == VK_SPACE) {
        // Space never presses the button; it opens the menu if there is one.
        if (Menu) DropDown();
        return 0;
      }
      if (wp == VK_APPS && Menu) DropDown();
      break;
  }
  return Platform(msg, wp, lp);
}
