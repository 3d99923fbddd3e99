// Make/unmake: exact restoration of the whole position state over random
// play, incremental keys against recomputed ones, and the per-ply stacks.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "engine/perft.h"
#include "engine/root.h"
#include "engine_test_util.h"

namespace {

// The position state a make/unmake pair must restore, at the current ply.
std::vector<StatePart> SearchState() {
  std::vector<StatePart> parts = {
      {"board", SearchBoard, sizeof(Board)},
      {"white occupied", &WhiteOccupied, sizeof WhiteOccupied},
      {"black occupied", &BlackOccupied, sizeof BlackOccupied},
      {"all occupied", &AllOccupied, sizeof AllOccupied},
      {"white king", &WhiteKingSquare, sizeof WhiteKingSquare},
      {"black king", &BlackKingSquare, sizeof BlackKingSquare},
      {"side", &SideToMove, sizeof SideToMove},
      {"ply", &Ply, sizeof Ply},
      {"repetitions", &RepetitionCount, sizeof RepetitionCount},
      {"key", &HashKey, sizeof HashKey},
      {"pawn key", &PawnKingKey, sizeof PawnKingKey},
      {"piece counts", PieceCount, sizeof PieceCount},
      {"pawn counts", PawnCount, sizeof PawnCount},
      {"file pawns", FilePawnCount, sizeof FilePawnCount},
      {"move counts", MoveCount, sizeof MoveCount},
      {"material", &PieceMaterial[Ply], sizeof PieceMaterial[0]},
      {"balance", &MaterialBalance[Ply], sizeof MaterialBalance[0]},
      {"castled", CastledFlags[Ply], sizeof CastledFlags[0]},
  };
  for (int32_t p = -6; p <= 6; ++p)
    if (p != 0) parts.push_back({"piece set", &PieceSet(p), sizeof(SquareSet)});
  return parts;
}

typedef StateCopy Snapshot;
Snapshot Take() { return CopyState(SearchState()); }

void ExpectRestored(const Snapshot& s, const char* what) { EXPECT_EQ(ChangedParts(s, SearchState()), "") << what; }

// Keys, sets and counts after a make agree with a fresh computation.
void ExpectIncrementalStateExact() {
  const KeyPair key = HashKey, pawnKey = PawnKingKey;
  EXPECT_TRUE(PositionIsConsistent());
  RecomputeKeys();
  // Black's null moves on the path are folded into the incremental key.
  KeyPair expected = HashKey;
  for (int32_t p = 1; p <= Ply; ++p)
    if (PlyMove[p] == NullMove && ((Ply - p) % 2 == 0 ? -SideToMove : SideToMove) == Black) {
      expected.Index ^= ZobristIndexTable[22];
      expected.Check ^= ZobristCheckTable[22];
    }
  EXPECT_TRUE(key == expected);
  EXPECT_TRUE(pawnKey == PawnKingKey);
  HashKey = key;
  PawnKingKey = pawnKey;
  EXPECT_TRUE(PlyHashKey[Ply] == HashKey);
  EXPECT_TRUE(PlyPawnKingKey[Ply] == PawnKingKey);
  EXPECT_EQ(RepetitionKeys[RepetitionCount - 1], HashKey.Index);
}

struct KindsSeen {
  int32_t Quiet = 0, Capture = 0, EnPassant = 0, DoubleStep = 0, CastleShort = 0, CastleLong = 0, Null = 0;
  int32_t Promotion[6] = {};
  int32_t PromotionCapture = 0;
};

void Classify(const MoveEntry& e, KindsSeen& seen) {
  if (e.Flag == CastleKingSide) ++seen.CastleShort;
  else if (e.Flag == CastleQueenSide) ++seen.CastleLong;
  else if (IsPromotionFlag(e.Flag)) {
    ++seen.Promotion[e.Flag];
    if (e.Captured) ++seen.PromotionCapture;
  } else if (e.Extra != 0 && e.Captured) ++seen.EnPassant;
  else if (e.Extra != 0) ++seen.DoubleStep;
  else if (e.Captured) ++seen.Capture;
  else ++seen.Quiet;
}

const char* const RandomPlayStarts[] = {
    nullptr,
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
    "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
    "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
    "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8",
    "n1n5/PPPk4/8/8/8/8/4Kppp/5N1N b - - 0 1",
    "r3k2r/8/8/8/3pPp2/8/8/R3K1RR b KQkq e3 0 1",
};

}  // namespace

TEST(MakeUnmake, RandomPlayRestoresEverythingAndKeepsKeysExact) {
  std::mt19937 random(20261208);
  KindsSeen seen;
  int32_t checked = 0;
  for (int32_t game = 0; game < 24; ++game) {
    SearchPosition(RandomPlayStarts[game % (sizeof RandomPlayStarts / sizeof RandomPlayStarts[0])]);
    const Snapshot root = Take();
    int32_t depth = 0;
    for (; depth < 40; ++depth) {
      GenerateAtPly();
      ListStart[Ply + 1] = MoveListTop = AppendUnderPromotions(ListStart[Ply], ListStart[Ply + 1]);
      const Snapshot before = Take();
      int32_t legal[256], legalCount = 0;
      for (int32_t i = ListStart[Ply]; i < ListStart[Ply + 1]; ++i) {
        MakeMove(i);
        ExpectIncrementalStateExact();
        const bool ok = !MoverKingAttacked();
        if (ok && legalCount < 256) legal[legalCount++] = i;
        if (ok) Classify(MoveList[i], seen);
        UnmakeMove(i);
        ExpectRestored(before, MoveText(i));
        ++checked;
      }
      MakeMove(NullMove);
      ExpectIncrementalStateExact();
      ++seen.Null;
      UnmakeMove(NullMove);
      ExpectRestored(before, "null move");
      if (legalCount == 0 || ::testing::Test::HasFailure()) break;
      MakeMove(legal[random() % legalCount]);
    }
    while (Ply > 0) UnmakeMove(PlyMove[Ply]);
    ExpectRestored(root, "back at the root");
    if (::testing::Test::HasFailure()) break;
  }
  EXPECT_GT(checked, 10000);
  EXPECT_GT(seen.Quiet, 0);
  EXPECT_GT(seen.Capture, 0);
  EXPECT_GT(seen.EnPassant, 0);
  EXPECT_GT(seen.DoubleStep, 0);
  EXPECT_GT(seen.CastleShort, 0);
  EXPECT_GT(seen.CastleLong, 0);
  EXPECT_GT(seen.PromotionCapture, 0);
  for (int32_t type = Knight; type <= Queen; ++type) EXPECT_GT(seen.Promotion[type], 0) << type;
}

