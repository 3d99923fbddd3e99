// The legal generator for positions in check, against the pseudo-legal
// generator with a legality test: same moves at every node in check, same
// perft counts, and its own ordering scores.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <tuple>

#include "engine/perft.h"
#include "engine/evasions.h"
#include "searchtest.h"

namespace {

typedef std::tuple<int32_t, int32_t, int32_t> MoveKey;  // from, to, promotion piece

bool SideToMoveInCheck() {
  return (SideToMove == White ? BitAttackedByBlack(WhiteKingSquare) : BitAttackedByWhite(BlackKingSquare)) != 0;
}

// Legal moves of the pseudo-legal generator, with every promotion piece.
std::set<MoveKey> LegalByFilter(int32_t start) {
  MoveListTop = start;
  GenerateMoves();
  const int32_t end = start + GeneratedCount;
  std::set<MoveKey> out;
  for (int32_t i = start; i < end; ++i) {
    MakeMove(i);
    if (!MoverKingAttacked()) {
      const MoveEntry& m = MoveList[i];
      if (IsPromotionFlag(m.Flag)) {
        for (int32_t piece = Knight; piece <= Queen; ++piece) out.insert(MoveKey(m.From, m.To, piece));
      } else {
        out.insert(MoveKey(m.From, m.To, 0));
      }
    }
    UnmakeMove(i);
  }
  return out;
}

int64_t EvasionNodesChecked;

// Perft in which a side in check moves by the evasion generator. At every
// such node the evasions are also compared with the filtered pseudo-legal moves.
uint64_t PerftWithEvasions(int32_t depth) {
  const int32_t start = MoveListTop;
  ListStart[Ply] = start;
  const bool check = SideToMoveInCheck();
  if (check) {
    InCheck = 1;
    GenerateEvasions();
  } else {
    GenerateMoves();
  }
  int32_t end = start + GeneratedCount;
  if (check) {
    std::set<MoveKey> evasions;
    for (int32_t i = start; i < end; ++i)
      evasions.insert(MoveKey(MoveList[i].From, MoveList[i].To, IsPromotionFlag(MoveList[i].Flag) ? MoveList[i].Flag : 0));
    EXPECT_EQ(size_t(end - start), evasions.size()) << "an evasion is listed twice";
    EXPECT_EQ(evasions, LegalByFilter(end));
    ++EvasionNodesChecked;
  } else {
    end = AppendUnderPromotions(start, end);
  }
  MoveListTop = end;
  ListStart[Ply + 1] = end;
  uint64_t nodes = 0;
  for (int32_t i = start; i < end; ++i) {
    MakeMove(i);
    const bool illegal = MoverKingAttacked() != 0;
    if (check) {
      EXPECT_FALSE(illegal) << "evasion leaves the king attacked";
    }
    if (!illegal) nodes += depth <= 1 ? 1 : PerftWithEvasions(depth - 1);
    UnmakeMove(i);
  }
  MoveListTop = start;
  return nodes;
}

struct PerftCase {
  const char* Text;
  int32_t Depth;
};

uint64_t CompareCounts(const PerftCase& c) {
  LoadPosition(c.Text);
  const uint64_t reference = Perft(c.Depth);
  MoveListTop = 0;
  const uint64_t withEvasions = PerftWithEvasions(c.Depth);
  EXPECT_EQ(withEvasions, reference) << c.Text << " depth " << c.Depth;
  EXPECT_EQ(Ply, 0);
  EXPECT_TRUE(PositionIsConsistent());
  return reference;
}

std::vector<MoveEntry> Evasions(const char* text, const std::vector<const char*>& moves = {}) {
  LoadPosition(text, moves);
  InCheck = 1;
  MoveListTop = ListStart[0] = 0;
  GenerateEvasions();
  return std::vector<MoveEntry>(MoveList, MoveList + GeneratedCount);
}

}  // namespace

TEST(Evasions, PerftAgreesWithFilteredPseudoLegalMoves) {
  const PerftCase cases[] = {
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", 3},
      {"r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1", 2},
      {"8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1", 4},
      {"r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1", 3},
      {"rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8", 2},
      {"r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10", 2},
      // Checks of every kind at the root: double check, a pinned interposer,
      // a check by a pawn that can be taken en passant, promotions out of check.
      {"4k3/8/8/8/8/5n2/8/R3K2r w Q - 0 1", 3},
      {"4k3/4r3/8/8/8/8/3B4/r3K3 w - - 0 1", 3},
      {"8/8/8/2k5/3Pp3/8/8/4K3 b - - 0 1", 3},
      {"3nk3/2P5/8/8/8/8/8/4K2r w - - 0 1", 3},
      {"4r1k1/8/8/8/1b6/8/8/R3K2R w KQ - 0 1", 3},  // double check: no castling, no step along the ray
      {"4k3/4r3/8/b7/8/8/3B4/4K3 w - - 0 1", 3},    // the interposing bishop is pinned
  };
  EvasionNodesChecked = 0;
  for (const PerftCase& c : cases) CompareCounts(c);
  EXPECT_GT(EvasionNodesChecked, 300);
}

