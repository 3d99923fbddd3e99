// Move generation: order of writing, ordering scores, promotions by ply,
// castling conditions, en passant, and the attack tests.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/eval.h"
#include "engine/root.h"
#include "engine_test_util.h"

namespace {

struct Written {
  std::string Text;
  int32_t Score, Flag, Extra, Captured;
};

// The moves generated at the current ply.
std::vector<Written> Listed() {
  std::vector<Written> out;
  for (int32_t i = ListStart[Ply]; i < ListStart[Ply + 1]; ++i)
    out.push_back({MoveText(i), MoveList[i].Score, MoveList[i].Flag, MoveList[i].Extra, MoveList[i].Captured});
  return out;
}

// Generates at the given ply (stacks below copied from ply 0).
std::vector<Written> GenerateAt(int32_t ply) {
  for (int32_t p = 1; p <= ply; ++p) {
    EpSquare[p] = EpSquare[0];
    CastledFlags[p][0] = CastledFlags[0][0];
    CastledFlags[p][1] = CastledFlags[0][1];
  }
  Ply = ply;
  ListStart[Ply] = 0;
  GenerateAtPly();
  const std::vector<Written> out = Listed();
  Ply = 0;
  return out;
}

const Written* Find(const std::vector<Written>& moves, const char* text) {
  for (const Written& w : moves)
    if (w.Text == text) return &w;
  return nullptr;
}

int32_t ScoreOf(const std::vector<Written>& moves, const char* text) {
  const Written* w = Find(moves, text);
  return w ? w->Score : -99999;
}

void ClearOrderingInputs() {
  FollowPV = 0;
  RootReSearch = 0;
  InCheck = 0;
  for (auto& k : Killers) k[0] = k[1] = MovePair{0, 0};
  for (auto& f : FollowLine) f = MovePair{0, 0};
  ClearTables(-100);
}

}  // namespace

TEST(MoveGeneration, StartPositionOrder) {
  SearchPosition(nullptr);
  ClearOrderingInputs();
  const auto moves = GenerateAt(0);
  const char* expected[] = {"b1a3", "b1c3", "g1f3", "g1h3", "a2a3", "a2a4", "b2b3", "b2b4", "c2c3", "c2c4",
                            "d2d3", "d2d4", "e2e3", "e2e4", "f2f3", "f2f4", "g2g3", "g2g4", "h2h3", "h2h4"};
  ASSERT_EQ(moves.size(), 20u);
  for (size_t i = 0; i < moves.size(); ++i) {
    EXPECT_EQ(moves[i].Text, expected[i]);
    EXPECT_EQ(moves[i].Score, i < 4 ? 10 : 0) << moves[i].Text;
    EXPECT_EQ(moves[i].Extra, (i >= 4 && i % 2 == 1) ? MoveList[i].From + 10 : 0) << moves[i].Text;
  }
}

TEST(MoveGeneration, PushPromotionsByPly) {
  SearchPosition("8/4P3/8/8/8/8/k7/7K w - - 0 1");
  ClearOrderingInputs();
  for (int32_t ply : {0, 3}) {
    const auto moves = GenerateAt(ply);
    std::vector<Written> promotions;
    for (const auto& w : moves)
      if (w.Text.compare(0, 4, "e7e8") == 0) promotions.push_back(w);
    ASSERT_EQ(promotions.size(), 4u) << ply;
    const int32_t flags[] = {5, 4, 3, 2};
    const int32_t scores[] = {20000, -3000, -3000, -3000};
    for (int32_t i = 0; i < 4; ++i) {
      EXPECT_EQ(promotions[i].Flag, flags[i]);
      EXPECT_EQ(promotions[i].Score, scores[i]);
    }
  }
  const auto deep = GenerateAt(4);
  const Written* only = Find(deep, "e7e8Q");
  ASSERT_NE(only, nullptr);
  EXPECT_EQ(only->Score, 20000);
  EXPECT_EQ(Find(deep, "e7e8R"), nullptr);
}

TEST(MoveGeneration, CapturePromotionsByPly) {
  SearchPosition("3r4/4P3/8/8/8/8/k7/7K w - - 0 1");
  ClearOrderingInputs();
  const auto shallow = GenerateAt(2);
  EXPECT_NE(Find(shallow, "e7d8N"), nullptr);
  EXPECT_EQ(Find(shallow, "e7d8Q")->Captured, Rook);
  const auto deep = GenerateAt(3);
  EXPECT_NE(Find(deep, "e7d8Q"), nullptr);
  EXPECT_EQ(Find(deep, "e7d8R"), nullptr);
  EXPECT_NE(Find(deep, "e7e8R"), nullptr);  // the push still has all four at ply 3
}

