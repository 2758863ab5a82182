// The table `probe watch` shares with its hook library, probehook.dll: one slot for each
// progress bar that any process has moved, claimed by the bar's window handle.
#pragma once

#include <windows.h>

struct TBarSlot {
  volatile LONG64 Window;  // 0 while the slot is free
  volatile LONG Highest;
  LONG Place;         // the bar's place among its page's bars, in window order
  wchar_t Page[128];  // the page's title: its first non-empty label
};

struct TBarTable {
  TBarSlot Slots[64];
};

inline constexpr wchar_t kBarTableName[] = L"KroProbeBars";
inline constexpr char kBarHookProc[] = "ProbeCallWndRet";
