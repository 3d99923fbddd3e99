// Endgame evaluator and endgame pawn terms; hand-computed positions.
#include <gtest/gtest.h>

#include <cstring>

#include "evaltestsupport.h"

namespace {

// Endgame terms of a position, computed afresh (pawn terms are known only
// on a pawn cache miss).
void Endgame(const char* text) {
  SetPosition(text);
  ASSERT_EQ(GamePhase, 1);
  CurrentPawnSlot().Tag = 0;
  EvaluateRoot();
  ASSERT_EQ(LastEvalTerms.Path, EvalPathEndgame);
}

TEST(Endgame, MatingClassHandsOverWithoutPawnCache) {
  SetPosition("8/8/8/8/8/2k5/8/K6R w - - 0 1");
  ASSERT_EQ(MatingClass, 1);
  PawnCacheEntry& slot = CurrentPawnSlot();
  slot.Tag = 1;  // a planted entry that a probe would hit
  slot.Index = PawnKingKey.Index;
  slot.Check = PawnKingKey.Check;
  slot.PawnScore = 1234;
  PawnCacheEntry before;
  std::memcpy(&before, &slot, sizeof before);
  const int32_t score = EvaluateRoot();
  EXPECT_EQ(LastEvalTerms.Path, EvalPathMating);
  EXPECT_EQ(LastEvalTerms.Positional, EvalMatingEndgame());
  EXPECT_EQ(score, EvalMatingEndgame() + MaterialBalance[0]);
  EXPECT_EQ(std::memcmp(&before, &slot, sizeof before), 0);
}

TEST(Endgame, Terms) {
  ExpectTerms(
      {
          // Rook on an open file near the king; half-open one square from
          // the king: 6, the black pawn d7 weak (10) and passed, ahead of the
          // rook (2 * 1 + 1).
          {"8/7p/4k3/3R4/8/8/P7/4K3 w - - 0 1", &EvalTerms::RooksWhite, 3 + 22 + 8},
          {"8/5k1p/8/3R4/8/8/P7/4K3 w - - 0 1", &EvalTerms::RooksWhite, 3 + 22},
          {"8/3p4/4k3/3R4/8/8/P7/4K3 w - - 0 1", &EvalTerms::RooksWhite, 3 + 10 + 6 + 2 + 1},
          // Knight and bishop tables halved and quartered: b1 -5 / 2 = -2
          // (toward zero), distance 7 to e8; bishop d4 24 / 4 - dist(d4, e8);
          // the black knight b8 mirrors the white one on b1.
          {"4k3/p7/8/8/8/8/P7/1N2K3 w - - 0 1", &EvalTerms::KnightsWhite, -2 - 7},
          {"4k3/p7/8/8/3B4/8/P7/4K3 w - - 0 1", &EvalTerms::BishopsWhite, 6 - 4},
          {"1n2k3/p7/8/8/8/8/P7/4K3 w - - 0 1", &EvalTerms::KnightsBlack, 7 + 2},
          // The king escorts its passed pawn to promotion against a rook (400),
          // a knight (200), a bishop (225); nothing with the black king on f7
          // beside the pawn; black's mirror.
          {"3K4/4P1k1/8/8/8/8/8/r7 w - - 0 1", &EvalTerms::PassedWhite, 400},
          {"3K4/4Pk2/8/8/8/8/8/r7 w - - 0 1", &EvalTerms::PassedWhite, 0},
          {"3K4/4P1k1/8/8/8/8/8/n7 w - - 0 1", &EvalTerms::PassedWhite, 200},
          {"3K4/4P1k1/8/8/8/8/8/b7 w - - 0 1", &EvalTerms::PassedWhite, 225},
          {"R7/8/8/8/8/8/1K1p4/4k3 w - - 0 1", &EvalTerms::PassedBlack, -400},
          // A blockaded passed pawn.
          {"4k3/8/4n3/4P3/8/8/8/4K3 w - - 0 1", &EvalTerms::PassedWhite, -16},
          // The seventh-rank queen bonus is white's only; black rooks on the
          // second rank: -12 and -35, no queen term.
          {"3q2k1/R7/8/8/8/8/8/K7 w - - 0 1", &EvalTerms::RooksWhite, 1 + 22 + 12},
          {"3q2k1/R7/8/8/8/8/8/K7 w - - 0 1", &EvalTerms::QueensWhite, 0},
          {"6k1/R1Q5/8/8/8/8/8/K6q w - - 0 1", &EvalTerms::QueensWhite, 1 - 2 * 4 + 20},
          {"k7/8/8/8/8/8/rr6/1Q4K1 w - - 0 1", &EvalTerms::RooksBlack, -(1 + 22) - (1 + 22) - 12 - 35},
          // A lone white passed pawn e5: 4*4 + 8*(dist to the black king -
          // dist to the white king + 2*4), the king beside it adds 4 * its
          // rank index (e4: 3); unprotected it is weak (10) and isolated on a
          // file without black pawns (7). With a passed pawn the white king's
          // centralisation counts a quarter.
          {"4k3/8/8/4P3/4K3/8/8/8 w - - 0 1", &EvalTerms::PawnsWhite, 16 + 8 * (3 - 1 + 8) + 4 * 3 - 10 - 7},
          {"4k3/8/8/4P3/4K3/8/8/8 w - - 0 1", &EvalTerms::PawnKingWhite, 24 / 4},
          // No pawns: king centralisation only.
          {"8/8/8/8/3K4/8/p7/4k3 w - - 0 1", &EvalTerms::PawnKingWhite, 24},
          {"8/8/8/8/3K4/8/p7/4k3 w - - 0 1", &EvalTerms::PawnsWhite, 0},
          {"8/8/8/8/8/8/p7/1K2k3 w - - 0 1", &EvalTerms::PawnKingWhite, 0},
          // A weak pawn next to the enemy king; black's: the weak c6 next to
          // the white king d5 (24): rank 5 - 12 - 20.
          {"8/2p5/8/8/3k4/2P5/8/7K b - - 0 1", &EvalTerms::WeakNearKingWhite, -13 - 12 - 2},
          {"8/2p5/8/8/3k4/2P5/8/7K b - - 0 1", &EvalTerms::WeakNearKingBlack, 0},
          {"7k/8/2p5/3K4/8/8/2P5/8 w - - 0 1", &EvalTerms::WeakNearKingBlack, -(5 - 12 - 20)},
      },
      Endgame);
}

TEST(Endgame, RaceIsCachedWithThePawnsEvenWhenPiecesAppear) {
  Endgame("8/8/8/P7/7k/8/8/4K3 w - - 0 1");
  EXPECT_EQ(LastEvalTerms.Race, 400);
  const int32_t pawns = LastEvalTerms.PawnScore;
  // A black rook appears; pawns, kings and side to move are unchanged, so
  // the cached entry, race included, is reused.
  SearchBoard[98] = -Rook;
  RecomputeSets();
  RecountMaterial();
  EvaluateRoot();
  EXPECT_EQ(LastEvalTerms.PawnCacheHit, 1);
  EXPECT_EQ(LastEvalTerms.PawnScore, pawns);
}

}  // namespace