TEST(MoveGeneration, CaptureScores) {
  ClearOrderingInputs();
  // Rook takes a pawn defended by a pawn; undefended; pawn takes queen.
  SearchPosition("4k3/8/2p5/3p4/8/8/8/3RK3 w - - 0 1");
  EXPECT_EQ(ScoreOf(GenerateAt(0), "d1d5"), -3200);
  SearchPosition("4k3/8/8/3p4/8/8/8/3RK3 w - - 0 1");
  EXPECT_EQ(ScoreOf(GenerateAt(0), "d1d5"), 3785);
  SearchPosition("4k3/8/8/3q4/4P3/8/8/4K3 w - - 0 1");
  EXPECT_EQ(ScoreOf(GenerateAt(0), "e4d5"), 19317);
  // A knight takes a pawn guarded only by the king: the king cannot take
  // back when a rook covers the square, and can when nothing does.
  SearchPosition("8/8/3k4/4p3/8/3N4/8/4RK2 w - - 0 1");
  EXPECT_EQ(ScoreOf(GenerateAt(0), "d3e5"), 16000);
  SearchPosition("8/8/3k4/4p3/8/3N4/8/5K2 w - - 0 1");
  EXPECT_EQ(ScoreOf(GenerateAt(0), "d3e5"), 0);
  // A quiet knight move onto a square attacked by an enemy pawn.
  SearchPosition("4k3/8/8/8/1p6/8/8/1N2K3 w - - 0 1");
  EXPECT_EQ(ScoreOf(GenerateAt(0), "b1c3"), -40);
  EXPECT_EQ(ScoreOf(GenerateAt(0), "b1d2"), 10);
}

TEST(MoveGeneration, OrderingInputs) {
  SearchPosition(nullptr);
  ClearOrderingInputs();
  Killers[0][0] = MovePair{35, 55};
  Killers[0][1] = MovePair{22, 43};
  auto moves = GenerateAt(0);
  EXPECT_EQ(ScoreOf(moves, "e2e4"), 2500);
  EXPECT_EQ(ScoreOf(moves, "b1c3"), 1510);
  FollowPV = 1;
  FollowLine[0] = MovePair{35, 55};
  moves = GenerateAt(0);
  EXPECT_EQ(ScoreOf(moves, "e2e4"), 25000);
  ClearOrderingInputs();
  // A hash move of this position and side scores 24000.
  InstallGamePosition();
  GenerateAtPly();
  const int32_t d4 = FindMove("d2d4");
  StoreEntry(d4, 10, 5, BoundLower);
  moves = GenerateAt(0);
  EXPECT_EQ(ScoreOf(moves, "d2d4"), 24000);
  StoreEntry(d4, 10, 6, BoundUpper);  // an upper bound supplies no move
  moves = GenerateAt(0);
  EXPECT_EQ(ScoreOf(moves, "d2d4"), 0);
  ClearOrderingInputs();
}

TEST(MoveGeneration, PawnAdvanceBonusesAndKingInCheck) {
  ClearOrderingInputs();
  SearchPosition("4k3/8/8/2P5/8/8/5p2/4K3 w - - 0 1");
  EXPECT_EQ(ScoreOf(GenerateAt(0), "c5c6"), 73);
  SideToMove = Black;
  EXPECT_EQ(GenerateAt(0).size(), 9u);  // f1=Q,R,B,N then 5 king steps
  InCheck = 1;
  SideToMove = White;
  EXPECT_EQ(ScoreOf(GenerateAt(0), "e1d2"), 1400);
  InCheck = 0;
  SearchPosition("4k3/8/8/8/8/8/3p4/7K b - - 0 1");
  EXPECT_EQ(ScoreOf(GenerateAt(4), "d2d1Q"), 20000);
  SearchPosition("4k3/8/8/8/8/3p4/8/7K b - - 0 1");
  EXPECT_EQ(ScoreOf(GenerateAt(0), "d3d2"), 112 - 34);
}

