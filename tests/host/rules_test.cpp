// The host's rules: move counts against published perft values, FEN
// reading and writing, and refusal of bad input.
#include <gtest/gtest.h>

#include "../../host/chess_rules.h"

namespace {

uint64_t Perft(const ChessPosition& position, int depth) {
  std::vector<ChessMove> moves = LegalMoves(position);
  if (depth == 1) return moves.size();
  uint64_t count = 0;
  for (const ChessMove& move : moves) {
    ChessPosition next = position;
    PlayMove(&next, move);
    count += Perft(next, depth - 1);
  }
  return count;
}

ChessPosition Fen(const std::string& text) {
  ChessPosition position{};
  std::string error;
  EXPECT_TRUE(ParseFen(text, &position, &error)) << error;
  return position;
}

}  // namespace

TEST(HostRules, PerftMatchesKnownCounts) {
  EXPECT_EQ(Perft(Fen(StartFen), 4), 197281u);
  EXPECT_EQ(Perft(Fen("r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1"), 3), 97862u);
  EXPECT_EQ(Perft(Fen("8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1"), 4), 43238u);
  EXPECT_EQ(Perft(Fen("r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1"), 3), 9467u);
  EXPECT_EQ(Perft(Fen("rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8"), 3), 62379u);
  EXPECT_EQ(Perft(Fen("r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10"), 3), 89890u);
}

TEST(HostRules, FenRoundTripAndRepairs) {
  EXPECT_EQ(PositionToFen(Fen(StartFen)), StartFen);
  // A right the board contradicts is dropped; an en passant square without a
  // double step behind it too.
  EXPECT_EQ(PositionToFen(Fen("r3k3/8/8/8/8/8/8/R3K2R w KQkq e6 0 1")), "r3k3/8/8/8/8/8/8/R3K2R w KQq - 0 1");
  EXPECT_EQ(PositionToFen(Fen("4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 7")), "4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 7");
  // Side and counters may be left out after the placement and side.
  EXPECT_EQ(PositionToFen(Fen("4k3/8/8/8/8/8/8/4K3 b")), "4k3/8/8/8/8/8/8/4K3 b - - 0 1");
}

TEST(HostRules, BadFenIsRefusedAndLeavesThePositionAlone) {
  const char* bad[] = {
      "",
      "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP w KQkq - 0 1",          // seven ranks
      "rnbqkbnr/pppppppp/9/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",  // nine squares
      "rnbqkbnr/ppppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
      "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR x KQkq - 0 1",
      "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQxq - 0 1",
      "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq e5 0 1",
      "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - x 1",
      "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1 extra",
      "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQQBNR w KQkq - 0 1",  // no white king
      "4k3/8/8/8/8/8/8/4K2P w - - 0 1",                            // pawn on the first rank
      "4k3/8/8/8/8/8/8/4QK2 w - - 0 1",                            // black in check, white to move
      "4k3/8/8/8/8/8/8/4K3 w - - 0 1 2 3",
      "4k3/8/8/8/8/8/8/4Kz2 w - - 0 1",
  };
  for (const char* text : bad) {
    ChessPosition position = Fen(StartFen);
    std::string error;
    EXPECT_FALSE(ParseFen(text, &position, &error)) << text;
    EXPECT_FALSE(error.empty()) << text;
    EXPECT_EQ(PositionToFen(position), StartFen) << text;
  }
}

TEST(HostRules, MovesAreFoundOnlyWhenLegal) {
  ChessPosition position = Fen("r3k2r/1P6/8/3pP3/8/8/8/R3K2R w KQkq d6 0 1");
  ChessMove move;
  EXPECT_TRUE(FindLegalMove(position, "e5d6", &move));  // en passant
  EXPECT_TRUE(FindLegalMove(position, "e1g1", &move));  // castling
  EXPECT_TRUE(FindLegalMove(position, "b7a8N", &move));
  EXPECT_EQ(move.Promotion, 2);
  EXPECT_TRUE(FindLegalMove(position, "b7b8q", &move));
  EXPECT_FALSE(FindLegalMove(position, "b7b8", &move));  // promotion letter missing
  EXPECT_FALSE(FindLegalMove(position, "e1e3", &move));
  EXPECT_FALSE(FindLegalMove(position, "e2e4", &move));
  EXPECT_FALSE(FindLegalMove(position, "", &move));
  EXPECT_FALSE(FindLegalMove(position, "e5d6qq", &move));
  EXPECT_FALSE(FindLegalMove(position, "\xff\xfe\x01\x02", &move));
  // Castling through an attacked square is not legal.
  EXPECT_FALSE(FindLegalMove(Fen("4k3/8/8/8/8/8/5r2/R3K2R w KQ - 0 1"), "e1g1", &move));
  EXPECT_TRUE(FindLegalMove(Fen("4k3/8/8/8/8/8/5r2/R3K2R w KQ - 0 1"), "e1c1", &move));
}

TEST(HostRules, MoveCodesRoundTrip) {
  ChessPosition position = Fen("r3k2r/1P6/8/3pP3/8/8/8/R3K2R w KQkq d6 0 1");
  for (const ChessMove& move : LegalMoves(position)) {
    ChessMove back = CodeToMove(MoveToCode(move));
    EXPECT_EQ(MoveToText(back), MoveToText(move));
  }
  ChessMove knight{54, 62, 2};
  EXPECT_EQ(MoveToCode(knight), 54 | 62 << 6 | 7 << 12);
  ChessMove queen{52, 60, 5};
  EXPECT_EQ(MoveToCode(queen), 52 | 60 << 6 | 4 << 12);
}
