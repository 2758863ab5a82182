// probehook.dll: `probe watch` hooks the window procedures of every thread with it, so the
// system loads it into the process that shows the pages. There, in the bar's own thread and
// right after the bar takes a position, it notes the position in the probe's table. A question
// from the probe's own threads races the page instead: a position set just before the page
// closes can only be asked of a window that is gone, and under load that was seen.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include "probebars.h"
#include "uHandles.h"

namespace {

TBarTable* Table() {
  // Mapped once for as long as the library stays in the process.
  static const TMappedView view = [] {
    TKernelHandle mapping(OpenFileMappingW(FILE_MAP_WRITE, FALSE, kBarTableName));
    return TMappedView(
        mapping ? MapViewOfFile(mapping.Get(), FILE_MAP_WRITE, 0, 0, sizeof(TBarTable)) : nullptr);
  }();
  return static_cast<TBarTable*>(view.Get());
}

bool IsClass(HWND w, const wchar_t* name) {
  wchar_t cls[64] = L"";
  GetClassNameW(w, cls, 64);
  return lstrcmpiW(cls, name) == 0;
}

// The first non-empty label of a page is the title in its header band.
bool PageTitle(HWND w, wchar_t* title, int size) {
  for (HWND c = GetWindow(w, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    if (IsClass(c, L"Static") && GetWindowTextW(c, title, size) > 0) return true;
    if (PageTitle(c, title, size)) return true;
  }
  return false;
}

// Counts the bars before `bar` in window order; true once it is found.
bool PlaceOf(HWND w, HWND bar, LONG& place) {
  for (HWND c = GetWindow(w, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    if (c == bar) return true;
    if (IsClass(c, PROGRESS_CLASSW)) ++place;
    if (PlaceOf(c, bar, place)) return true;
  }
  return false;
}

void Note(HWND bar) {
  TBarTable* table = Table();
  if (!table) return;
  const LONG pos = LONG(SendMessageW(bar, PBM_GETPOS, 0, 0));
  const LONG64 key = LONG64(reinterpret_cast<INT_PTR>(bar));
  for (TBarSlot& slot : table->Slots) {
    const LONG64 owner = InterlockedCompareExchange64(&slot.Window, key, 0);
    if (owner != 0 && owner != key) continue;
    // Title and place as they are now: the page sets its language texts after it is made.
    const HWND page = GetAncestor(bar, GA_ROOT);
    LONG place = 0;
    PlaceOf(page, bar, place);
    slot.Place = place;
    if (!PageTitle(page, slot.Page, 128)) slot.Page[0] = L'\0';
    for (LONG high = slot.Highest; pos > high;) {
      const LONG seen = InterlockedCompareExchange(&slot.Highest, pos, high);
      if (seen == high) break;
      high = seen;
    }
    return;
  }
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK
    ProbeCallWndRet(int code, WPARAM wParam, LPARAM lParam) {
  const auto* m = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
  if (code == HC_ACTION &&
      (m->message == PBM_SETPOS || m->message == PBM_DELTAPOS || m->message == PBM_STEPIT))
    Note(m->hwnd);
  return CallNextHookEx(nullptr, code, wParam, lParam);
}
