// Position set-up, derived-state rebuilding and the start-up tables.
#include <gtest/gtest.h>

#include <cstring>

#include "engine/root.h"
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

TEST(SetUp, TextForms) {
  // Only a lower-case "w" (or no side) means white; an empty text is an empty board; a
  // ninth rank and characters that mean nothing are skipped.
  const struct {
    const char* Text;
    Side ToMove;
    int32_t Pieces;
  } cases[] = {{"4k3/8/8/8/8/8/8/4K3 W", Black, 2}, {"4k3/8/8/8/8/8/8/4K3 B", Black, 2},
               {"4k3/8/8/8/8/8/8/4K3 w", White, 2}, {"4k3/8/8/8/8/8/8/4K3", White, 2},
               {"", White, 0},                      {"4k3/8/8/8/8/8/8/4K3/8 b", White, 2},
               {"4k3/8/8/9x0/8/8/8/4K3 w", White, 2}};
  EnsureEngine();
  for (const auto& c : cases) {
    SetUpStart();
    SetUpFromText(c.Text);
    EXPECT_EQ(SideToMove, c.ToMove) << c.Text;
    EXPECT_EQ(CountPieces(GameBoard), c.Pieces) << c.Text;
    EXPECT_TRUE(BorderIntact(GameBoard)) << c.Text;
    if (c.Pieces == 2) {
      EXPECT_EQ(GameBoard[SqE1], King) << c.Text;
      EXPECT_EQ(GameBoard[SqE8], -King) << c.Text;
    }
  }
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

TEST(Tables, KeysAreFixed31BitNumbers) {
  for (int32_t i = 0; i < 1664; ++i) {
    EXPECT_LT(ZobristIndexTable[i], 0x80000000u);
    EXPECT_LT(ZobristCheckTable[i], 0x80000000u);
  }
  for (int32_t i = 0; i < 3; ++i) EXPECT_LT(SideKey[i], 0x80000000u);
  EXPECT_NE(SideKeyOf(White), SideKeyOf(Black));
  EXPECT_NE(ZobristIndexTable[13 * 21 + 1], ZobristIndexTable[13 * 21 - 1]);
}
