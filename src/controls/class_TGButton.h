// TTGButton: a push button with its own face (rounded dark blue border, white to button-face
// shading, a light blue ring with the focus, an amber ring under the mouse) and an optional
// drop-down menu that opens below it. It is the platform's button underneath, in a class of
// our own, so clicks, focus and notifications to the parent stay the platform's.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>

#include "uColor.h"

enum TOwnerDrawMode : std::uint8_t {
  odByVersion,  // owner-drawn unless the Windows version says otherwise (UseOwnerDraw)
  odAlways,
  odNever,
};

// What a page's designed-form table sets for a button.
struct TTGButtonProps {
  const char* Caption = "";  // UTF-8; "&" marks the access key
  bool Enabled = true;
  bool Default = false;
  bool TabStop = true;
  bool HotTrack = false;
  TColor FontColor = clWindowText;
  HMENU DropDownMenu = nullptr;  // not owned
  TOwnerDrawMode OwnerDraw = odByVersion;
};

// The reflected owner-draw messages the button answers, in the usual OCM_ numbering. The
// button's parent is subclassed to send them; a framework that reflects them itself may too.
constexpr UINT kReflectBase = WM_USER + 0x1C00;
constexpr UINT kReflectDrawItem = kReflectBase + WM_DRAWITEM;
constexpr UINT kReflectMeasureItem = kReflectBase + WM_MEASUREITEM;

class TTGButton {
 public:
  static constexpr const wchar_t* ClassName = L"KroTGButton";

  static TTGButton* Create(HWND parent, int left, int top, int width, int height,
                           const TTGButtonProps& props, int id = 0);
  static TTGButton* FromHandle(HWND wnd);

  HWND Handle() const { return Wnd; }
  bool OwnerDrawn() const { return OwnerDraw; }
  HMENU DropDownMenu() const { return Menu; }
  void SetDropDownMenu(HMENU menu) { Menu = menu; }
  bool HotTrack() const { return Hot; }
  void SetHotTrack(bool value);
  bool MouseInside() const { return Inside; }
  bool DroppingDown() const { return Dropping; }
  bool IsDefault() const { return Default; }

  // After the menu has closed, with the screen point it was opened at.
  std::function<void(TTGButton&, int x, int y)> OnDropDown;
  // Before the menu opens; clearing allowDrop cancels it.
  std::function<void(TTGButton&, bool& allowDrop)> OnDropping;
  std::function<void(TTGButton&)> OnMouseEnter;
  std::function<void(TTGButton&)> OnMouseExit;

  // Opens the menu below the button and returns when it has closed. Without a menu, or with
  // one that has been destroyed (which is then forgotten), nothing happens.
  void DropDown();
  void DrawButton(const DRAWITEMSTRUCT& item);

  HWND Wnd = nullptr;
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
  static LRESULT Fallback(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);

 private:
  TTGButton() = default;
  LRESULT Platform(UINT msg, WPARAM wp, LPARAM lp) { return Fallback(Wnd, msg, wp, lp); }
  void MouseEntered();
  void MouseLeft();
  void MouseDown(UINT msg, WPARAM wp, LPARAM lp);

  HMENU Menu = nullptr;
  TColor FontColor = clWindowText;
  bool OwnerDraw = false;
  bool Hot = false;
  bool Inside = false;
  bool Dropping = false;
  bool Default = false;
};

// The button's current face state, as the platform would report it in a DRAWITEMSTRUCT.
UINT ButtonItemState(HWND button);
