#include "uControlPaint.h"

void PaintBands(HDC dc, const std::vector<TBand>& bands) {
  for (const TBand& band : bands) {
    TGdiObject brush(CreateSolidBrush(ToColorRef(band.Color)));
    const RECT r = ToRECT(band.Rect);
    FrameRect(dc, &r, static_cast<HBRUSH>(brush.Get()));
  }
}

TGdiObject RenderGradientBitmap(TGradientDirection direction, int width, int height, TColor start,
                                TColor end) {
  if (width <= 0 || height <= 0) return {};
  TWindowDC screen(nullptr);
  TGdiObject bitmap(CreateCompatibleBitmap(screen.Get(), width, height));
  TMemoryDC mem(CreateCompatibleDC(screen.Get()));
  if (!bitmap || !mem) return {};
  TSelectGuard select(mem.Get(), bitmap.Get());
  PaintBands(mem.Get(),
             GradientBands(direction, width, height, ResolveColor(start), ResolveColor(end)));
  return bitmap;
}

TGdiObject PictureBitmap(const TPicture& picture) {
  if (picture.Empty()) return {};
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = picture.Width;
  info.bmiHeader.biHeight = -picture.Height;  // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  TWindowDC screen(nullptr);
  TGdiObject bitmap(CreateCompatibleBitmap(screen.Get(), picture.Width, picture.Height));
  if (!bitmap) return {};
  SetDIBits(screen.Get(), static_cast<HBITMAP>(bitmap.Get()), 0, UINT(picture.Height),
            picture.Pixels.data(), &info, DIB_RGB_COLORS);
  return bitmap;
}

namespace {

void PaintOutline(HDC dc, const TFaceOutline& o, TRgb face) {
  {
    TGdiObject pen(CreatePen(PS_SOLID, o.PenWidth, ToColorRef(o.Pen)));
    TSelectGuard usePen(dc, pen.Get());
    TSelectGuard useBrush(dc, GetStockObject(WHITE_BRUSH));
    RoundRect(dc, o.Rect.Left, o.Rect.Top, o.Rect.Right, o.Rect.Bottom, o.Corner, o.Corner);
  }
  for (const TShadeLine& line : o.Shading) {
    TGdiObject pen(CreatePen(PS_SOLID, 1, ToColorRef(ShadeColor(face, line.Percent))));
    TSelectGuard usePen(dc, pen.Get());
    MoveToEx(dc, line.Left, line.Y, nullptr);
    LineTo(dc, line.Right, line.Y);
  }
}

}  // namespace

void PaintButtonFace(HDC dc, const TButtonFace& face, bool disabled, TRgb textColor,
                     const wchar_t* caption) {
  RECT r = ToRECT(face.Caption);
  if (face.Pushed) {
    RECT frame = r;
    DrawFrameControl(dc, &frame, DFC_BUTTON,
                     DFCS_BUTTONPUSH | DFCS_PUSHED | (disabled ? DFCS_INACTIVE : 0));
  }
  const TRgb buttonFace = ResolveColor(clBtnFace);
  for (const TFaceOutline& outline : face.Outlines) PaintOutline(dc, outline, buttonFace);

  SetTextColor(dc, ToColorRef(disabled ? ResolveColor(clGrayText) : textColor));
  SetBkMode(dc, TRANSPARENT);
  RECT measure = r;
  const int h = DrawTextW(dc, caption, -1, &measure, DT_CALCRECT | DT_WORDBREAK | DT_CENTER);
  r.top += (face.Caption.Height() - h) / 2;
  DrawTextW(dc, caption, -1, &r, DT_WORDBREAK | DT_CENTER);
}

bool EnsureWindowClass(const wchar_t* name, WNDPROC proc, UINT style) {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof(existing);
  if (GetClassInfoExW(instance, name, &existing)) return true;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.style = style;
  wc.lpfnWndProc = proc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.lpszClassName = name;
  return RegisterClassExW(&wc) != 0;
}
