// Pawn race in endings of kings and pawns.
#include <gtest/gtest.h>

#include "evaltestsupport.h"

namespace {

void Race(const char* text) {
  SetPosition(text);
  EXPECT_EQ(GamePhase, 1);
  EXPECT_EQ(PieceMaterial[0], 0);
  CurrentPawnSlot().Tag = 0;
  EvaluateRoot();
  EXPECT_EQ(LastEvalTerms.Path, EvalPathEndgame);
}

TEST(PawnRace, KnownRaces) {
  ExpectTerms(
      {
          // A pawn outside the king's square, both colours.
          {"8/8/8/P7/7k/8/8/4K3 w - - 0 1", &EvalTerms::Race, 400},
          {"4k3/8/8/8/7K/p7/8/8 b - - 0 1", &EvalTerms::Race, -400},
          // The side to move decides the square: black to move, dist(f4, a8)
          // = 5 > 8 - 4, the pawn runs; from e4 the king catches it; white to
          // move, the same e4 king is one step short.
          {"8/8/8/P7/5k2/8/8/4K3 b - - 0 1", &EvalTerms::Race, 400},
          {"8/8/8/P7/4k3/8/8/4K3 b - - 0 1", &EvalTerms::Race, 0},
          {"8/8/8/P7/4k3/8/8/4K3 w - - 0 1", &EvalTerms::Race, 400},
          // Split passers one king cannot stop: b5 and g5 against Kd6 (each
          // in its square, five files apart with three moves to go); c5 and
          // f5 three files apart (3 >= 3 holds); d5 and e5 together: stopped.
          {"8/8/3k4/1P4P1/8/8/8/4K3 w - - 0 1", &EvalTerms::Race, 400},
          {"8/8/3k4/2P2P2/8/8/8/4K3 w - - 0 1", &EvalTerms::Race, 400},
          {"8/8/3k4/3PP3/8/8/8/7K w - - 0 1", &EvalTerms::Race, 0},
          // Split passers of the side not to move: c5 and f5 (m = 3); d4 and
          // g4 (m = 4, three files apart = m - 1, same rank, the king d6 two
          // squares from both); with the king on e5 touching d4: refused.
          {"8/8/3k4/2P2P2/8/8/8/4K3 b - - 0 1", &EvalTerms::Race, 400},
          {"8/8/3k4/8/3P2P1/8/8/4K3 b - - 0 1", &EvalTerms::Race, 400},
          {"8/8/8/4k3/3P2P1/8/8/4K3 b - - 0 1", &EvalTerms::Race, 0},
          // Both sides queen: w and b moves to go for each side's slowest runner.
          {"7k/8/8/P7/7p/8/8/K7 w - - 0 1", &EvalTerms::Race, 100},   // w = 3, b = 3
          {"7k/8/8/8/P6p/8/8/K7 w - - 0 1", &EvalTerms::Race, -100},  // w = 4, b = 3
          {"7k/8/8/8/7p/P7/8/K7 w - - 0 1", &EvalTerms::Race, -400},  // w = 5, b = 3
          {"7k/8/P7/8/7p/8/8/K7 w - - 0 1", &EvalTerms::Race, 400},   // w = 2, b = 3
          {"7k/8/8/P7/7p/8/8/K7 b - - 0 1", &EvalTerms::Race, -100},  // b = 3, w = 3
          {"7k/8/8/P7/8/7p/8/K7 b - - 0 1", &EvalTerms::Race, -400},  // b = 2, w = 3
          {"7k/8/8/P6p/8/8/8/K7 b - - 0 1", &EvalTerms::Race, 100},   // b = 4, w = 3
          {"7k/8/7p/P7/8/8/8/K7 b - - 0 1", &EvalTerms::Race, 400},   // b = 5, w = 3
          {"7k/8/8/P7/8/8/7p/K7 b - - 0 1", &EvalTerms::Race, -400},  // b = 1, w = 3
      },
      Race);
}

}  // namespace
