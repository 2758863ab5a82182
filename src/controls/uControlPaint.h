// The GDI side shared by the controls: colour resolution, painting from the plain plans of the
// portable modules, and the one place each control's window class is registered.
#pragma once

#include <windows.h>

#include <vector>

#include "uButtonFace.h"
#include "uColor.h"
#include "uColorWin.h"
#include "uGradientBands.h"
#include "uHandles.h"
#include "uPicture.h"

inline RECT ToRECT(const TRect& r) { return RECT{r.Left, r.Top, r.Right, r.Bottom}; }
inline TRect FromRECT(const RECT& r) { return TRect{r.left, r.top, r.right, r.bottom}; }

// Each band as a one-pixel frame in its own solid brush.
void PaintBands(HDC dc, const std::vector<TBand>& bands);

// A screen-compatible bitmap of the gradient; empty for a width or height of 0.
TGdiObject RenderGradientBitmap(TGradientDirection direction, int width, int height, TColor start,
                                TColor end);

// A screen-compatible bitmap holding the picture; empty for an empty picture.
TGdiObject PictureBitmap(const TPicture& picture);

// The owner-drawn face and its caption. The font is the one already selected into dc.
void PaintButtonFace(HDC dc, const TButtonFace& face, bool disabled, TRgb textColor,
                     const wchar_t* caption);

// Registers the class on first use; a second registration of the same name is harmless.
bool EnsureWindowClass(const wchar_t* name, WNDPROC proc, UINT style = 0);