TEST(MoveGeneration, Castling) {
  ClearOrderingInputs();
  SearchPosition("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1");
  auto moves = GenerateAt(0);
  const Written* shortCastle = Find(moves, "e1g1");
  const Written* longCastle = Find(moves, "e1c1");
  ASSERT_NE(shortCastle, nullptr);
  ASSERT_NE(longCastle, nullptr);
  EXPECT_LT(shortCastle, longCastle);
  EXPECT_EQ(shortCastle->Flag, CastleKingSide);
  EXPECT_EQ(longCastle->Flag, CastleQueenSide);
  EXPECT_EQ(&moves.back(), longCastle);
  // b1 attacked: queen's side still allowed; d1 attacked: not.
  SearchPosition("r3k2r/8/8/8/8/8/b7/R3K2R w KQkq - 0 1");
  EXPECT_NE(Find(GenerateAt(0), "e1c1"), nullptr);
  SearchPosition("r3k2r/8/8/8/8/8/4b3/R3K2R w KQkq - 0 1");
  moves = GenerateAt(0);
  EXPECT_EQ(Find(moves, "e1c1"), nullptr);
  EXPECT_EQ(Find(moves, "e1g1"), nullptr);  // f1 attacked too
  // Castled already, or king moved: nothing.
  SearchPosition("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1");
  CastledFlags[0][WhiteIndex] = 1;
  EXPECT_EQ(Find(GenerateAt(0), "e1g1"), nullptr);
  CastledFlags[0][WhiteIndex] = 0;
  // Kings touching (an illegal search position): no castling.
  SearchPosition("r6r/8/8/8/8/8/3k4/R3K2R w KQ - 0 1");
  moves = GenerateAt(0);
  EXPECT_EQ(Find(moves, "e1g1"), nullptr);
  EXPECT_EQ(Find(moves, "e1c1"), nullptr);
  // A blocked path.
  SearchPosition("r3k2r/8/8/8/8/8/8/RN2K1NR w KQkq - 0 1");
  moves = GenerateAt(0);
  EXPECT_EQ(Find(moves, "e1c1"), nullptr);
  EXPECT_EQ(Find(moves, "e1g1"), nullptr);
}

TEST(MoveGeneration, EnPassantFromBothSides) {
  ClearOrderingInputs();
  SearchPosition("4k3/3p4/8/2P1P3/8/8/8/4K3 b - - 0 1");
  GenerateAtPly();
  MakeMove(FindMove("d7d5"));
  GenerateAtPly();
  const std::vector<Written> moves = Listed();
  const Written* fromE = Find(moves, "e5d6");
  const Written* fromC = Find(moves, "c5d6");
  ASSERT_NE(fromE, nullptr);
  ASSERT_NE(fromC, nullptr);
  EXPECT_LT(fromE, fromC);  // e - 9 before e - 11
  EXPECT_EQ(fromE->Score, 1200);
  EXPECT_EQ(fromE->Extra, 64);
  EXPECT_EQ(fromE->Captured, Pawn);
  UnmakeMove(PlyMove[1]);
}

TEST(MoveGeneration, KingsAreNeverCaptured) {
  ClearOrderingInputs();
  // The rook's ray and the knight's jump end on the black king.
  SearchPosition("R3k3/8/3N4/8/8/8/8/4K3 w - - 0 1");
  const auto moves = GenerateAt(0);
  EXPECT_EQ(Find(moves, "a8e8"), nullptr);
  EXPECT_EQ(Find(moves, "d6e8"), nullptr);
  EXPECT_NE(Find(moves, "a8d8"), nullptr);
  for (const auto& w : moves) EXPECT_NE(w.Captured, King);
}

TEST(MoveGeneration, ReservedSlotsAreNeverWritten) {
  // Queens everywhere: well over a hundred moves per position. Generating
  // from near the end of the list must stop at the reserved slots.
  SearchPosition("QQQQQQQk/QQQQQQQ1/8/8/8/8/8/K7 w - - 0 1");
  for (int32_t slot : {1498, 1499, 1504, 1519}) MoveList[slot] = MoveEntry{77, 1, 2, 3, 4, 5};
  for (int32_t start : {1300, 1400, 1497, 1498}) {
    MoveListTop = start;
    GenerateMoves();
    EXPECT_LE(MoveListTop, 1498);
    EXPECT_EQ(GeneratedCount, MoveListTop - start);
  }
  for (int32_t slot : {1498, 1499, 1504, 1519}) {
    EXPECT_EQ(MoveList[slot].Score, 77) << slot;
    EXPECT_EQ(MoveList[slot].Extra, 5) << slot;
  }
  MoveListTop = 0;
}

