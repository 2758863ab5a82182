#include "diaLoadProgress.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <chrono>
#endif

uint64_t SteadyMillis() {
#ifdef _WIN32
  // The system's tick: std::chrono's clock would bring the threads library into setup.exe.
  return GetTickCount64();
#else
  using namespace std::chrono;
  return uint64_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
#endif
}

void TProgressPacer::Update(const TProgressView& latest) {
  LatestValues = latest;
  if (LatestValues == Shown) return;
  if (PaintedOnce && Clock() - LastPaint < Interval) return;
  Flush();
}

void TProgressPacer::Flush() {
  if (LatestValues == Shown) return;
  const TProgressView before = Shown;
  Shown = LatestValues;
  PaintedOnce = true;
  LastPaint = Clock();
  ++PaintCount;
  if (Paint) Paint(Shown, before);
}
