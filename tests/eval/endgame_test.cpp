// Endgame evaluator and endgame pawn terms; hand-computed positions.
#include <gtest/gtest.h>

#include <cstring>

#include "evaltestsupport.h"

namespace {

void Endgame(const char* text) {
  SetPosition(text);
  ASSERT_EQ(GamePhase, 1);
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

TEST(Endgame, RookOnOpenFileNearTheKing) {
  Endgame("8/7p/4k3/3R4/8/8/P7/4K3 w - - 0 1");
  EXPECT_EQ(LastEvalTerms.RooksWhite, 3 + 22 + 8);
  Endgame("8/5k1p/8/3R4/8/8/P7/4K3 w - - 0 1");
  EXPECT_EQ(LastEvalTerms.RooksWhite, 3 + 22);
  // Half-open file one square from the king: 6; the black pawn d7 is weak
  // (10) and passed, ahead of the rook (2 * 1 + 1).
  Endgame("8/3p4/4k3/3R4/8/8/P7/4K3 w - - 0 1");
  EXPECT_EQ(LastEvalTerms.RooksWhite, 3 + 10 + 6 + 2 + 1);
}

TEST(Endgame, KnightAndBishopTablesAreHalvedAndQuartered) {
  // b1: -5 / 2 = -2 (toward zero), distance 7 to e8.
  Endgame("4k3/p7/8/8/8/8/P7/1N2K3 w - - 0 1");
  EXPECT_EQ(LastEvalTerms.KnightsWhite, -2 - 7);
  // Bishop d4: 24 / 4 - dist(d4, e8) = 6 - 4.
  Endgame("4k3/p7/8/8/3B4/8/P7/4K3 w - - 0 1");
  EXPECT_EQ(LastEvalTerms.BishopsWhite, 6 - 4);
  // Black knight b8 mirrors the white one on b1.
  Endgame("1n2k3/p7/8/8/8/8/P7/4K3 w - - 0 1");
  EXPECT_EQ(LastEvalTerms.KnightsBlack, 7 + 2);
}

TEST(Endgame, KingEscortsPassedPawnToPromotion) {
  Endgame("3K4/4P1k1/8/8/8/8/8/r7 w - - 0 1");
  EXPECT_EQ(LastEvalTerms.PassedWhite, 400);
  // The black king on f7 stands beside the pawn: nothing.
  Endgame("3K4/4Pk2/8/8/8/8/8/r7 w - - 0 1");
  EXPECT_EQ(LastEvalTerms.PassedWhite, 0);
  // Against a knight 200, a bishop 225.
  Endgame("3K4/4P1k1/8/8/8/8/8/n7 w - - 0 1");
  EXPECT_EQ(LastEvalTerms.PassedWhite, 200);
  Endgame("3K4/4P1k1/8/8/8/8/8/b7 w - - 0 1");
  EXPECT_EQ(LastEvalTerms.PassedWhite, 225);
  // Black's mirror: pawn d2, king e1, white king b2 and a rook.
  Endgame("R7/8/8/8/8/8/1K1p4/4k3 w - - 0 1");
  EXPECT_EQ(LastEvalTerms.PassedBlack, -400);
}

TEST(Endgame, BlockadedPassedPawn) {
  Endgame("4k3/8/4n3/4P3/8/8/8/4K3 w - - 0 1");
  EXPECT_EQ(LastEvalTerms.PassedWhite, -16);
}

TEST(Endgame, SeventhRankQueenBonusIsWhiteOnly) {
  Endgame("3q2k1/R7/8/8/8/8/8/K7 w - - 0 1");
  EXPECT_EQ(LastEvalTerms.RooksWhite, 1 + 22 + 12);
  EXPECT_EQ(LastEvalTerms.QueensWhite, 0);
  Endgame("6k1/R1Q5/8/8/8/8/8/K6q w - - 0 1");
  EXPECT_EQ(LastEvalTerms.QueensWhite, 1 - 2 * 4 + 20);
  // Black rooks on the second rank: -12 and -35, no queen term.
  Endgame("k7/8/8/8/8/8/rr6/1Q4K1 w - - 0 1");
  EXPECT_EQ(LastEvalTerms.RooksBlack, -(1 + 22) - (1 + 22) - 12 - 35);
}

TEST(Endgame, PassedPawnTerms) {
  // A lone white passed pawn e5: 4*4 + 8*(dist to the black king - dist to
  // the white king + 2*4), the king beside it adds 4 * its rank index (e4:
  // 3); unprotected it is weak (10) and isolated on a file without black
  // pawns (7).
  Endgame("4k3/8/8/4P3/4K3/8/8/8 w - - 0 1");
  EXPECT_EQ(LastEvalTerms.PawnsWhite, 16 + 8 * (3 - 1 + 8) + 4 * 3 - 10 - 7);
  // With a passed pawn the white king's centralisation counts a quarter.
  EXPECT_EQ(LastEvalTerms.PawnKingWhite, 24 / 4);
}

TEST(Endgame, NoPawnsMeansKingCentralisationOnly) {
  Endgame("8/8/8/8/3K4/8/p7/4k3 w - - 0 1");
  EXPECT_EQ(LastEvalTerms.PawnKingWhite, 24);
  EXPECT_EQ(LastEvalTerms.PawnsWhite, 0);
  Endgame("8/8/8/8/8/8/p7/1K2k3 w - - 0 1");
  EXPECT_EQ(LastEvalTerms.PawnKingWhite, 0);
}

TEST(Endgame, WeakPawnNextToTheEnemyKing) {
  Endgame("8/2p5/8/8/3k4/2P5/8/7K b - - 0 1");
  EXPECT_EQ(LastEvalTerms.WeakNearKingWhite, -13 - 12 - 2);
  EXPECT_EQ(LastEvalTerms.WeakNearKingBlack, 0);
  // Black's: the weak c6 next to the white king d5 (24): rank 5 - 12 - 20.
  Endgame("7k/8/2p5/3K4/8/8/2P5/8 w - - 0 1");
  EXPECT_EQ(LastEvalTerms.WeakNearKingBlack, -(5 - 12 - 20));
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
