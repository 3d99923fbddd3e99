// Mating endgames: classification at the root and the evaluation terms.
#include <gtest/gtest.h>

#include "evaltestsupport.h"

namespace {

TEST(MatingEndgame, Classification) {
  SetPosition("4k3/8/8/8/8/8/4P3/3QK3 w - - 0 1");  // K+Q+P: a pawn
  EXPECT_EQ(MatingClass, 0);
  SetPosition("4k3/4p3/8/8/8/8/8/2B1KB2 w - - 0 1");  // the weak side has a pawn
  EXPECT_EQ(MatingClass, 0);
  SetPosition("4k3/8/8/8/8/8/8/1NB1KB2 w - - 0 1");  // two bishops and a knight
  EXPECT_EQ(MatingClass, 3);
  EXPECT_EQ(GamePhase, 2);
  SetPosition("4k3/8/8/8/8/8/8/4K3 w - - 0 1");
  EXPECT_EQ(MatingClass, 0);
  EXPECT_EQ(StrongSide, -1);
  EXPECT_EQ(GamePhase, 1);
  SetPosition("4k3/8/8/8/8/8/8/1N2K2R w - - 0 1");  // rook and knight: class 1
  EXPECT_EQ(MatingClass, 1);
  SetPosition("4k3/8/8/8/8/8/8/R3K2R w - - 0 1");  // two rooks: none
  EXPECT_EQ(MatingClass, 0);
  SetPosition("4k3/8/8/8/8/8/8/4K1NN w - - 0 1");  // two knights: none
  EXPECT_EQ(MatingClass, 0);
  SetPosition("4k3/8/8/8/8/8/8/1B2K1N1 w - - 0 1");
  EXPECT_EQ(MatingClass, 2);
  EXPECT_EQ(StrongSide, 1);
  EXPECT_EQ(BishopColour, 1);  // b1 is light
  SetPosition("4k1b1/8/8/8/8/8/8/4K3 w - - 0 1");
  EXPECT_EQ(MatingClass, 0);
  SetPosition("4kb1n/8/8/8/8/8/8/4K3 w - - 0 1");
  EXPECT_EQ(MatingClass, 2);
  EXPECT_EQ(StrongSide, -1);
  EXPECT_EQ(BishopColour, -1);  // f8 is dark
  SetPosition("q3k3/8/8/8/8/8/8/4K3 b - - 0 1");
  EXPECT_EQ(MatingClass, 1);
  EXPECT_EQ(StrongSide, -1);
}

TEST(MatingEndgame, OppositionOfTheKings) {
  // Queen a1: -2 * Manhattan(a1, e6) = -18; king e4: table 24; opposition.
  SetPosition("8/8/4k3/8/4K3/8/8/Q7 w - - 0 1");
  EvaluateRoot();
  EXPECT_EQ(LastEvalTerms.MatingWhiteMen, -18 + 24 - 20);
  // Black king e6 (table 32) far from the white king: + 2 * Manhattan = 4.
  EXPECT_EQ(LastEvalTerms.MatingBlackMen, -32 + 4);
  SetPosition("8/8/4k3/8/4K3/8/8/Q7 b - - 0 1");
  EvaluateRoot();
  EXPECT_EQ(LastEvalTerms.MatingWhiteMen, -18 + 24 + 20);
  // Side by side on a rank, two files apart: opposition too.
  SetPosition("8/8/8/8/2k1K3/8/8/Q7 w - - 0 1");
  EvaluateRoot();
  EXPECT_EQ(LastEvalTerms.MatingWhiteMen, -2 * (2 + 3) + 24 - 20);
}

TEST(MatingEndgame, LoneWhiteKingAgainstRook) {
  // Black strong: the white king's table and -2 * Manhattan for it; black
  // king without the distance term.
  SetPosition("8/8/8/8/8/8/1k6/K6r w - - 0 1");
  EvaluateRoot();
  const int32_t manhattanKings = 1 + 1;
  EXPECT_EQ(LastEvalTerms.MatingWhiteMen, -20 - 2 * manhattanKings);
  EXPECT_EQ(LastEvalTerms.MatingBlackMen, 2 * 7 - 8);
}

TEST(MatingEndgame, BishopAndKnightCornerOfTheBishopsColour) {
  // Light bishop b1: the lone king belongs in a8 or h1.
  SetPosition("k7/8/8/8/8/8/8/KBN5 w - - 0 1");
  EvaluateRoot();
  EXPECT_EQ(LastEvalTerms.MatingLoneKing, -3);  // three free squares, corner distance 0
  SetPosition("7k/8/8/8/8/8/8/KBN5 w - - 0 1");
  EvaluateRoot();
  EXPECT_EQ(LastEvalTerms.MatingLoneKing, -2 - 448);  // h7 covered by the bishop
}

TEST(MatingEndgame, LoneKingEdgePenaltySkipsTheAFile) {
  SetPosition("8/8/8/8/k7/8/8/KBN5 w - - 0 1");
  EvaluateRoot();
  EXPECT_EQ(LastEvalTerms.MatingBlackMen, 0);
  SetPosition("8/8/8/8/7k/8/8/KBN5 w - - 0 1");
  EvaluateRoot();
  EXPECT_EQ(LastEvalTerms.MatingBlackMen, 80);
}

TEST(MatingEndgame, LoneKingInCheck) {
  // White's king alone on e1, checked by the bishop f2: +20 for white,
  // free d1, f1, d2, e2 (+4), nearest corner h1 at 3 (+192).
  SetPosition("4k3/8/8/8/8/8/5b2/4K1b1 w - - 0 1");
  ASSERT_EQ(MatingClass, 3);
  EvaluateRoot();
  EXPECT_EQ(LastEvalTerms.MatingLoneKing, 20 + 4 + 192);
  // Black's king alone on e8, checked by the bishop b5: -30, free d8, f8,
  // e7, f7 (-4), nearest corner h8 at 3 (-192).
  SetPosition("4k3/8/8/1B6/8/8/8/2B1K3 b - - 0 1");
  ASSERT_EQ(MatingClass, 3);
  EvaluateRoot();
  EXPECT_EQ(LastEvalTerms.MatingLoneKing, -30 - 4 - 192);
}

TEST(MatingEndgame, StrongKingAndKnightTerms) {
  // White Kc3 (strong table 40), Nd4, Bb1; black king e5 (lone table 90).
  SetPosition("8/8/8/4k3/3N4/2K5/8/1B6 w - - 0 1");
  EvaluateRoot();
  // Knight: 4 * (8 - 1); king: 4 * 40 - 8 * 2.
  EXPECT_EQ(LastEvalTerms.MatingWhiteMen, 28 + 160 - 16);
  EXPECT_EQ(LastEvalTerms.MatingBlackMen, -4 * 90);
}

}  // namespace
