// The host's move-time plan: short clocks, fractional increments and few
// moves to go are planned in milliseconds, and no plan spends the clock.
#include <gtest/gtest.h>

#include "../../host/clock_plan.h"

TEST(ClockPlan, ShortClocksGetAMillisecondPlanThatLeavesTimeOnTheClock) {
  struct { int64_t Time, Increment, MovesToGo; int32_t EngineClock; } cases[] = {
      {1999, 0, 0, 0},   {1500, 0, 1, 0},    {10000, 100, 0, 0}, {60000, 600, 0, 0},
      {0, 0, 0, 0},      {30, 0, 1, 0},      {100, 5000, 0, 0},  {300000, 0, 0, 1},
      {300000, 2000, 0, 1}, {60000, 0, 40, 0}, {600000, 0, 40, 1}, {19000, 3000, 0, 0},
  };
  for (const auto& c : cases) {
    ClockPlan plan = PlanMoveTime(c.Time, c.Increment, c.MovesToGo);
    SCOPED_TRACE(testing::Message() << c.Time << "+" << c.Increment << "/" << c.MovesToGo);
    EXPECT_EQ(plan.EngineClock, c.EngineClock);
    // Some time for a line, never the whole clock (the lag needs some).
    EXPECT_GE(plan.SoftMs, 5);
    EXPECT_LE(plan.SoftMs, plan.HardMs);
    if (c.Time >= 100) {
      EXPECT_LE(plan.HardMs, c.Time - MoveLagMs);
      EXPECT_LE(plan.SafetyMs, c.Time - MoveLagMs);
    }
  }
  // Whole-second truncation left almost nothing below two seconds; the plan
  // now gives a real search, and one move to go may take most of the clock.
  EXPECT_GE(PlanMoveTime(1999, 0, 0).HardMs, 100);
  EXPECT_GE(PlanMoveTime(1500, 0, 1).HardMs, 1000);
  // An increment is spent, not saved.
  EXPECT_GT(PlanMoveTime(5000, 1000, 0).SoftMs, 500);
}
