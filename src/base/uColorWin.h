// Colours at the GDI boundary: system colours are looked up now, so a later change of them
// shows at the next painting.
#pragma once

#include <windows.h>

#include "uColor.h"

inline TRgb ResolveColor(TColor c) {
  if (!IsSystemColor(c)) return RgbOf(c);
  const COLORREF ref = GetSysColor(SystemColorIndex(c));
  return {GetRValue(ref), GetGValue(ref), GetBValue(ref)};
}
inline COLORREF ToColorRef(TRgb c) { return RGB(c.R, c.G, c.B); }
inline COLORREF ColorRefOf(TColor c) { return ToColorRef(ResolveColor(c)); }
