// How long to think on one move of a game with a clock. The engine plans in
// whole seconds, which is fine for long clocks; short clocks, fractional
// increments and few moves to go are planned here, in milliseconds, and the
// engine then analyses until the host stops it.
#pragma once

#include <cstdint>

struct ClockPlan {
  int32_t EngineClock;  // 1: whole seconds will do, the engine may plan itself
  int32_t SafetyMs;     // when the engine plans: stop it after this at the latest
  int32_t SoftMs;       // when the host plans: begin no new iteration after this
  int32_t HardMs;       // when the host plans: stop after this
};

// Assumed delay per move between our answer and the clock stopping (the
// GUI, an adapter in between, a loaded machine).
const int32_t MoveLagMs = 40;

// timeMs: our clock; incrementMs: added per move; movesToGo: moves until the
// next time control, 0 when the rest of the game is played on this clock.
ClockPlan PlanMoveTime(int64_t timeMs, int64_t incrementMs, int64_t movesToGo);