TEST(EvasionsSlow, PerftAgreesAtDeeperDepths) {
  const PerftCase cases[] = {
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", 5},
      {"r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1", 4},
      {"8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1", 6},
      {"r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1", 4},
      {"rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8", 4},
      {"r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10", 4},
  };
  for (const PerftCase& c : cases) CompareCounts(c);
}

TEST(Evasions, EnPassantTakesTheCheckingPawnUnlessItExposesTheKing) {
  // d2-d4 checks the king on c5; the pawn on e4 takes it en passant.
  auto moves = Evasions("8/8/8/2k5/4p3/8/3P4/4K3 w - - 0 1", {"d2d4"});
  bool enPassant = false;
  for (const MoveEntry& m : moves)
    if (m.From == 55 && m.To == 44) {
      enPassant = true;
      EXPECT_EQ(m.Captured, 1);
      EXPECT_EQ(m.Extra, 54);
      EXPECT_EQ(m.Score, 30);
    }
  EXPECT_TRUE(enPassant);
  // Here taking en passant would empty the fourth rank between the king on a4
  // and the rook on h4: the capture is not listed.
  moves = Evasions("8/8/8/8/k3p2R/8/3P4/4K3 w - - 0 1", {"d2d4"});
  ASSERT_FALSE(moves.empty());
  for (const MoveEntry& m : moves) EXPECT_FALSE(m.From == 55 && m.To == 44);
}

TEST(Evasions, PromotionsComeAsFourEntriesQueenFirst) {
  // The rook on d8 checks the king on d1; only c7xd8 (four pieces) answers it
  // among the pawn's moves.
  const auto moves = Evasions("3r3k/2P5/8/8/8/8/8/3K4 w - - 0 1");
  std::vector<MoveEntry> promotions;
  for (const MoveEntry& m : moves)
    if (m.From == 83) promotions.push_back(m);
  ASSERT_EQ(promotions.size(), 4u);
  const int32_t pieces[4] = {Queen, Rook, Bishop, Knight};
  for (int32_t k = 0; k < 4; ++k) {
    EXPECT_EQ(promotions[k].To, 94);
    EXPECT_EQ(promotions[k].Flag, pieces[k]);
    EXPECT_EQ(promotions[k].Score, k == 0 ? 100 : 0);
    EXPECT_EQ(promotions[k].Captured, Rook);
  }
}

TEST(Evasions, TakingThePieceThatJustMovedOutranksTheHashMove) {
  // White plays Qd1-d7+ on the search board; black can take the queen with the
  // king or the knight.
  LoadPosition("4k3/8/1n6/8/8/8/8/3QK3 w - - 0 1");
  MoveListTop = ListStart[0] = 0;
  GenerateMoves();
  int32_t check = -1;
  for (int32_t i = 0; i < GeneratedCount; ++i)
    if (MoveList[i].From == 24 && MoveList[i].To == 84) check = i;
  ASSERT_GE(check, 0);
  ListStart[1] = MoveListTop = GeneratedCount;
  MakeMove(check);
  // Make the knight's capture the hash move, and the king's step to f8 a killer.
  MoveEntry& hash = MoveList[MoveListTop];
  hash = MoveEntry{0, 72, 84, Queen, 0, 0};
  StoreEntry(MoveListTop, 0, 5, BoundExact);
  Killers[1][0] = MovePair{95, 96};
  InCheck = 1;
  GenerateEvasions();
  int32_t seen = 0;
  for (int32_t i = ListStart[1]; i < ListStart[1] + GeneratedCount; ++i) {
    const MoveEntry& m = MoveList[i];
    if (m.To == 84) {
      EXPECT_EQ(m.Score, 25000) << int(m.From);
      ++seen;
    }
    if (m.From == 95 && m.To == 96) {
      EXPECT_EQ(m.Score, 2500);
      ++seen;
    }
  }
  EXPECT_EQ(seen, 3);
  Killers[1][0] = MovePair{0, 0};
  UnmakeMove(check);
  ClearTables(-100);
}
