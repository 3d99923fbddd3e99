// The root driver: ordering helpers, the principal-variation rows, stop and
// ponder requests from another thread, and the time controls.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "engine/root.h"
#include "engine/eval.h"
#include "engine/search.h"
#include "searchtest.h"

namespace {

double SecondsOf(const std::function<void()>& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

const char* const Middlegame = "r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10";

}  // namespace

TEST(Root, SortIsDescendingAndMoveToFrontKeepsTheOrder) {
  const int16_t scores[6] = {5, -3, 20000, 5, 1400, -3200};
  for (int32_t i = 0; i < 6; ++i) MoveList[i] = MoveEntry{scores[i], uint8_t(21 + i), uint8_t(31 + i), 0, 0, 0};
  SortRootMoves(6);
  for (int32_t i = 0; i + 1 < 6; ++i) EXPECT_GE(MoveList[i].Score, MoveList[i + 1].Score);
  EXPECT_EQ(MoveList[0].Score, 20000);
  const MoveEntry third = MoveList[3], first = MoveList[0], second = MoveList[1], fourth = MoveList[4];
  MoveToFront(3);
  EXPECT_EQ(MoveList[0].From, third.From);
  EXPECT_EQ(MoveList[1].From, first.From);
  EXPECT_EQ(MoveList[2].From, second.From);
  EXPECT_EQ(MoveList[4].From, fourth.From);
}

TEST(Root, UpdatePVCopiesTheNextRowWithItsEnd) {
  Ply = 3;
  for (int32_t k = 0; k < 5; ++k) PVTable[4][k] = MoveEntry{0, uint8_t(31 + k), uint8_t(41 + k), 0, 0, 0};
  PVTable[4][5].From = 0;
  PVTable[3][7] = MoveEntry{0, 77, 78, 0, 0, 0};  // stale beyond the new end
  MoveList[SwapSlot] = MoveEntry{0, 21, 22, 0, 0, 0};
  UpdatePV(SwapSlot);
  EXPECT_EQ(PVTable[3][0].From, 21);
  for (int32_t k = 0; k < 5; ++k) EXPECT_EQ(PVTable[3][k + 1].From, 31 + k);
  EXPECT_EQ(PVTable[3][6].From, 0);
  // At most 44 entries follow the move itself.
  for (int32_t k = 0; k < PVRowLength; ++k) PVTable[4][k] = MoveEntry{0, 33, 44, 0, 0, 0};
  PVTable[3][45] = MoveEntry{0, 55, 66, 0, 0, 0};
  UpdatePV(SwapSlot);
  EXPECT_EQ(PVTable[3][44].From, 33);
  EXPECT_EQ(PVTable[3][45].From, 55);
  Ply = 0;
}

TEST(Root, FollowLineEndsWithSentinels) {
  PVTable[0][0] = MoveEntry{0, 35, 55, 0, 0, 0};
  PVTable[0][1] = MoveEntry{0, 85, 65, 0, 0, 0};
  PVTable[0][2].From = 0;
  LoadFollowLine();
  EXPECT_EQ(FollowLine[0].From, 35);
  EXPECT_EQ(FollowLine[1].To, 65);
  EXPECT_EQ(FollowLine[2].From, 0);
  for (int32_t p = 3; p < PlyLimit; ++p) {
    EXPECT_EQ(FollowLine[p].From, 255);
    EXPECT_EQ(FollowLine[p].To, 255);
  }
}

TEST(Root, StopFromAnotherThreadEndsInfiniteAndDeepSearches) {
  EnsureEngine();
  for (const bool infinite : {true, false}) {
    ObrantuleSetPosition(Middlegame);
    if (infinite) ObrantuleSetInfinite();
    else ObrantuleSetDepth(29);
    Reported.Clear();
    std::thread stopper([] {
      std::this_thread::sleep_for(std::chrono::milliseconds(250));
      ObrantuleStopAnalyse();
    });
    int32_t result = -5;
    const double seconds = SecondsOf([&] { result = ObrantuleAnalyse(infinite ? 1 : 0); });
    stopper.join();
    EXPECT_EQ(result, 0) << infinite;
    EXPECT_LT(seconds, 10.0) << infinite;
    EXPECT_FALSE(Reported.Mainlines.empty()) << infinite;
  }
}

TEST(Root, PonderHitAfterTheBudgetEndsTheSearch) {
  EnsureEngine();
  ObrantuleSetPosition(Middlegame);
  // Budget 0: a hit after more than a second of pondering ends the search at
  // once (a hit within the budget would let the analysis run on unclocked).
  ObrantuleSetBlitz(5, 0);
  ASSERT_EQ(MoveTimeBudget, 0u);
  std::thread hit([] {
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));
    ObrantulePonderingOff();
  });
  const double seconds = SecondsOf([] { ObrantuleAnalyse(1); });
  hit.join();
  EXPECT_LT(seconds, 10.0);
  EXPECT_EQ(PonderOffFlag.load(), 0);  // the hit was taken
  EXPECT_GE(PonderSeconds, 1);  // more on a loaded machine that wakes the hit late
}

