// What the progress pages show of a running extraction, at a pace the window system can bear:
// under emulation every repaint of a bar is a round trip, and the engine reports after every
// output block. The pacer keeps the engine's latest values and paints them at most once per
// interval, and whatever is still unshown when asked to flush.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

struct TProgressView {
  std::string FileName;
  int FilePercent = 0;
  int TotalPercent = 0;
  friend bool operator==(const TProgressView&, const TProgressView&) = default;
};

// About 30 paints a second.
inline constexpr unsigned kProgressPaceMs = 33;

// Milliseconds of a monotonic clock.
using TMillisClock = std::function<uint64_t()>;
uint64_t SteadyMillis();

class TProgressPacer {
 public:
  // paint gets the values to show and those shown before, so it touches only what changed.
  using TPaint = std::function<void(const TProgressView& now, const TProgressView& before)>;

  TProgressPacer(TProgressView shown, TPaint paint, unsigned intervalMs = kProgressPaceMs,
                 TMillisClock clock = SteadyMillis)
      : Shown(std::move(shown)),
        LatestValues(Shown),
        Paint(std::move(paint)),
        Interval(intervalMs),
        Clock(std::move(clock)) {}

  // Takes the engine's latest values; paints them when the interval has passed since the last
  // paint (the first change paints at once).
  void Update(const TProgressView& latest);
  // Paints the latest values now when they differ from those shown.
  void Flush();
  const TProgressView& Showing() const { return Shown; }
  const TProgressView& Latest() const { return LatestValues; }
  int Paints() const { return PaintCount; }

 private:
  TProgressView Shown, LatestValues;
  TPaint Paint;
  unsigned Interval;
  TMillisClock Clock;
  bool PaintedOnce = false;
  uint64_t LastPaint = 0;
  int PaintCount = 0;
};