TEST(MakeUnmake, NullMoveKeysAndCounters) {
  SearchPosition(nullptr);
  const KeyPair whiteKey = HashKey, pawnKey = PawnKingKey;
  const int32_t repetitions = RepetitionCount;
  MakeMove(NullMove);
  EXPECT_TRUE(HashKey == whiteKey);  // white's pass leaves the key alone
  EXPECT_TRUE(PawnKingKey == pawnKey);
  EXPECT_EQ(SideToMove, Black);
  EXPECT_EQ(EpSquare[1], 0);
  EXPECT_EQ(RepetitionCount, repetitions + 1);
  EXPECT_EQ(PlyMove[1], NullMove);
  MakeMove(NullMove);
  EXPECT_EQ(HashKey.Index, whiteKey.Index ^ ZobristIndexTable[22]);
  EXPECT_EQ(HashKey.Check, whiteKey.Check ^ ZobristCheckTable[22]);
  EXPECT_TRUE(PawnKingKey == pawnKey);
  EXPECT_EQ(RepetitionCount, repetitions + 2);
  UnmakeMove(NullMove);
  UnmakeMove(NullMove);
  EXPECT_TRUE(HashKey == whiteKey);
  EXPECT_EQ(SideToMove, White);
  EXPECT_EQ(RepetitionCount, repetitions);
}

TEST(MakeUnmake, CastlingFlagsAndMoveCounts) {
  SearchPosition("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1");
  GenerateAtPly();
  MakeMove(FindMove("e1g1"));
  EXPECT_EQ(CastledFlags[1][WhiteIndex], 1);
  EXPECT_EQ(CastledFlags[0][WhiteIndex], 0);
  EXPECT_EQ(MoveCount[SqE1], 1);
  EXPECT_EQ(MoveCount[SqH1], 0);
  EXPECT_EQ(SearchBoard[SqF1], Rook);
  EXPECT_EQ(SearchBoard[SqH1], Empty);
  GenerateAtPly();
  MakeMove(FindMove("e8c8"));
  EXPECT_EQ(CastledFlags[2][BlackIndex], 1);
  EXPECT_EQ(CastledFlags[2][WhiteIndex], 1);
  EXPECT_EQ(SearchBoard[SqD8], -Rook);
  EXPECT_EQ(MoveCount[SqA8], 0);
  UnmakeMove(PlyMove[2]);
  UnmakeMove(PlyMove[1]);
  EXPECT_EQ(SearchBoard[SqH1], Rook);
  EXPECT_EQ(SearchBoard[SqA8], -Rook);
  EXPECT_EQ(MoveCount[SqE1], 0);
}

TEST(MakeUnmake, UnmakeKeepsACastledFlagOfTheGame) {
  // White castled earlier in the game; quiet moves made and taken back in the
  // search must not forget it.
  SearchPosition(nullptr);
  CastledFlags[0][WhiteIndex] = 1;
  GenerateAtPly();
  MakeMove(FindMove("g1f3"));
  EXPECT_EQ(CastledFlags[1][WhiteIndex], 1);
  UnmakeMove(PlyMove[1]);
  EXPECT_EQ(CastledFlags[0][WhiteIndex], 1);
  CastledFlags[0][WhiteIndex] = 0;
}

TEST(ConsistencyCheck, NoticesEveryKindOfCorruption) {
  SearchPosition("r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1");
  ASSERT_TRUE(PositionIsConsistent());
  const Snapshot good = Take();
  auto expectNoticed = [&](const char* what, auto corrupt) {
    corrupt();
    EXPECT_FALSE(PositionIsConsistent()) << what;
    InstallGamePosition();
    ASSERT_TRUE(PositionIsConsistent()) << what;
  };
  expectNoticed("board cell", [] { SearchBoard[55] = Empty; });
  expectNoticed("border cell", [] { SearchBoard[20] = Empty; });
  expectNoticed("piece set", [] { WhiteKnights ^= SquareBit[44]; });
  expectNoticed("occupancy", [] { BlackOccupied ^= SquareBit[44]; });
  expectNoticed("all occupied", [] { AllOccupied ^= SquareBit[44]; });
  expectNoticed("king square", [] { WhiteKingSquare = 26; });
  expectNoticed("piece count", [] { ++PieceCount[BlackIndex]; });
  expectNoticed("pawn count", [] { --PawnCount[WhiteIndex]; });
  expectNoticed("pawn file", [] { ++FilePawnCount[3][WhiteIndex]; });
  expectNoticed("hash key", [] { HashKey.Check ^= 1; });
  expectNoticed("pawn key", [] { PawnKingKey.Index ^= 1; });
  expectNoticed("material", [] { PieceMaterial[0] += 1; });
  expectNoticed("balance", [] { MaterialBalance[0] = -MaterialBalance[0] + 1; });
  ExpectRestored(good, "after the checks");
}
