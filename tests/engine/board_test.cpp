// Position set-up, derived-state rebuilding and the start-up tables.
#include <gtest/gtest.h>

#include <cstring>

#include "engine_test_util.h"

namespace {

int32_t CountPieces(const Board board) {
  int32_t n = 0;
  for (int32_t s = 0; s < 120; ++s)
    if (board[s] != Empty && board[s] != OffBoard) ++n;
  return n;
}

bool BorderIntact(const Board board) {
  for (int32_t s = 0; s < 120; ++s) {
    const bool playable = s / 10 >= 2 && s / 10 <= 9 && s % 10 >= 1 && s % 10 <= 8;
    if (!playable && board[s] != OffBoard) return false;
  }
  return true;
}

SquareSet SetOf(std::initializer_list<int32_t> squares) {
  SquareSet s{0, 0};
  for (int32_t q : squares) s |= SquareBit[q];
  return s;
}

}  // namespace

TEST(SetUp, EmptyRanksWithBlackToMoveKeepTheKingSquares) {
  EnsureEngine();
  SetUpStart();
  WhiteKingSquare = 33;
  BlackKingSquare = 77;
  SetUpFromText("8/8/8/8/8/8/8/8 b");
  EXPECT_EQ(CountPieces(GameBoard), 0);
  EXPECT_EQ(SideToMove, Black);
  EXPECT_EQ(WhiteKingSquare, 33);
  EXPECT_EQ(BlackKingSquare, 77);
  EXPECT_TRUE(BorderIntact(GameBoard));
}

TEST(SetUp, StandardTextAfterE4) {
  EnsureEngine();
  SetUpFromText("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1");
  EXPECT_EQ(GameBoard[55], Pawn);
  EXPECT_EQ(GameBoard[35], Empty);
  EXPECT_EQ(SideToMove, Black);
  EXPECT_EQ(EpSquare[0], 0);
  for (int32_t s = 21; s <= 98; ++s) EXPECT_EQ(MoveCount[s], 0) << s;
  EXPECT_EQ(WhiteKingSquare, SqE1);
  EXPECT_EQ(BlackKingSquare, SqE8);
}

TEST(SetUp, OnlyLowerCaseWMeansWhite) {
  EnsureEngine();
  SetUpFromText("4k3/8/8/8/8/8/8/4K3 W");
  EXPECT_EQ(SideToMove, Black);
  SetUpFromText("4k3/8/8/8/8/8/8/4K3 B");
  EXPECT_EQ(SideToMove, Black);
  SetUpFromText("4k3/8/8/8/8/8/8/4K3 w");
  EXPECT_EQ(SideToMove, White);
  SetUpFromText("4k3/8/8/8/8/8/8/4K3");
  EXPECT_EQ(SideToMove, White);
}

TEST(SetUp, EmptyTextGivesAnEmptyBoard) {
  EnsureEngine();
  SetUpStart();
  SetUpFromText("");
  EXPECT_EQ(CountPieces(GameBoard), 0);
  EXPECT_EQ(SideToMove, White);
  EXPECT_TRUE(BorderIntact(GameBoard));
}

TEST(SetUp, NineRanksStopAtTheEighthSlash) {
  EnsureEngine();
  SetUpFromText("4k3/8/8/8/8/8/8/4K3/8 b");
  EXPECT_EQ(SideToMove, White);
  EXPECT_EQ(GameBoard[SqE1], King);
  EXPECT_EQ(GameBoard[SqE8], -King);
}

TEST(SetUp, OtherCharactersAreSkipped) {
  EnsureEngine();
  SetUpFromText("4k3/8/8/9x0/8/8/8/4K3 w");
  EXPECT_EQ(CountPieces(GameBoard), 2);
  EXPECT_EQ(GameBoard[SqE1], King);
}

TEST(SetUp, OverlongRanksAndTooManyPlacementsStayOnTheBoard) {
  EnsureEngine();
  SetUpFromText("rnbqkbnrRRRRRRRRRRRRRRRRRRRRRRRRR/pppppppppppppp/8/8/8/8/PPPPPPPP/RNBQKBNRNNNN w");
  EXPECT_TRUE(BorderIntact(GameBoard));
  EXPECT_EQ(CountPieces(GameBoard), 32);
  EXPECT_EQ(GameBoard[98], -Rook);
  EXPECT_EQ(GameBoard[28], Rook);
  SetUpFromText("8K7k8888888888888888888888888888888888888888/QQQQQQQQQQQQQQQQQQQQQQQQQQQQQQ w");
  EXPECT_TRUE(BorderIntact(GameBoard));
  EXPECT_EQ(GameBoard[91], Empty);
  EXPECT_EQ(CountPieces(GameBoard), 8);  // only the eight queens of rank 7 fit
  // Every text of arbitrary bytes keeps the border.
  char text[200];
  uint32_t seed = 12345;
  for (int32_t n = 0; n < 300; ++n) {
    const int32_t length = int32_t(seed % 199);
    for (int32_t i = 0; i < length; ++i) {
      seed = seed * 1103515245u + 12345u;
      const char alphabet[] = "pnbrqkPNBRQK12345678/ wb-0KQkq9";
      text[i] = (seed >> 8) % 3 == 0 ? char(seed >> 16) : alphabet[(seed >> 16) % (sizeof alphabet - 1)];
      if (text[i] == '\0') text[i] = '1';
    }
    text[length] = '\0';
    SetUpFromText(text);
    ASSERT_TRUE(BorderIntact(GameBoard)) << text;
  }
}

