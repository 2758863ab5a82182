#include "diaLoadProgress.h"

#include <chrono>

uint64_t SteadyMillis() {
  using namespace std::chrono;
  return uint64_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
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