TEST(Root, BlitzBudgetStopsTheSearch) {
  EnsureEngine();
  ObrantuleSetPosition(Middlegame);
  ObrantuleSetBlitz(10, 0);  // budget 1 s, hard limit 5 s
  ASSERT_EQ(MoveTimeBudget, 1u);
  const double seconds = SecondsOf([] { ObrantuleAnalyse(0); });
  EXPECT_LT(seconds, 6.0);
  EXPECT_GE(IterationDepth, 1);
}

TEST(Root, ZeroBudgetStopsAtTheThirdIteration) {
  EnsureEngine();
  ObrantuleSetPosition(Middlegame);
  ObrantuleSetTime(0, 5);  // budget 0: clock depth 3, depth cap 12
  ASSERT_EQ(MoveTimeBudget, 0u);
  const double seconds = SecondsOf([] { ObrantuleAnalyse(0); });
  EXPECT_LT(seconds, 3.0);
  EXPECT_LE(IterationDepth, 12);
  EXPECT_EQ(ClockDepth, 3);
  EXPECT_EQ(DepthCap, 12);
}

TEST(Root, DepthScheduleFollowsTheBudget) {
  EnsureEngine();
  const struct {
    int32_t Seconds, Increment;
    int32_t Clock, Cap;
  } cases[] = {{5, 0, 3, 12},      {10, 0, 4, 15},     {40, 1, 5, 18},
               {300, 0, 6, 18}, {3000, 0, 7, 21}, {20000, 0, 8, 25}};
  for (const auto& c : cases) {
    ObrantuleSetPosition("4k3/8/8/8/8/8/8/R3K3 w - - 0 1");
    ObrantuleSetBlitz(c.Seconds, c.Increment);
    // A stop request at once: only the set-up runs.
    StopFlag.store(1);
    RunRoot(0);
    EXPECT_EQ(ClockDepth, c.Clock) << c.Seconds;
    EXPECT_EQ(DepthCap, c.Cap) << c.Seconds;
    StopFlag.store(0);
  }
}

TEST(Root, AFirstMoveThatFailsLowIsSearchedAgainBelowItsWindow) {
  // Depth 3 ends with Rc4 at +32. At depth 4 Rc4, searched first in the
  // window 32 -+ 33, falls below it: an empty move text is shown, Rc4 is
  // searched again with the window open downwards and reported with its own
  // score, and Rf4 then becomes the best move.
  AnalyseToDepth("8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1", 4);
  EXPECT_NE(std::find(Reported.Moves.begin(), Reported.Moves.end(), ""), Reported.Moves.end());
  EXPECT_EQ(FailLowFlag, 1);
  const auto& lines = Reported.Mainlines;
  ASSERT_GE(lines.size(), 3u);
  const size_t n = lines.size();
  EXPECT_EQ(lines[n - 3], std::make_pair(std::string("b4c4 h5h7 c4f4 "), 32));
  EXPECT_EQ(lines[n - 2], std::make_pair(std::string("b4c4 h5h7 c4f4 h4g3 "), -14));
  EXPECT_EQ(FirstMove(lines[n - 1].first), "b4f4");
  EXPECT_EQ(lines[n - 1].second, 17);
}

namespace {

std::vector<std::string> ShownTexts;
int32_t OBRANTULE_CALL RecordText(const char* text) {
  ShownTexts.push_back(text);
  return 0;
}

}  // namespace

TEST(Root, TablesAreClearedWhenTheGamePhaseChanges) {
  // An endgame, then the rook takes the last black piece: the mating
  // endgame's phase differs from the last search's, so the tables are
  // emptied ("Hash clear") before the search; a further move in the same
  // phase keeps them.
  EnsureEngine();
  ObrantuleSetPosition("8/8/8/n3k3/8/8/8/R3K3 w - - 0 1");
  ObrantuleSetDepth(2);
  const ShowTextFn saved = Callbacks.ShowText;
  Callbacks.ShowText = RecordText;
  const struct {
    const char* Move;
    int32_t Phase;
    bool Cleared;
  } steps[] = {{nullptr, 1, false}, {"a1a5", 2, true}, {"e5e4", 2, false}};
  for (const auto& step : steps) {
    if (step.Move != nullptr) {
      char text[8];
      std::strcpy(text, step.Move);
      ASSERT_EQ(ObrantuleEnterMove(text), 0) << step.Move;
    }
    ShownTexts.clear();
    ObrantuleAnalyse(0);
    EXPECT_EQ(GamePhase, step.Phase) << (step.Move ? step.Move : "start");
    EXPECT_EQ(std::count(ShownTexts.begin(), ShownTexts.end(), "Hash clear"), step.Cleared ? 1 : 0)
        << (step.Move ? step.Move : "start");
  }
  Callbacks.ShowText = saved;
}
