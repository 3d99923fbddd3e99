// The host's rules: move counts against published perft values, FEN
// reading and writing, and refusal of bad input.
#include <gtest/gtest.h>

#include <sstream>

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
  // The double step must be rebuildable: its start square empty (not the
  // black king on e7) and a pawn of the side to move beside the pawn.
  struct { const char* Fen; const char* Kept; } passant[] = {
      {"8/4k3/8/3Pp3/8/8/8/4K3 w - e6 0 1", "8/4k3/8/3Pp3/8/8/8/4K3 w - - 0 1"},
      {"4k3/8/8/4p3/8/8/8/4K3 w - e6 0 1", "4k3/8/8/4p3/8/8/8/4K3 w - - 0 1"},
      {"4k3/8/8/4pP2/8/8/8/4K3 w - e6 0 1", "4k3/8/8/4pP2/8/8/8/4K3 w - e6 0 1"},
      {"4k3/8/8/8/Pp6/8/8/4K3 b - a3 0 1", "4k3/8/8/8/Pp6/8/8/4K3 b - a3 0 1"},
      {"4k3/8/8/8/P6p/8/8/4K3 b - a3 0 1", "4k3/8/8/8/P6p/8/8/4K3 b - - 0 1"},  // no wrap to the h-file
  };
  for (const auto& c : passant) {
    ChessPosition position{};
    std::string error, notes;
    ASSERT_TRUE(ParseFen(c.Fen, &position, &error, &notes)) << c.Fen;
    EXPECT_EQ(PositionToFen(position), c.Kept);
    EXPECT_EQ(notes.find("en passant") != std::string::npos, std::string(c.Fen) != c.Kept) << c.Fen;
  }
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
      // More men than a side can have: nine pawns, seventeen men, a third
      // knight beside eight pawns, a tenth queen without pawns.
      "4k3/8/8/8/8/P7/PPPPPPPP/4K3 w - - 0 1",
      "4k3/8/8/8/NN6/NNNNNNNN/NNNNNNNN/4K3 w - - 0 1",
      "4k3/8/8/8/8/8/PPPPPPPP/NNN1K3 w - - 0 1",
      "4k3/8/8/8/8/QQQQ4/QQQQQQ2/4K3 w - - 0 1",
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

TEST(HostRules, StandardNotation) {
  struct { const char* Fen; const char* Moves; const char* San; } cases[] = {
      {StartFen, "g1f3 d7d5 e2e4 d5e4", "1. Nf3 d5 2. e4 dxe4"},
      {"r3k2r/1P6/8/3pP3/8/8/8/R3K2R w KQkq d6 0 1", "e5d6", "1. exd6"},
      {"r3k2r/1P6/8/3pP3/8/8/8/R3K2R w KQkq d6 0 1", "b7a8q", "1. bxa8=Q+"},
      {"r3k2r/1P6/8/3pP3/8/8/8/R3K2R w KQkq d6 0 1", "e1c1 e8g8", "1. O-O-O O-O"},
      // Knights on b1 and f3 reach d2: the file tells them apart; rooks on
      // a1 and a3 reach a2: the rank does.
      {"4k3/8/8/8/8/R4N2/8/RN2K3 w - - 0 1", "b1d2 e8e7 a1a2", "1. Nbd2 Ke7 2. R1a2"},
      {"7k/8/6K1/8/8/8/8/1Q6 w - - 0 5", "b1b8", "5. Qb8#"},
      {"7k/8/6K1/8/8/8/8/1Q6 b - - 0 5", "h8g8", "5... Kg8"},
  };
  for (const auto& c : cases) {
    ChessPosition position = Fen(c.Fen);
    std::vector<ChessMove> line;
    ChessPosition walk = position;
    std::istringstream words(c.Moves);
    std::string word;
    while (words >> word) {
      ChessMove move;
      ASSERT_TRUE(FindLegalMove(walk, word, &move)) << word;
      line.push_back(move);
      PlayMove(&walk, move);
    }
    EXPECT_EQ(LineToSan(position, line), c.San);
  }
}
