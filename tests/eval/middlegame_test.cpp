// Middlegame evaluator: king safety, knights, bishops, rooks, queens,
// seventh rank, bishop pair; hand-computed positions.
#include <gtest/gtest.h>

#include <string>

#include "evaltestsupport.h"

namespace {

// Middlegame terms of a position whatever its material.
void Middlegame(const char* text) {
  SetPosition(text);
  GamePhase = 0;
  MatingClass = 0;
  EvaluateRoot();
  ASSERT_EQ(LastEvalTerms.Path, EvalPathMiddlegame);
}

// Middlegame terms again after changing castling state by hand.
void Again() {
  CurrentPawnSlot().Tag = 0;
  EvaluateRoot();
}

TEST(Middlegame, PieceTerms) {
  ExpectTerms(
      {
          // Nf5 attacks Kg7 and Rd6 and is not attacked: 10 - 2*2 + 120 + outpost 3.
          {"8/6k1/3r3p/5Np1/8/8/8/K7 w - - 0 1", &EvalTerms::KnightsWhite, 10 - 4 + 120 + 3},
          // Two rooks, or two queens, make a fork as well: 10 - 2*5 + 120 + 3.
          {"k7/8/3r3r/5N2/8/8/8/K7 w - - 0 1", &EvalTerms::KnightsWhite, 123},
          {"k7/8/3q3q/5N2/8/8/8/K7 w - - 0 1", &EvalTerms::KnightsWhite, 123},
          // With the pawn on g6 instead of g5 it attacks f5: no fork and no outpost.
          {"8/6k1/3r2pp/5N2/8/8/8/K7 w - - 0 1", &EvalTerms::KnightsWhite, 10 - 4},
          // Outpost supported by a pawn (black's image: EvalDifferential.ColourMirror*).
          {"k7/pp6/8/4N3/3P4/8/8/7K w - - 0 1", &EvalTerms::KnightsWhite, 12 - 2 * 4 + 4 + 8},
          // Nb1 with Ra1: table -5, distance 7 to the king, -8.
          {"4k3/pppppppp/8/8/8/8/PPPPPPPP/RN2K3 w - - 0 1", &EvalTerms::KnightsWhite, -5 - 2 * 7 - 8},
          // Trapped bishop; not when b6 is defended only by the king, nor
          // without a black pawn on b7 or b6; black's mirror.
          {"4k3/B1p5/1p6/8/8/8/8/4K3 w - - 0 1", &EvalTerms::BishopsWhite, 2 - 4 - 140},
          {"8/B7/1pk5/8/8/8/8/4K3 w - - 0 1", &EvalTerms::BishopsWhite, 2 - 2},
          {"4k3/B7/8/8/8/8/8/4K3 w - - 0 1", &EvalTerms::BishopsWhite, 2 - 4},
          {"4k3/8/8/8/8/6P1/5P1b/4K3 w - - 0 1", &EvalTerms::BishopsBlack, -(2 - 3 - 140)},
          // Blocking the centre pawn; fianchetto; the pair.
          {"4k3/8/8/8/8/3B4/3P4/4K3 w - - 0 1", &EvalTerms::BishopsWhite, 20 - 5 - 20},
          {"4k3/8/8/8/8/8/5PBP/6K1 w - - 0 1", &EvalTerms::BishopsWhite, 8 - 6 + 4},
          {"4k3/8/8/8/8/8/8/2B1KB2 w - - 0 1", &EvalTerms::BishopsWhite, (2 - 7) + (2 - 7) + 15},
          // Doubled rooks on an open file.
          {"7k/6pp/8/8/8/8/3R4/3R2K1 w - - 0 1", &EvalTerms::RooksWhite, 2 * (24 + 17)},
          // A rook boxed in by its king.
          {"k7/pp5p/8/8/8/8/7P/6KR w - - 0 1", &EvalTerms::RooksWhite, -20},
          // Ra1 behind the passed a5 (rank index 4): 2*4 + 4; the file has no
          // black pawn but a white pawn ahead of the rook, so no +8.
          {"4k3/5ppp/8/P7/8/8/8/R5K1 w - - 0 1", &EvalTerms::RooksWhite, 8 + 4},
          // Black king g8 without pawns on g or h: Rg1 on the open g-file
          // scores 24, near the king 6 + 4.
          {"6k1/ppp5/8/8/8/8/PPP5/K5R1 w - - 0 1", &EvalTerms::RooksWhite, 24 + 10},
          // The seventh rank: one rook, two rooks.
          {"6k1/R4ppp/8/8/8/8/8/K7 w - - 0 1", &EvalTerms::RooksWhite, 24 + 12},
          {"6k1/RR3ppp/8/8/8/8/8/K7 w - - 0 1", &EvalTerms::RooksWhite, 24 + 24 + 12 + 35},
      },
      Middlegame);
}

TEST(Middlegame, CastlingStatus) {
  // A castling right missing from the position text marks its rook as moved,
  // so it counts here as well: both rights gone is -50, as a moved king.
  const struct {
    const char* Rights;
    int32_t White, Black;
  } cases[] = {{"-", -50, 50}, {"kq", -50, 28}, {"K", -28, 50}, {"Qkq", -28, 28}, {"KQkq", -28, 28}};
  for (const auto& c : cases) {
    Middlegame((std::string("r3k2r/pppppppp/8/8/8/8/PPPPPPPP/R3K2R w ") + c.Rights + " - 0 1").c_str());
    EXPECT_EQ(LastEvalTerms.KingWhite, c.White) << c.Rights;
    EXPECT_EQ(LastEvalTerms.KingBlack, c.Black) << c.Rights;
  }
  MoveCount[SqE8] = 1;
  Again();
  EXPECT_EQ(LastEvalTerms.KingBlack, 50);
  CastledFlags[0][WhiteIndex] = 1;
  CastledFlags[0][BlackIndex] = 1;
  Again();
  EXPECT_EQ(LastEvalTerms.KingWhite, 0);
  EXPECT_EQ(LastEvalTerms.KingBlack, 0);
}

TEST(Middlegame, FileCoverAtTheKing) {
  // White king g1 with pawns f2, h2 (g-file open); black has a queen: 16.
  // Without the black queen: 8; on the h-file the empty column beside it counts.
  for (const char* text : {"q3k3/pppppppp/8/8/8/8/5P1P/6K1 w - - 0 1", "4k3/pppppppp/8/8/8/8/6P1/7K w - - 0 1"}) {
    Middlegame(text);
    CastledFlags[0][WhiteIndex] = 1;
    CastledFlags[0][BlackIndex] = 1;
    Again();
    EXPECT_EQ(LastEvalTerms.KingWhite, -16) << text;
  }
}

TEST(Middlegame, QueenOnTheSeventh) {
  Middlegame("6k1/RRQ2ppp/8/8/8/8/8/K7 w - - 0 1");
  CastledFlags[0][WhiteIndex] = 1;
  Again();
  EXPECT_EQ(LastEvalTerms.RooksWhite, 24 + 24 + 12 + 35);
  EXPECT_EQ(LastEvalTerms.QueensWhite, 2 * (6 - 4) + 20 + 10);
  // A queen alone on the seventh: 10.
  Middlegame("6k1/2Q2ppp/8/8/8/8/8/K7 w - - 0 1");
  CastledFlags[0][WhiteIndex] = 1;
  Again();
  EXPECT_EQ(LastEvalTerms.QueensWhite, 2 * (6 - 4) + 10);
}

TEST(Middlegame, EarlyQueen) {
  Middlegame("rnbqkbnr/pppppppp/8/8/8/3Q4/PPPPPPPP/RNB1KBNR w KQkq - 0 1");
  MoveCount[SqG1] = 1;
  Again();
  EXPECT_EQ(LastEvalTerms.QueensWhite, -15);
  // With three of b1, c1, f1, g1 moved the queen is judged normally.
  MoveCount[SqB1] = MoveCount[SqC1] = 1;
  Again();
  EXPECT_EQ(LastEvalTerms.QueensWhite, 2 * (2 - 5));
  // Black: +15 beyond its second rank, and the mirrored normal term.
  Middlegame("rnb1kbnr/pppppppp/3q4/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
  EXPECT_EQ(LastEvalTerms.QueensBlack, 15);
  MoveCount[SqB8] = MoveCount[SqC8] = MoveCount[SqG8] = 1;
  Again();
  EXPECT_EQ(LastEvalTerms.QueensBlack, 2 * 5 + 2 * 5 - 14);
}

}  // namespace
