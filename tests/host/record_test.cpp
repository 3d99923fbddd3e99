// The game record the host hands the plug-in, and its score texts.
#include <gtest/gtest.h>

#include "../../host/chess_rules.h"
#include "../../host/game_record.h"
#include "../../host/output.h"

namespace {

ChessPosition Fen(const std::string& text) {
  ChessPosition position{};
  std::string error;
  EXPECT_TRUE(ParseFen(text, &position, &error)) << error;
  return position;
}

}  // namespace

TEST(HostRecord, ShortGameIsSentWithItsStart) {
  ChessPosition start = Fen(StartFen);
  ChessMove move;
  ASSERT_TRUE(FindLegalMove(start, "e2e4", &move));
  GameRecord record{};
  FillGameRecord(&record, start, true, {move});
  EXPECT_EQ(record.StartsFromInitial, 1);
  EXPECT_EQ(record.MoveCount, 1);
  EXPECT_EQ(record.Moves[0], 12 | 28 << 6);
  EXPECT_EQ(record.WhiteToMove, 1);
  EXPECT_EQ(record.CastlingRights, 15);
  EXPECT_EQ(record.Board[4], HostKing);
  EXPECT_EQ(record.Board[60], HostKing + HostBlack);
}

TEST(HostRecord, EnPassantAndRightsOfAFenStart) {
  GameRecord record{};
  FillGameRecord(&record, Fen("4k2r/8/8/3pP3/8/8/8/4K3 w k d6 0 1"), false, {});
  EXPECT_EQ(record.StartsFromInitial, 0);
  EXPECT_EQ(record.EpSquare, 43);
  EXPECT_EQ(record.CastlingRights, CastleBlackShort);
  EXPECT_EQ(record.MoveCount, 0);
}

TEST(HostRecord, LongGameIsSentFromFiveHundredTwelveHalfMovesBeforeTheEnd) {
  // Knights out and back: 600 half-moves, every position legal.
  ChessPosition position = Fen(StartFen);
  ChessPosition start = position;
  const char* cycle[] = {"g1f3", "g8f6", "f3g1", "f6g8"};
  std::vector<ChessMove> moves;
  std::vector<ChessPosition> seen;
  for (int i = 0; i < 600; ++i) {
    seen.push_back(position);
    ChessMove move;
    ASSERT_TRUE(FindLegalMove(position, cycle[i % 4], &move));
    PlayMove(&position, move);
    moves.push_back(move);
  }
  GameRecord record{};
  FillGameRecord(&record, start, true, moves);
  EXPECT_EQ(record.StartsFromInitial, 0);
  EXPECT_EQ(record.MoveCount, 512);
  const ChessPosition& base = seen[600 - 512];
  EXPECT_EQ(0, memcmp(record.Board, base.Board, 64));
  EXPECT_EQ(record.WhiteToMove, base.WhiteToMove);
  EXPECT_EQ(record.Moves[0], MoveToCode(moves[600 - 512]));
  EXPECT_EQ(record.Moves[511], MoveToCode(moves[599]));
}

TEST(HostRecord, ScoreTexts) {
  EXPECT_EQ(UciScore(27), "cp 27");
  EXPECT_EQ(UciScore(-1500), "cp -1500");
  EXPECT_EQ(UciScore(29998), "mate 1");   // mate on the next move
  EXPECT_EQ(UciScore(29996), "mate 2");
  EXPECT_EQ(UciScore(-29997), "mate -1");  // mated after one move
  EXPECT_EQ(UciScore(-29995), "mate -2");
  EXPECT_EQ(HumanScore(27), "+0.27");
  EXPECT_EQ(HumanScore(-150), "-1.50");
  EXPECT_EQ(HumanScore(29998), "#1");
}