TEST(SetUp, CastlingFieldIsHonoured) {
  EnsureEngine();
  const char* placement = "r3k2r/8/8/8/8/8/8/R3K2R";
  const struct {
    const char* Field;
    bool WhiteShort, WhiteLong, BlackShort, BlackLong;
  } cases[] = {{"KQkq", true, true, true, true}, {"-", false, false, false, false},
               {"Kq", true, false, false, true},  {"Qk", false, true, true, false},
               {"K", true, false, false, false},  {"q", false, false, false, true}};
  for (const auto& c : cases) {
    for (Side side : {White, Black}) {
      std::string text = std::string(placement) + (side == White ? " w " : " b ") + c.Field + " - 0 1";
      SetUpFromText(text.c_str());
      InstallGamePosition();
      GenerateAtPly();
      const bool expectShort = side == White ? c.WhiteShort : c.BlackShort;
      const bool expectLong = side == White ? c.WhiteLong : c.BlackLong;
      EXPECT_EQ(FindMove(side == White ? "e1g1" : "e8g8") >= 0, expectShort) << text;
      EXPECT_EQ(FindMove(side == White ? "e1c1" : "e8c8") >= 0, expectLong) << text;
    }
  }
  // Without a castling field every castling with king and rook at home is open.
  SetUpFromText("r3k2r/8/8/8/8/8/8/R3K2R w");
  InstallGamePosition();
  GenerateAtPly();
  EXPECT_GE(FindMove("e1g1"), 0);
  EXPECT_GE(FindMove("e1c1"), 0);
  // A refused castling stays refused for game moves too.
  SetUpFromText("r3k2r/8/8/8/8/8/8/R3K2R w Qkq - 0 1");
  EXPECT_EQ(Enter("e1g1"), -1);
  EXPECT_EQ(Enter("e1c1"), 0);
}

TEST(SetUp, StartPositionValuesAndTablesKept) {
  EnsureEngine();
  SearchPosition(nullptr);
  GenerateAtPly();
  MoveList[0].Score = 0;
  StoreEntry(0, 55, 3, BoundExact);
  SetUpStart();
  EXPECT_EQ(PieceMaterial[0], 6840);
  EXPECT_EQ(MaterialBalance[0], 0);
  EXPECT_EQ(GameMoveCount, 0);
  InstallGamePosition();
  EXPECT_EQ(ProbeEntry(-100, 100, 3), 55);  // the start set-up keeps the tables
  SetUpFromText("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w");
  InstallGamePosition();
  EXPECT_EQ(ProbeEntry(-100, 100, 3), NoCutoff);  // a text set-up empties them
}

TEST(SetUp, RecountMaterialOfTheStartPosition) {
  EnsureEngine();
  SetUpStart();
  std::memcpy(SearchBoard, GameBoard, sizeof(Board));
  BothSidesHavePieces = 0;
  PieceMaterial[0] = MaterialBalance[0] = 0;
  RecountMaterial();
  EXPECT_EQ(PieceMaterial[0], 6840);
  EXPECT_EQ(MaterialBalance[0], 0);
  EXPECT_EQ(PawnCount[WhiteIndex], 8);
  EXPECT_EQ(PawnCount[BlackIndex], 8);
  EXPECT_EQ(BothSidesHavePieces, 1);
  // A side without pieces leaves the flag as it was.
  SetUpFromText("4k3/pppp4/8/8/8/8/8/R3K3 b");
  std::memcpy(SearchBoard, GameBoard, sizeof(Board));
  BothSidesHavePieces = 0;
  RecountMaterial();
  EXPECT_EQ(BothSidesHavePieces, 0);
  EXPECT_EQ(PieceMaterial[0], 500);
  EXPECT_EQ(MaterialBalance[0], -(500 - 400));  // black to move
  BothSidesHavePieces = 1;
}

TEST(SetUp, RecomputeSetsAndKingSquares) {
  EnsureEngine();
  SetUpFromText("4k3/8/8/8/8/8/8/2K4R w");
  std::memcpy(SearchBoard, GameBoard, sizeof(Board));
  RecomputeSets();
  EXPECT_EQ(WhiteKingSquare, 23);
  EXPECT_EQ(BlackKingSquare, 95);
  EXPECT_TRUE(WhiteRooks == SquareBit[28]);
  EXPECT_TRUE(AllOccupied == SetOf({23, 28, 95}));
  EXPECT_EQ(PieceCount[WhiteIndex], 1);
  EXPECT_EQ(PieceCount[BlackIndex], 0);
}

