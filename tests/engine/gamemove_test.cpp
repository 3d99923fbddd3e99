// Game moves entered as text: castling, en passant, promotions, the
// repetition keys, and refusal of texts that name no move.
#include <gtest/gtest.h>

#include <cstring>

#include "engine/root.h"
#include "engine_test_util.h"

namespace {

// The game state a game move changes, or a refused one leaves alone.
std::vector<StatePart> GameStateParts() {
  return {{"board", GameBoard, sizeof(Board)},           {"moves", &GameMoveCount, sizeof GameMoveCount},
          {"side", &SideToMove, sizeof SideToMove},       {"en passant", &EpSquare[0], sizeof EpSquare[0]},
          {"castled", CastledFlags[0], sizeof CastledFlags[0]}, {"move counts", MoveCount, sizeof MoveCount},
          {"keys", RepetitionKeys, sizeof RepetitionKeys}};
}

typedef StateCopy GameState;
GameState TakeGame() { return CopyState(GameStateParts()); }
// The parts of the game state that differ from BEFORE.
std::string GameChanges(const GameState& before) { return ChangedParts(before, GameStateParts()); }

void StartGame(const char* text) {
  EnsureEngine();
  if (text == nullptr) SetUpStart();
  else SetUpFromText(text);
}

}  // namespace

TEST(GameMoves, DoubleStepFromTheStart) {
  StartGame(nullptr);
  EXPECT_EQ(Enter("e2e4"), 0);
  EXPECT_EQ(GameBoard[55], Pawn);
  EXPECT_EQ(GameBoard[35], Empty);
  EXPECT_EQ(EpSquare[0], 45);
  EXPECT_EQ(MoveCount[35], 1);
  EXPECT_EQ(SideToMove, Black);
  EXPECT_EQ(GameMoveCount, 1);
  EXPECT_EQ(RepetitionKeys[0], BoardIndexKey(GameBoard));
  // Any move that is not a double step clears the en-passant square.
  EXPECT_EQ(Enter("g8f6"), 0);
  EXPECT_EQ(EpSquare[0], 0);
  // Upper-case file letters name the same move; the caller's text is turned
  // to upper case.
  const GameState lower = TakeGame();
  StartGame(nullptr);
  char text[] = "e2e4";
  EXPECT_EQ(ObrantuleEnterMove(text), 0);
  EXPECT_STREQ(text, "E2E4");
  EXPECT_EQ(Enter("G8F6"), 0);
  EXPECT_EQ(GameChanges(lower), "");
}

TEST(GameMoves, CastlingMovesTheRookAndSetsTheFlag) {
  StartGame("r3k2r/pppppppp/8/8/8/8/PPPPPPPP/R3K2R w KQkq - 0 1");
  EXPECT_EQ(Enter("e1g1"), 0);
  EXPECT_EQ(GameBoard[SqG1], King);
  EXPECT_EQ(GameBoard[SqF1], Rook);
  EXPECT_EQ(GameBoard[SqH1], Empty);
  EXPECT_EQ(CastledFlags[0][WhiteIndex], 1);
  EXPECT_EQ(MoveCount[SqE1], 1);
  EXPECT_EQ(MoveCount[SqH1], 0);
  EXPECT_EQ(Enter("e8c8"), 0);
  EXPECT_EQ(GameBoard[SqC8], -King);
  EXPECT_EQ(GameBoard[SqD8], -Rook);
  EXPECT_EQ(GameBoard[SqA8], Empty);
  EXPECT_EQ(CastledFlags[0][BlackIndex], 1);
}

TEST(GameMoves, PromotionLetters) {
  const struct {
    const char* Text;
    Piece Result;
  } cases[] = {{"e7e8N", Knight}, {"e7e8n", Queen}, {"e7e8", Queen},  {"e7e8b", Bishop},
               {"e7e8B", Bishop}, {"e7e8R", Rook},  {"e7e8Q", Queen}, {"e7e8x", Queen}};
  for (const auto& c : cases) {
    StartGame("8/4P3/8/8/8/8/k7/7K w - - 0 1");
    EXPECT_EQ(Enter(c.Text), 0) << c.Text;
    EXPECT_EQ(GameBoard[95], c.Result) << c.Text;
    EXPECT_EQ(GameBoard[85], Empty) << c.Text;
  }
}

TEST(GameMoves, EnPassantRemovesThePawnAndClearsTheSquare) {
  StartGame(nullptr);
  for (const char* move : {"e2e4", "a7a6", "e4e5", "d7d5"}) ASSERT_EQ(Enter(move), 0) << move;
  EXPECT_EQ(EpSquare[0], 74);
  EXPECT_EQ(Enter("e5d6"), 0);
  EXPECT_EQ(GameBoard[74], Pawn);
  EXPECT_EQ(GameBoard[64], Empty);
  EXPECT_EQ(EpSquare[0], 0);
  EXPECT_EQ(GameMoveCount, 5);
}

TEST(GameMoves, RepetitionKeysFollowTheGame) {
  StartGame(nullptr);
  const char* moves[] = {"g1f3", "g8f6", "f3g1", "f6g8", "g1f3"};
  for (const char* move : moves) ASSERT_EQ(Enter(move), 0);
  EXPECT_EQ(GameMoveCount, 5);
  EXPECT_EQ(RepetitionKeys[0], RepetitionKeys[4]);
  EXPECT_NE(RepetitionKeys[0], RepetitionKeys[1]);
  // The position after the fourth move is the start position again.
  SetUpStart();
  EXPECT_EQ(BoardIndexKey(GameBoard), RepetitionKeys[3]);
}

