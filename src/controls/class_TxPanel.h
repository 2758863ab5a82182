// TXPanel: a panel whose background can be a picture, tiled, centred or stretched. Without a
// picture, or in txNone, it paints as an ordinary panel: colour, bevels, centred caption.
// Child controls sit on it; their notifications go on to the panel's parent, as from a form.
#pragma once

#include <windows.h>

#include <cstdint>
#include <span>

#include "uColor.h"
#include "uHandles.h"
#include "uPicture.h"

enum TXPanelStyle : std::uint8_t { txNone, txTile, txCenter, txStretch };
enum TPanelBevel : std::uint8_t { bvNone, bvLowered, bvRaised };

// What a page's designed-form table sets for a panel.
struct TXPanelProps {
  const char* Caption = "";  // UTF-8
  TColor Color = clBtnFace;
  TPanelBevel BevelOuter = bvRaised;
  TPanelBevel BevelInner = bvNone;
  int BevelWidth = 1;
  std::span<const std::uint8_t> JTexture;  // a BMP file; empty or unreadable means no picture
  TXPanelStyle JStyleTexture = txNone;
  bool JTransparent = false;
  TColor JTransColor = clGray;
};

// The textured band of the backdrop and of every page's header and button bands: the pinstripe
// picture tiled, without a bevel.
TXPanelProps PinstripeBand();

// Everything the painting depends on apart from the window: kept apart so that it can be
// painted into any device context.
struct TXPanelLook {
  TColor Color = clBtnFace;
  TPanelBevel BevelOuter = bvRaised;
  TPanelBevel BevelInner = bvNone;
  int BevelWidth = 1;
  TPicture JTexture;
  TXPanelStyle JStyleTexture = txNone;
  bool JTransparent = false;
  TColor JTransColor = clGray;
};

// picture is JTexture as a bitmap (PictureBitmap), the font the caption's (none: the dialog
// font).
void PaintXPanel(HDC dc, const RECT& client, const TXPanelLook& look, HGDIOBJ picture,
                 const wchar_t* caption, HFONT font);

class TXPanel {
 public:
  static constexpr const wchar_t* ClassName = L"KroXPanel";

  static TXPanel* Create(HWND parent, int left, int top, int width, int height,
                         const TXPanelProps& props, int id = 0);
  static TXPanel* FromHandle(HWND wnd);

  HWND Handle() const { return Wnd; }
  const TXPanelLook& Look() const { return State; }
  // Copies the picture; the caller keeps its own. Repaints even for the same picture.
  void SetJTexture(const TPicture& picture);
  void SetJStyleTexture(TXPanelStyle value);
  void SetJTransparent(bool value);
  void SetJTransColor(TColor value);
  void SetColor(TColor value);

  HWND Wnd = nullptr;
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
  static LRESULT Fallback(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    return DefWindowProcW(wnd, msg, wp, lp);
  }

 private:
  TXPanel() = default;
  template <typename V>
  void Change(V& field, V value);
  void Paint(HDC dc);

  TXPanelLook State;
  TGdiObject PictureCache;  // JTexture as a bitmap, made at the first paint that needs it
  HFONT Font = nullptr;     // not owned, as WM_SETFONT hands it over
};
