// Clocks on a monotonic time line, so the measured times never jump when the
// wall clock is set or passes midnight.

#include "clock.h"

#include <chrono>

Clock Clocks[ClockSlots];

namespace {

int64_t NowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

void StartClock(int32_t slot) {
  Clocks[slot].StartMs = NowMs();
  Clocks[slot].ElapsedMs = 0;
}

int32_t MeasureClock(int32_t slot) {
  int64_t elapsed = NowMs() - Clocks[slot].StartMs;
  if (elapsed > INT32_MAX) elapsed = INT32_MAX;
  Clocks[slot].ElapsedMs = int32_t(elapsed);
  return Clocks[slot].ElapsedMs;
}
