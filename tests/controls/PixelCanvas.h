// A memory device context with a bitmap of its own, and its pixels read back.
#pragma once

#include <windows.h>

#include <vector>

#include "uColor.h"
#include "uHandles.h"

class TPixelCanvas {
 public:
  TPixelCanvas(int width, int height, TRgb fill) : W(width), H(height) {
    TWindowDC screen(nullptr);
    Bitmap.Reset(CreateCompatibleBitmap(screen.Get(), width, height));
    DC.Reset(CreateCompatibleDC(screen.Get()));
    Old = SelectObject(DC.Get(), Bitmap.Get());
    const RECT all{0, 0, width, height};
    TGdiObject brush(CreateSolidBrush(RGB(fill.R, fill.G, fill.B)));
    FillRect(DC.Get(), &all, static_cast<HBRUSH>(brush.Get()));
  }
  ~TPixelCanvas() { SelectObject(DC.Get(), Old); }
  TPixelCanvas(const TPixelCanvas&) = delete;
  TPixelCanvas& operator=(const TPixelCanvas&) = delete;

  HDC Get() const { return DC.Get(); }
  int Width() const { return W; }
  int Height() const { return H; }

  // Top row first.
  std::vector<TRgb> Pixels() const { return ReadBitmap(static_cast<HBITMAP>(Bitmap.Get()), W, H); }

  static std::vector<TRgb> ReadBitmap(HBITMAP bitmap, int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<DWORD> raw(std::size_t(width) * std::size_t(height));
    TWindowDC screen(nullptr);
    GetDIBits(screen.Get(), bitmap, 0, UINT(height), raw.data(), &info, DIB_RGB_COLORS);
    std::vector<TRgb> out;
    out.reserve(raw.size());
    for (DWORD p : raw) out.push_back({BYTE(p >> 16), BYTE(p >> 8), BYTE(p)});
    return out;
  }

 private:
  int W, H;
  TGdiObject Bitmap;
  TMemoryDC DC;
  HGDIOBJ Old = nullptr;
};