TEST(GameMoves, TheSearchStartsFromTheGameKeys) {
  StartGame(nullptr);
  ASSERT_EQ(Enter("e2e4"), 0);
  ASSERT_EQ(Enter("e7e5"), 0);
  InstallGamePosition();
  EXPECT_EQ(RepetitionCount, 2);
  EXPECT_EQ(HashKey.Index, RepetitionKeys[1]);
}

TEST(GameMoves, ALongGameKeepsTheNewestKeysInBounds) {
  StartGame(nullptr);
  const char* cycle[] = {"g1f3", "g8f6", "f3g1", "f6g8"};
  uint32_t keys[4];
  for (int32_t i = 0; i < 4; ++i) {
    ASSERT_EQ(Enter(cycle[i]), 0);
    keys[i] = RepetitionKeys[i];
  }
  for (int32_t n = 4; n < 1203; ++n) ASSERT_EQ(Enter(cycle[n % 4]), 0) << n;
  EXPECT_EQ(GameMoveCount, GameKeyLimit);
  // The last entry is the position after the newest move (move 1203).
  EXPECT_EQ(RepetitionKeys[GameKeyLimit - 1], keys[1202 % 4]);
  EXPECT_EQ(RepetitionKeys[GameKeyLimit - 2], keys[1201 % 4]);
  InstallGamePosition();
  EXPECT_EQ(RepetitionCount, GameKeyLimit);
  EXPECT_EQ(HashKey.Index, RepetitionKeys[GameKeyLimit - 1]);
  // A search path on top still fits.
  for (int32_t p = 0; p < PlyLimit - 2; ++p) MakeMove(NullMove);
  EXPECT_LE(RepetitionCount, RepetitionKeyCapacity);
  while (Ply > 0) UnmakeMove(NullMove);
}

TEST(GameMoves, ManyKingMovesNeverBringCastlingBack) {
  StartGame("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1");
  for (int32_t n = 0; n < 300; ++n) {
    ASSERT_EQ(Enter("e1f1"), 0);
    ASSERT_EQ(Enter("a8b8"), 0);
    ASSERT_EQ(Enter("f1e1"), 0);
    ASSERT_EQ(Enter("b8a8"), 0);
  }
  InstallGamePosition();
  GenerateAtPly();
  EXPECT_EQ(FindMove("e1g1"), -1);
  EXPECT_EQ(FindMove("e1c1"), -1);
}

TEST(GameMoves, ARookCapturedAtHomeCannotBeReplacedForCastling) {
  // Black takes the h1 rook, the other white rook retakes on h1: that rook
  // has never castled rights.
  StartGame("r3k2r/8/8/8/3p1p2/8/4P3/R3K1RR w KQkq - 0 1");
  for (const char* move : {"e2e4", "h8h1", "g1h1", "a8a1"}) ASSERT_EQ(Enter(move), 0) << move;
  InstallGamePosition();
  GenerateAtPly();
  EXPECT_EQ(FindMove("e1g1"), -1);
  EXPECT_EQ(FindMove("e1c1"), -1);
  EXPECT_EQ(MoveCount[SqH1], 2);  // taken twice
  EXPECT_EQ(MoveCount[SqA1], 1);
}

TEST(GameMoves, TextsThatNameNoMoveAreRefusedWithoutChange) {
  StartGame(nullptr);
  ASSERT_EQ(Enter("e2e4"), 0);
  const GameState before = TakeGame();
  const char* refused[] = {"",      "e2",      "e2e",    "e7e5x1", "e2e4e4e4", "e4e6",  "i2i4",
                           "e9e8",  "a1a2",    "g1g3",   "e1g1",   "----",     "e7e5  ", "0000"};
  for (const char* text : refused) {
    EXPECT_EQ(Enter(text), -1) << '"' << text << '"';
    EXPECT_EQ(GameChanges(before), "") << '"' << text << '"';
  }
  char longText[] = "e7e5e7e5e7e5e7e5e7e5e7e5e7e5e7e5e7e5e7e5e7e5";
  EXPECT_EQ(ObrantuleEnterMove(longText), 0);
  EXPECT_EQ(GameChanges(before), "");
  EXPECT_EQ(Enter("e7e5"), 0);
  EXPECT_EQ(GameMoveCount, 2);
}

TEST(GameMoves, MovesThatLeaveTheKingAttackedAreRefused) {
  const struct {
    const char* Text;
    const char* First;  // played before, "" for none
    const char* Illegal;
    const char* Legal;
  } cases[] = {{"4k3/8/8/8/8/8/4r3/4K3 w - - 0 1", "", "e1f2", "e1e2"},      // into the rook's rank
               {"4k3/8/8/8/8/8/8/r2BK3 w - - 0 1", "", "d1e2", "e1f1"},      // a pinned bishop
               {"8/8/8/8/8/8/8/K1k5 w - - 0 1", "", "a1b1", "a1a2"},         // next to the other king
               {"8/8/8/8/k3p2R/8/3P4/4K3 w - - 0 1", "d2d4", "e4d3", "e4e3"}};  // en passant opens the rank
  for (const auto& c : cases) {
    StartGame(c.Text);
    if (c.First[0] != '\0') {
      ASSERT_EQ(Enter(c.First), 0) << c.Text;
    }
    const GameState before = TakeGame();
    EXPECT_EQ(Enter(c.Illegal), -1) << c.Text;
    EXPECT_EQ(GameChanges(before), "") << c.Text;
    EXPECT_EQ(Enter(c.Legal), 0) << c.Text;
  }
}

TEST(GameMoves, SquareFromText) {
  const std::pair<const char*, int32_t> cases[] = {{"A1", 21}, {"H8", 98}, {"E4", 55}, {"e4", -1},
                                                   {"I1", -1}, {"A9", -1}, {"A0", -1}, {"A", -1}};
  for (const auto& c : cases) EXPECT_EQ(SquareFromText(c.first), c.second) << c.first;
}
