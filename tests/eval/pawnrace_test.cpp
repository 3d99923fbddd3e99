// Pawn race in endings of kings and pawns.
#include <gtest/gtest.h>

#include "evaltestsupport.h"

namespace {

int32_t Race(const char* text) {
  SetPosition(text);
  EXPECT_EQ(GamePhase, 1);
  EXPECT_EQ(PieceMaterial[0], 0);
  EvaluateRoot();
  EXPECT_EQ(LastEvalTerms.Path, EvalPathEndgame);
  return LastEvalTerms.Race;
}

TEST(PawnRace, PawnOutsideTheSquare) {
  EXPECT_EQ(Race("8/8/8/P7/7k/8/8/4K3 w - - 0 1"), 400);
  EXPECT_EQ(Race("4k3/8/8/8/7K/p7/8/8 b - - 0 1"), -400);
}

TEST(PawnRace, SideToMoveDecidesTheSquare) {
  // Black to move: dist(f4, a8) = 5 > 8 - 4, the pawn runs.
  EXPECT_EQ(Race("8/8/8/P7/5k2/8/8/4K3 b - - 0 1"), 400);
  // From e4 (distance 4) the king catches it.
  EXPECT_EQ(Race("8/8/8/P7/4k3/8/8/4K3 b - - 0 1"), 0);
  // White to move, the same e4 king is one step short.
  EXPECT_EQ(Race("8/8/8/P7/4k3/8/8/4K3 w - - 0 1"), 400);
}

TEST(PawnRace, SplitPassersOneKingCannotStop) {
  // b5 and g5 against the king d6: each inside its square, but five files
  // apart with three moves to go.
  EXPECT_EQ(Race("8/8/3k4/1P4P1/8/8/8/4K3 w - - 0 1"), 400);
  // c5 and f5 are only three files apart: 3 >= 3 still holds.
  EXPECT_EQ(Race("8/8/3k4/2P2P2/8/8/8/4K3 w - - 0 1"), 400);
  // d5 and e5 together: stopped.
  EXPECT_EQ(Race("8/8/3k4/3PP3/8/8/8/7K w - - 0 1"), 0);
}

TEST(PawnRace, SplitPassersOfTheSideNotToMove) {
  // Black to move defends; white's c5 and f5 (m = 3) are three files apart.
  EXPECT_EQ(Race("8/8/3k4/2P2P2/8/8/8/4K3 b - - 0 1"), 400);
  // d4 and g4: m = 4, three files apart = m - 1, same rank, the king d6 is
  // two squares from both: accepted.
  EXPECT_EQ(Race("8/8/3k4/8/3P2P1/8/8/4K3 b - - 0 1"), 400);
  // With the king on e5 it touches d4: refused.
  EXPECT_EQ(Race("8/8/8/4k3/3P2P1/8/8/4K3 b - - 0 1"), 0);
}

TEST(PawnRace, BothSidesQueen) {
  // White to move, w and b moves to go for each side's slowest runner.
  EXPECT_EQ(Race("7k/8/8/P7/7p/8/8/K7 w - - 0 1"), 100);    // w = 3, b = 3
  EXPECT_EQ(Race("7k/8/8/8/P6p/8/8/K7 w - - 0 1"), -100);   // w = 4, b = 3
  EXPECT_EQ(Race("7k/8/8/8/7p/P7/8/K7 w - - 0 1"), -400);   // w = 5, b = 3
  EXPECT_EQ(Race("7k/8/P7/8/7p/8/8/K7 w - - 0 1"), 400);    // w = 2, b = 3
  // Black to move.
  EXPECT_EQ(Race("7k/8/8/P7/7p/8/8/K7 b - - 0 1"), -100);   // b = 3, w = 3
  EXPECT_EQ(Race("7k/8/8/P7/8/7p/8/K7 b - - 0 1"), -400);   // b = 2, w = 3
  EXPECT_EQ(Race("7k/8/8/P6p/8/8/8/K7 b - - 0 1"), 100);    // b = 4, w = 3
  EXPECT_EQ(Race("7k/8/7p/P7/8/8/8/K7 b - - 0 1"), 400);    // b = 5, w = 3
  EXPECT_EQ(Race("7k/8/8/P7/8/8/7p/K7 b - - 0 1"), -400);   // b = 1, w = 3
}

TEST(PawnRace, RaceResultIsCachedAndReused) {
  Race("8/8/8/P7/7k/8/8/4K3 w - - 0 1");
  const int32_t first = EvaluateRoot();
  EXPECT_EQ(LastEvalTerms.PawnCacheHit, 1);
  EXPECT_EQ(EvaluateRoot(), first);
}

}  // namespace
