#include "clock_plan.h"

#include <cstdint>

namespace {

// The planned move time of the engine's own clock, in whole seconds, as its
// blitz and moves-in-time settings compute it.
int64_t EngineBudgetSeconds(int64_t seconds, int64_t increment, int64_t movesToGo) {
  if (movesToGo > 0) {
    int64_t total = movesToGo > 20 && seconds > 60 ? seconds * 3 / 2 : seconds;
    int64_t budget = total / (movesToGo + 2);
    if (total < 15) budget = 1;
    if (total < 6) budget = 0;
    return budget;
  }
  if (increment >= 2) return seconds / 25 + increment;
  int64_t budget = seconds / 40 + increment;
  if (seconds < 15) budget = 1;
  if (seconds < 6) budget = 0;
  return budget;
}

// The bound below wins: a search always gets some time.
int32_t Clamp(int64_t value, int64_t low, int64_t high) {
  if (value > high) value = high;
  if (value > INT32_MAX) value = INT32_MAX;
  return int32_t(value < low ? low : value);
}

}  // namespace

ClockPlan PlanMoveTime(int64_t timeMs, int64_t incrementMs, int64_t movesToGo) {
  if (timeMs < 0) timeMs = 0;
  if (incrementMs < 0) incrementMs = 0;
  if (movesToGo < 0) movesToGo = 0;
  ClockPlan plan{};
  // Kept back for the lags of the moves to come: a tenth of the clock, at
  // least ten lags, at most a second, and never more than half the clock.
  int64_t reserve = timeMs / 10 > 10 * MoveLagMs ? timeMs / 10 : 10 * MoveLagMs;
  if (reserve > 1000) reserve = 1000;
  if (reserve > timeMs / 2) reserve = timeMs / 2;
  int64_t usable = timeMs - reserve;
  // Whole seconds are coarse below a budget of two seconds or with a
  // fractional increment; the engine's hard limit, half the clock, also
  // needs a clock well above the lag.
  plan.EngineClock = timeMs >= 20000 && incrementMs % 1000 == 0 &&
                     EngineBudgetSeconds(timeMs / 1000, incrementMs / 1000, movesToGo) >= 2;
  plan.SafetyMs = Clamp(usable - MoveLagMs, 10, (timeMs + incrementMs) / 2);
  // Spread the clock and the increments still to come evenly over the moves
  // left (the reserve pays their lags).
  int64_t movesLeft = movesToGo > 0 ? (movesToGo < 30 ? movesToGo : 30) : 30;
  int64_t target = (usable + incrementMs * (movesLeft - 1)) / movesLeft;
  // With one move to go the whole usable clock is there; otherwise one move
  // never takes more than a fifth of it (a third with few moves to go).
  int64_t cap = movesToGo == 1 ? usable - MoveLagMs : usable / (movesToGo > 0 && movesToGo < 4 ? 3 : 5);
  plan.HardMs = Clamp(target * 5 / 2, 5, cap);
  plan.SoftMs = Clamp(target * 3 / 5, 5, plan.HardMs);
  return plan;
}