TEST(Tables, FirstBitLookups) {
  EnsureEngine();
  EXPECT_EQ(LowSquareTable[0x8001], 21);
  EXPECT_EQ(HighSquareTable[0x8001], 38);
  EXPECT_EQ(LowestSquare(SquareBit[98]), 98);
  EXPECT_EQ(HighestSquare(SetOf({21, 55, 98})), 98);
  EXPECT_EQ(LowestSquare(SetOf({55, 98})), 55);
  for (int32_t b = 0; b < 64; ++b) {
    EXPECT_EQ(SquareToBit[BitToSquare[b]], b);
    SquareSet single = MakeSet(uint64_t(1) << b);
    EXPECT_EQ(LowestSquare(single), BitToSquare[b]);
    EXPECT_EQ(HighestSquare(single), BitToSquare[b]);
  }
  EXPECT_EQ(SquareToBit[20], 255);
  EXPECT_TRUE(IsEmpty(SquareBit[29]));
  EXPECT_TRUE(SquareBitClear[29] == (~SquareSet{0, 0}));
}

TEST(Tables, BetweenAndLines) {
  EnsureEngine();
  EXPECT_TRUE(BetweenTable[21][98] == SetOf({32, 43, 54, 65, 76, 87}));
  EXPECT_TRUE(BetweenTable[21][28] == SetOf({22, 23, 24, 25, 26, 27}));
  EXPECT_TRUE(IsEmpty(BetweenTable[21][32]));
  EXPECT_TRUE(IsEmpty(BetweenTable[55][55]));
  EXPECT_TRUE(BetweenTable[91][21] == SetOf({31, 41, 51, 61, 71, 81}));
  EXPECT_EQ(CountSquares(RookLineMask[55]), 14);
  EXPECT_EQ(CountSquares(BishopLineMask[21]), 7);
  EXPECT_EQ(CountSquares(BishopLineMask[55]), 13);
  EXPECT_TRUE(KnightMask[21] == SetOf({42, 33}));
  EXPECT_TRUE(IsEmpty(KnightMask[20]));
  EXPECT_TRUE(WhitePawnAttackMask[55] == SetOf({64, 66}));
  EXPECT_TRUE(BlackPawnAttackMask[55] == SetOf({44, 46}));
  EXPECT_TRUE(IsEmpty(WhitePawnAttackMask[21]));  // rank 1 holds no pawn
  EXPECT_TRUE(WhitePawnAttackMask[31] == SetOf({42}));
  EXPECT_TRUE(FileUpMask[55] == SetOf({55, 65, 75, 85, 95}));
  EXPECT_TRUE(FileDownMask[55] == SetOf({55, 45, 35, 25}));
  EXPECT_TRUE(NotFileA == ~SetOf({21, 31, 41, 51, 61, 71, 81, 91}));
  EXPECT_EQ(AdjacentTable[55][66], 1);
  EXPECT_EQ(AdjacentTable[55][57], 0);
  EXPECT_EQ(RankOf[55], 3);
  EXPECT_EQ(FileOf[55], 5);
  EXPECT_EQ(KingDistance[21][98], 7);
  EXPECT_EQ(KingDistance[55][66], 1);
}

TEST(Tables, PawnRaces) {
  EnsureEngine();
  // White pawn a5 (51), black king h8 (98): the queening square a8 is 7 away,
  // the pawn needs 3: the pawn runs. With the king on b6 (72) it does not.
  EXPECT_TRUE(Intersects(WhitePawnRace[98], SquareBit[61]));
  EXPECT_FALSE(Intersects(WhitePawnRace[72], SquareBit[61]));
  // Black pawn h4 (58), white king a1 (21): h1 is 7 away, the pawn needs 3.
  EXPECT_TRUE(Intersects(BlackPawnRace[21], SquareBit[58]));
  EXPECT_FALSE(Intersects(BlackPawnRace[37], SquareBit[58]));
  for (int32_t s = 21; s <= 98; ++s) {
    EXPECT_TRUE(IsEmpty(WhitePawnRaceLate[s] & ~WhitePawnRace[s]));
    EXPECT_TRUE(IsEmpty(BlackPawnRaceLate[s] & ~BlackPawnRace[s]));
  }
}

TEST(Tables, KeysAreFixed31BitNumbers) {
  for (int32_t i = 0; i < 1664; ++i) {
    EXPECT_LT(ZobristIndexTable[i], 0x80000000u);
    EXPECT_LT(ZobristCheckTable[i], 0x80000000u);
  }
  for (int32_t i = 0; i < 3; ++i) EXPECT_LT(SideKey[i], 0x80000000u);
  EXPECT_NE(SideKeyOf(White), SideKeyOf(Black));
  EXPECT_NE(ZobristIndexTable[13 * 21 + 1], ZobristIndexTable[13 * 21 - 1]);
}
