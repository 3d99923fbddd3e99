// Mating endgames: classification at the root and the evaluation terms.
#include <gtest/gtest.h>

#include "evaltestsupport.h"

namespace {

TEST(MatingEndgame, Classification) {
  // StrongSide and BishopColour are checked where given (not 0).
  const struct {
    const char* Text;
    int32_t Class, Strong, Bishop;
  } cases[] = {
      {"4k3/8/8/8/8/8/4P3/3QK3 w - - 0 1", 0, 0, 0},   // K+Q+P: a pawn
      {"4k3/4p3/8/8/8/8/8/2B1KB2 w - - 0 1", 0, 0, 0},  // the weak side has a pawn
      {"4k3/8/8/8/8/8/8/1NB1KB2 w - - 0 1", 3, 0, 0},   // two bishops and a knight
      {"4k3/8/8/8/8/8/8/4K3 w - - 0 1", 0, -1, 0},
      {"4k3/8/8/8/8/8/8/1N2K2R w - - 0 1", 1, 0, 0},    // rook and knight
      {"4k3/8/8/8/8/8/8/R3K2R w - - 0 1", 0, 0, 0},     // two rooks: none
      {"4k3/8/8/8/8/8/8/4K1NN w - - 0 1", 0, 0, 0},     // two knights: none
      {"4k3/8/8/8/8/8/8/1B2K1N1 w - - 0 1", 2, 1, 1},   // b1 is light
      {"4k1b1/8/8/8/8/8/8/4K3 w - - 0 1", 0, 0, 0},
      {"4kb1n/8/8/8/8/8/8/4K3 w - - 0 1", 2, -1, -1},   // f8 is dark
      {"q3k3/8/8/8/8/8/8/4K3 b - - 0 1", 1, -1, 0},
      {"4k3/8/8/8/8/8/5b2/4K1b1 w - - 0 1", 3, -1, 0},
      {"4k3/8/8/1B6/8/8/8/2B1K3 b - - 0 1", 3, 1, 0},
  };
  for (const auto& c : cases) {
    SetPosition(c.Text);
    EXPECT_EQ(MatingClass, c.Class) << c.Text;
    if (c.Strong) {
      EXPECT_EQ(StrongSide, c.Strong) << c.Text;
    }
    if (c.Bishop) {
      EXPECT_EQ(BishopColour, c.Bishop) << c.Text;
    }
  }
  // A mating class is phase 2; bare kings are an endgame.
  SetPosition("4k3/8/8/8/8/8/8/1NB1KB2 w - - 0 1");
  EXPECT_EQ(GamePhase, 2);
  SetPosition("4k3/8/8/8/8/8/8/4K3 w - - 0 1");
  EXPECT_EQ(GamePhase, 1);
}

void Mating(const char* text) {
  SetPosition(text);
  ASSERT_NE(MatingClass, 0);
  EvaluateRoot();
}

TEST(MatingEndgame, Terms) {
  ExpectTerms(
      {
          // Queen a1: -2 * Manhattan(a1, e6) = -18; king e4: table 24;
          // opposition against (white to move) or for (black to move) white.
          // Black king e6 (table 32) far from the white king: + 2 * Manhattan.
          {"8/8/4k3/8/4K3/8/8/Q7 w - - 0 1", &EvalTerms::MatingWhiteMen, -18 + 24 - 20},
          {"8/8/4k3/8/4K3/8/8/Q7 w - - 0 1", &EvalTerms::MatingBlackMen, -32 + 4},
          {"8/8/4k3/8/4K3/8/8/Q7 b - - 0 1", &EvalTerms::MatingWhiteMen, -18 + 24 + 20},
          // Side by side on a rank, two files apart: opposition too.
          {"8/8/8/8/2k1K3/8/8/Q7 w - - 0 1", &EvalTerms::MatingWhiteMen, -2 * (2 + 3) + 24 - 20},
          // Black strong: the white king's table and -2 * Manhattan for it;
          // the black king without the distance term.
          {"8/8/8/8/8/8/1k6/K6r w - - 0 1", &EvalTerms::MatingWhiteMen, -20 - 2 * 2},
          {"8/8/8/8/8/8/1k6/K6r w - - 0 1", &EvalTerms::MatingBlackMen, 2 * 7 - 8},
          // Light bishop b1: the lone king belongs in a8 or h1 (three free
          // squares, corner distance 0); on h8, h7 is covered by the bishop.
          {"k7/8/8/8/8/8/8/KBN5 w - - 0 1", &EvalTerms::MatingLoneKing, -3},
          {"7k/8/8/8/8/8/8/KBN5 w - - 0 1", &EvalTerms::MatingLoneKing, -2 - 448},
          // The lone king's edge penalty skips the a-file.
          {"8/8/8/8/k7/8/8/KBN5 w - - 0 1", &EvalTerms::MatingBlackMen, 0},
          {"8/8/8/8/7k/8/8/KBN5 w - - 0 1", &EvalTerms::MatingBlackMen, 80},
          // White's king alone on e1, checked by the bishop f2: +20, free d1,
          // f1, d2, e2 (+4), nearest corner h1 at 3 (+192). Black's king alone
          // on e8, checked by the bishop b5: -30, free d8, f8, e7, f7 (-4),
          // nearest corner h8 at 3 (-192).
          {"4k3/8/8/8/8/8/5b2/4K1b1 w - - 0 1", &EvalTerms::MatingLoneKing, 20 + 4 + 192},
          {"4k3/8/8/1B6/8/8/8/2B1K3 b - - 0 1", &EvalTerms::MatingLoneKing, -30 - 4 - 192},
          // White Kc3 (strong table 40), Nd4, Bb1; black king e5 (lone table
          // 90). Knight: 4 * (8 - 1); king: 4 * 40 - 8 * 2.
          {"8/8/8/4k3/3N4/2K5/8/1B6 w - - 0 1", &EvalTerms::MatingWhiteMen, 28 + 160 - 16},
          {"8/8/8/4k3/3N4/2K5/8/1B6 w - - 0 1", &EvalTerms::MatingBlackMen, -4 * 90},
      },
      Mating);
}

}  // namespace
