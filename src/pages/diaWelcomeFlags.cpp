#include "diaWelcomeFlags.h"

#include <windows.h>

#include "uHandles.h"
#include "uText.h"

const TFlagPicture kFlagGermany{{
    "kkkkkkkkkkkkkkkkkk",
    "kkkkkkkkkkkkkkkkkk",
    "kkkkkkkkkkkkkkkkkk",
    "kkkkkkkkkkkkkkkkkk",
    "rrrrrrrrrrrrrrrrrr",
    "rrrrrrrrrrrrrrrrrr",
    "rrrrrrrrrrrrrrrrrr",
    "gggggggggggggggggg",
    "gggggggggggggggggg",
    "gggggggggggggggggg",
    "gggggggggggggggggg",
}};

// The union flag at this size: the red cross on its white border, the white saltire with a
// hint of its red counterchange, on blue.
const TFlagPicture kFlagUnitedKingdom{{
    "RWWBBBBWRRWBBBBWWR",
    "BWWWBBBWRRWBBBWWWB",
    "BBWRWWBWRRWBWWRWBB",
    "BBBWWWWWRRWWWWWBBB",
    "WWWWWWWWRRWWWWWWWW",
    "RRRRRRRRRRRRRRRRRR",
    "WWWWWWWWRRWWWWWWWW",
    "BBBWWWWWRRWWWWWBBB",
    "BBWRWWBWRRWBWWRWBB",
    "BWWWBBBWRRWBBBWWWB",
    "RWWBBBBWRRWBBBBWWR",
}};

std::uint32_t FlagPixel(char c) {
  switch (c) {
    case 'r':
      return 0xDD0000;
    case 'g':
      return 0xFFCE00;
    case 'B':
      return 0x012169;
    case 'W':
      return 0xFFFFFF;
    case 'R':
      return 0xC8102E;
  }
  return 0x000000;
}

namespace {

const wchar_t kFlagClass[] = L"KroFlag";

void PaintFlag(HWND w, HDC dc) {
  const auto* flag = reinterpret_cast<const TFlagPicture*>(GetWindowLongPtrW(w, GWLP_USERDATA));
  if (!flag) return;
  std::uint32_t pixels[TFlagPicture::Width * TFlagPicture::Height];
  for (int y = 0; y < TFlagPicture::Height; ++y)
    for (int x = 0; x < TFlagPicture::Width; ++x)
      pixels[y * TFlagPicture::Width + x] = FlagPixel(flag->Rows[y][x]);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = TFlagPicture::Width;
  info.bmiHeader.biHeight = -TFlagPicture::Height;  // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  RECT r;
  GetClientRect(w, &r);
  StretchDIBits(dc, 0, 0, r.right, r.bottom, 0, 0, TFlagPicture::Width, TFlagPicture::Height,
                pixels, &info, DIB_RGB_COLORS, SRCCOPY);
}

LRESULT CALLBACK FlagProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_NCCREATE:
      SetWindowLongPtrW(
          w, GWLP_USERDATA,
          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams));
      break;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      TPaintGuard paint(w);
      PaintFlag(w, paint.Get());
      return 0;
    }
    case WM_PRINTCLIENT:
      PaintFlag(w, reinterpret_cast<HDC>(wp));
      return 0;
    case WM_LBUTTONUP:
      // A click reaches the form like a button's.
      SendMessageW(GetParent(w), WM_COMMAND, MAKEWPARAM(UINT(GetDlgCtrlID(w)), BN_CLICKED),
                   reinterpret_cast<LPARAM>(w));
      return 0;
  }
  return DefWindowProcW(w, msg, wp, lp);
}

}  // namespace

TWindow CreateFlagWindow(TWindow parent, const TControlDef& def, int id) {
  static bool registered = false;
  if (!registered) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &FlagProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_HAND));
    wc.lpszClassName = kFlagClass;
    registered = RegisterClassExW(&wc) != 0;
  }
  // The caption names the language for screen readers and UI tests; it is never drawn.
  return CreateWindowExW(0, kFlagClass, Widen(def.Caption).c_str(), WS_CHILD | WS_VISIBLE, def.Left,
                         def.Top, def.Width, def.Height, parent,
                         reinterpret_cast<HMENU>(INT_PTR(id)), GetModuleHandleW(nullptr),
                         const_cast<void*>(def.Param));
}
