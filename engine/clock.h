// The engine's clocks: a start time and the last measured elapsed time in
// milliseconds. Slot 4 times the whole analysis, slot 5 the current move.
#pragma once

#include <cstdint>

struct Clock {
  int64_t StartMs;    // start time on the clock's own time line
  int32_t ElapsedMs;  // last measurement
};

constexpr int32_t ClockSlots = 8;
constexpr int32_t AnalysisClock = 4;
constexpr int32_t MoveClock = 5;

extern Clock Clocks[ClockSlots];

void StartClock(int32_t slot);
// Measures and stores the time since the slot was started.
int32_t MeasureClock(int32_t slot);