TEST(AttackTests, MailboxAndSetTestsAgree) {
  // Where the kings do not touch, the set test says 1 exactly where the
  // mailbox test says 1 (the set test never reports the attacking king).
  const char* positions[] = {
      "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
      "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8",
      "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
  };
  for (const char* text : positions) {
    SearchPosition(text);
    for (int32_t s = 21; s <= 98; ++s) {
      if (!IsPlayable(s)) continue;
      EXPECT_EQ(AttackedByWhite(s) == 1, BitAttackedByWhite(s) == 1) << text << " " << s;
      EXPECT_EQ(AttackedByBlack(s) == 1, BitAttackedByBlack(s) == 1) << text << " " << s;
    }
  }
}

TEST(AttackTests, KnownAnswers) {
  SearchPosition("4k3/8/8/8/8/8/6K1/R7 w - - 0 1");
  EXPECT_EQ(AttackedByWhite(28), 1);  // rook a1 along the empty rank
  SearchPosition("4k3/8/8/8/8/8/8/R2N3K w - - 0 1");
  EXPECT_EQ(AttackedByWhite(27), 2);  // g1: only the king
  SearchPosition("K3k3/8/8/8/8/8/8/R2N4 w - - 0 1");
  EXPECT_EQ(AttackedByWhite(28), 0);  // blocked by the knight on d1
  SearchPosition("4k3/8/8/8/8/8/8/R6K w - - 0 1");
  EXPECT_EQ(AttackedByWhite(27), 1);  // rook and king: the rook answers first
  SearchPosition("8/8/8/8/8/8/5k2/4K3 w - - 0 1");
  EXPECT_EQ(BitAttackedByBlack(SqE1), 2);  // the kings touch
  SearchPosition("8/8/8/8/8/8/7k/4K3 w - - 0 1");
  EXPECT_EQ(BitAttackedByBlack(SqG1), 0);  // the king alone is not seen
  SearchPosition("4k3/8/8/8/8/8/3p4/4K3 w - - 0 1");
  EXPECT_EQ(AttackedByBlack(SqE1), 1);
  EXPECT_EQ(BitAttackedByBlack(SqE1), 1);
  EXPECT_EQ(AttackedByBlack(SqC1), 1);
}

TEST(MoveGeneration, RecaptureInCheckAndEnPassantOrdering) {
  ClearOrderingInputs();
  // In check in the tree, taking the piece that has just moved scores 22000.
  // At the root the same position comes from the game, and the move slot of
  // ply 0 holds the root's placeholder (the null move), not the last game
  // move: there the capture scores as any other.
  const char* before = "4k3/8/8/8/1n6/8/2P5/4K3 b - - 0 1";
  SearchPosition(before);
  GenerateAtPly();
  MakeMove(FindMove("b4d3"));
  InCheck = 1;
  GenerateAtPly();
  ASSERT_GE(FindMove("c2d3"), 0);
  EXPECT_EQ(MoveList[FindMove("c2d3")].Score, 22000);
  UnmakeMove(PlyMove[1]);
  SetUpFromText(before);
  ASSERT_EQ(Enter("b4d3"), 0);
  InstallGamePosition();
  ASSERT_EQ(RootCheckProbe(), 0);
  ASSERT_EQ(InCheck, 1);
  EXPECT_EQ(PlyMove[0], NullMove);
  EXPECT_EQ(ScoreOf(GenerateAt(0), "c2d3"), 16 * 325 - 100 / 32 + 2200);
  InCheck = 0;

  // En passant: killers, hash move and the principal variation.
  SearchPosition("4k3/3p4/8/4P3/8/8/8/4K3 b - - 0 1");
  GenerateAtPly();
  MakeMove(FindMove("d7d5"));
  auto scoreHere = [](const char* text) {
    GenerateAtPly();
    const int32_t i = FindMove(text);
    return i < 0 ? -99999 : int32_t(MoveList[i].Score);
  };
  EXPECT_EQ(scoreHere("e5d6"), 1200);
  Killers[1][1] = MovePair{65, 74};
  EXPECT_EQ(scoreHere("e5d6"), 1500);
  Killers[1][0] = MovePair{65, 74};
  EXPECT_EQ(scoreHere("e5d6"), 2500);
  FollowLine[1] = MovePair{65, 74};
  EXPECT_EQ(scoreHere("e5d6"), 2500);  // the line alone is not enough
  RootReSearch = 1;
  EXPECT_EQ(scoreHere("e5d6"), 23000);
  FollowPV = 1;
  EXPECT_EQ(scoreHere("e5d6"), 25000);
  UnmakeMove(PlyMove[1]);  // also clears FollowPV
  EXPECT_EQ(FollowPV, 0);
  ClearOrderingInputs();
}
