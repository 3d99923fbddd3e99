// Differential tests over positions from random legal play: a pawn cache
// hit gives exactly what a miss computes, and the lazy exit changes a result
// only where it returns the material balance.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "engine/pawncache.h"
#include "engine/root.h"
#include "evaltestsupport.h"

namespace {

const char* const Roots[] = {
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
    "r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10",
    "2r3k1/pp3ppp/4p3/3pP3/3P4/P4N2/1P3PPP/2R3K1 b - - 0 1",
    "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
    "8/5pk1/6p1/3P4/2P5/6P1/5K2/8 w - - 0 1",
    "8/8/3k4/1p1p4/1P1P3P/4K3/8/8 b - - 0 1",
    "6k1/5p2/4b1p1/8/2N5/6P1/5PK1/8 w - - 0 1",
};

struct PawnResults {
  int32_t Score;
  SquareSet Sets[6];
};

PawnResults Snapshot(int32_t score) {
  return PawnResults{score, {WhitePassed, BlackPassed, WhitePawnAttacks, BlackPawnAttacks, WhiteWeak, BlackWeak}};
}

void ExpectSame(const PawnResults& a, const PawnResults& b, const char* what) {
  EXPECT_EQ(a.Score, b.Score) << what;
  for (int i = 0; i < 6; ++i) EXPECT_EQ(a.Sets[i], b.Sets[i]) << what << ", pawn set " << i;
}

// What the pawn terms read besides the pawns, the kings and the side to
// move (which the key and the tag cover): knights (weak-pawn test), castling
// state (shelter square) and, for the endgame race, whether pieces are left.
// A hit made under other values of these legitimately differs from a fresh
// computation, as the cache keeps the first one.
struct PawnInputs {
  SquareSet WhiteKnightSet, BlackKnightSet;
  int32_t Castled[2];
  int32_t KingMoves[2];
  int32_t PiecesLeft;
  bool operator==(const PawnInputs& o) const {
    return WhiteKnightSet == o.WhiteKnightSet && BlackKnightSet == o.BlackKnightSet && Castled[0] == o.Castled[0] &&
           Castled[1] == o.Castled[1] && KingMoves[0] == o.KingMoves[0] && KingMoves[1] == o.KingMoves[1] &&
           PiecesLeft == o.PiecesLeft;
  }
};

PawnInputs CurrentInputs() {
  return PawnInputs{WhiteKnights, BlackKnights, {CastledFlags[Ply][0], CastledFlags[Ply][1]},
                    {MoveCount[SqE1], MoveCount[SqE8]}, PieceMaterial[Ply] != 0};
}

// At every node: the evaluation with the cache as the walk left it, then
// with the slot emptied (so the pawn terms are computed afresh), then
// again (now certainly from the cache). The hit must equal the miss just
// stored; the warm result must equal it whenever the entry it used was
// stored under the same pawn inputs.
void CacheHitEqualsMiss(int32_t phase, int32_t walksPerRoot, int32_t depth, uint32_t seed) {
  std::mt19937 rng(seed);
  int64_t nodes = 0;
  int64_t naturalHits = 0;
  int64_t comparedHits = 0;
  EngineReady();
  // Inputs under which each slot's entry was stored.
  std::vector<PawnInputs> storedWith(PawnCacheMask + 1);
  for (const char* root : Roots) {
    SetPosition(root);
    MatingClass = 0;
    GamePhase = phase;
    RandomWalks(rng, walksPerRoot, depth, [&] {
      const uint32_t slot = static_cast<uint32_t>(&CurrentPawnSlot() - PawnCache);
      const PawnInputs inputs = CurrentInputs();
      LastEvalTerms = EvalTerms{};
      const int32_t warm = Evaluate(-32000, 32000);
      if (LastEvalTerms.Path == EvalPathDeadDraw) return;
      const bool warmHit = LastEvalTerms.PawnCacheHit == 1;
      const bool comparable = !warmHit || storedWith[slot] == inputs;
      const PawnResults warmResults = Snapshot(warm);

      CurrentPawnSlot().Tag = 0;
      const int32_t miss = Evaluate(-32000, 32000);
      ASSERT_EQ(LastEvalTerms.PawnCacheHit, 0);
      storedWith[slot] = inputs;
      const PawnResults missResults = Snapshot(miss);
      const int32_t hit = Evaluate(-32000, 32000);
      ASSERT_EQ(LastEvalTerms.PawnCacheHit, 1);
      const PawnResults hitResults = Snapshot(hit);

      ExpectSame(missResults, hitResults, "hit against a miss");
      if (comparable) ExpectSame(missResults, warmResults, "warm cache against a miss");
      ++nodes;
      naturalHits += warmHit;
      comparedHits += warmHit && comparable;
    });
  }
  EXPECT_GT(nodes, 100);
  // Most moves do not touch pawns or kings: the walk itself finds hits.
  EXPECT_GT(comparedHits, nodes / 10);
  EXPECT_GE(naturalHits, comparedHits);
}

TEST(EvalDifferential, PawnCacheHitEqualsMissMiddlegame) { CacheHitEqualsMiss(0, 30, 30, 11); }
TEST(EvalDifferential, PawnCacheHitEqualsMissEndgame) { CacheHitEqualsMiss(1, 30, 30, 12); }
TEST(EvalDifferential, SlowPawnCacheHitEqualsMiss) {
  CacheHitEqualsMiss(0, 200, 40, 21);
  CacheHitEqualsMiss(1, 200, 40, 22);
}

bool GuardPawnsPresent() {
  const SquareSet whiteGuard = MakeSet((uint64_t{0x11111111} << 40) | (uint64_t{0x11111111} << 48));
  const SquareSet blackGuard = MakeSet((uint64_t{0x11111111} << 8) | (uint64_t{0x11111111} << 16));
  return Intersects(WhitePawns, whiteGuard) || Intersects(BlackPawns, blackGuard);
}

// Where the lazy exit may return the balance, by piece material and window.
bool LazyRuleApplies(int32_t m, int32_t t, int32_t alpha, int32_t beta) {
  if (t > 2780) return m < alpha - 220 || m > beta + 220;
  if (t > 1800) {
    if ((m < alpha - 365 || m > beta + 365) && !GuardPawnsPresent()) return true;
    return m < alpha - 965 || m > beta + 965;
  }
  return false;
}

void LazyExitDiffersOnlyWhereMaterialIsReturned(int32_t walksPerRoot, uint32_t seed) {
  std::mt19937 rng(seed);
  int64_t windows = 0;
  int64_t lazyDifferent = 0;
  for (const char* root : Roots) {
    SetPosition(root);
    RandomWalks(rng, walksPerRoot, 30, [&] {
      const int32_t m = MaterialBalance[Ply];
      const int32_t t = PieceMaterial[Ply];
      for (int k = 0; k < 4; ++k) {
        const int32_t alpha = m - 1300 + static_cast<int32_t>(rng() % 2600);
        const int32_t beta = alpha + 1 + static_cast<int32_t>(rng() % 120);
        LazyExitEnabled = 0;
        const int32_t full = Evaluate(alpha, beta);
        LazyExitEnabled = 1;
        LastEvalTerms = EvalTerms{};
        const int32_t lazy = Evaluate(alpha, beta);
        const bool rule = LazyRuleApplies(m, t, alpha, beta);
        ++windows;
        if (rule) {
          EXPECT_EQ(lazy, m);
          EXPECT_EQ(LastEvalTerms.Path, EvalPathLazy);
          if (full != m) ++lazyDifferent;
        } else {
          EXPECT_EQ(lazy, full) << "alpha " << alpha << " beta " << beta << " material " << m << " pieces " << t;
        }
      }
    });
  }
  LazyExitEnabled = 1;
  EXPECT_GT(windows, 400);
  EXPECT_GT(lazyDifferent, 0);
}

TEST(EvalDifferential, LazyExitDiffersOnlyWhereMaterialIsReturned) { LazyExitDiffersOnlyWhereMaterialIsReturned(20, 5); }
TEST(EvalDifferential, SlowLazyExitDiffersOnlyWhereMaterialIsReturned) {
  LazyExitDiffersOnlyWhereMaterialIsReturned(150, 6);
}

}  // namespace

namespace {

// A position met in the tree, with what the evaluation read there.
struct TreeNode {
  Board Cells;
  int32_t Side;
  uint8_t Moves[128];
  int32_t Castled[2];
  int32_t Score;
};

// The position at the current ply.
TreeNode CurrentNode() {
  TreeNode n;
  std::memcpy(n.Cells, SearchBoard, sizeof(Board));
  n.Side = SideToMove;
  std::memcpy(n.Moves, MoveCount, sizeof n.Moves);
  n.Castled[0] = CastledFlags[Ply][0];
  n.Castled[1] = CastledFlags[Ply][1];
  n.Score = 0;
  return n;
}

// Mailbox square of the same file on the mirrored rank.
int32_t MirrorSquare(int32_t s) { return (11 - s / 10) * 10 + s % 10; }

// Installs a node as the root position, or its colour-flipped image (ranks
// mirrored, colours, side to move, moved-piece marks and castled flags
// exchanged).
void InstallNode(const TreeNode& n, bool mirrored) {
  for (int32_t s = 0; s < 120; ++s) {
    const Piece p = n.Cells[mirrored && IsPlayable(s) ? MirrorSquare(s) : s];
    GameBoard[s] = mirrored && p != OffBoard ? Piece(-p) : p;
  }
  SideToMove = mirrored ? -n.Side : n.Side;
  InstallGamePosition();
  for (int32_t s = 0; s < 128; ++s) MoveCount[s] = n.Moves[mirrored && IsPlayable(s) ? MirrorSquare(s) : s];
  CastledFlags[0][0] = n.Castled[mirrored ? 1 : 0];
  CastledFlags[0][1] = n.Castled[mirrored ? 0 : 1];
}

// The evaluation at a node reached by make/unmake equals the evaluation of
// the same position installed from scratch at the root: nothing it reads is
// left stale by the incremental updates. Also with the breakdown off, as the
// search runs it.
void TreeNodesEvaluateAsFreshPositions(int32_t phase, uint32_t seed) {
  std::mt19937 rng(seed);
  std::vector<TreeNode> nodes;
  for (const char* root : Roots) {
    SetPosition(root);
    MatingClass = 0;
    GamePhase = phase;
    RandomWalks(rng, 6, 30, [&] {
      TreeNode n = CurrentNode();
      CurrentPawnSlot().Tag = 0;
      n.Score = Evaluate(-32000, 32000);
      nodes.push_back(n);
    });
  }
  ASSERT_GT(nodes.size(), 500u);
  for (const TreeNode& n : nodes) {
    InstallNode(n, false);
    MatingClass = 0;
    GamePhase = phase;
    CurrentPawnSlot().Tag = 0;
    ASSERT_EQ(Evaluate(-32000, 32000), n.Score);
    // The search evaluates without the breakdown: the same score.
    ExplainEvaluation = 0;
    CurrentPawnSlot().Tag = 0;
    const int32_t plain = Evaluate(-32000, 32000);
    ExplainEvaluation = 1;
    ASSERT_EQ(plain, n.Score);
  }
}

TEST(EvalDifferential, TreeNodesEvaluateAsFreshPositionsMiddlegame) { TreeNodesEvaluateAsFreshPositions(0, 31); }
TEST(EvalDifferential, TreeNodesEvaluateAsFreshPositionsEndgame) { TreeNodesEvaluateAsFreshPositions(1, 32); }

}  // namespace

namespace {

// The terms compared, as (white part, black part); a colour-flipped image
// gives each side the other's part, negated.
struct MirroredTerm {
  const char* Name;
  int32_t EvalTerms::*White;
  int32_t EvalTerms::*Black;
};
const MirroredTerm MirroredTerms[] = {
    {"King", &EvalTerms::KingWhite, &EvalTerms::KingBlack},
    {"Knights", &EvalTerms::KnightsWhite, &EvalTerms::KnightsBlack},
    {"Bishops", &EvalTerms::BishopsWhite, &EvalTerms::BishopsBlack},
    {"Rooks", &EvalTerms::RooksWhite, &EvalTerms::RooksBlack},
    {"Queens", &EvalTerms::QueensWhite, &EvalTerms::QueensBlack},
    {"Passed", &EvalTerms::PassedWhite, &EvalTerms::PassedBlack},
    {"PawnKing", &EvalTerms::PawnKingWhite, &EvalTerms::PawnKingBlack},
    {"Shelter", &EvalTerms::ShelterWhite, &EvalTerms::ShelterBlack},
    {"Pawns", &EvalTerms::PawnsWhite, &EvalTerms::PawnsBlack},
    {"WeakNearKing", &EvalTerms::WeakNearKingWhite, &EvalTerms::WeakNearKingBlack},
};

// Evaluates the installed position as the tree would (given phase, no mating
// class, pawn terms computed afresh) and returns the side to move's score.
int32_t EvaluateAfresh(int32_t phase) {
  MatingClass = 0;
  GamePhase = phase;
  CurrentPawnSlot().Tag = 0;
  LastEvalTerms = EvalTerms{};
  return Evaluate(-32000, 32000);
}

// A position and its colour-flipped image (ranks mirrored, colours and side
// to move exchanged, castling state and moved-piece marks carried over) are
// scored alike from the side to move, term by term, except for the terms
// that are asymmetric on purpose; the test lists those and, where none of
// them differs, the whole score must be the same.
void ColourMirrorScoresAlike(int32_t phase, uint32_t seed, const std::vector<const char*>& asymmetric,
                             std::vector<const char*> roots = {}) {
  std::mt19937 rng(seed);
  std::vector<TreeNode> nodes;
  roots.insert(roots.end(), std::begin(Roots), std::end(Roots));
  for (const char* root : roots) {
    SetPosition(root);
    RandomWalks(rng, 30, 40, [&] { nodes.push_back(CurrentNode()); });
  }
  ASSERT_GT(nodes.size(), 300u);
  std::vector<std::string> differing;
  int32_t compared = 0;
  for (const TreeNode& n : nodes) {
    InstallNode(n, false);
    const int32_t score = EvaluateAfresh(phase);
    const EvalTerms terms = LastEvalTerms;
    InstallNode(n, true);
    const int32_t image = EvaluateAfresh(phase);
    const EvalTerms imageTerms = LastEvalTerms;
    if (terms.Path != (phase == 0 ? EvalPathMiddlegame : EvalPathEndgame)) continue;
    ++compared;
    bool asymmetricDiffers = false;
    for (const MirroredTerm& t : MirroredTerms) {
      const bool plain = terms.*t.White == -(imageTerms.*t.Black) && terms.*t.Black == -(imageTerms.*t.White);
      if (plain) continue;
      const bool listed = std::find(asymmetric.begin(), asymmetric.end(), std::string(t.Name)) != asymmetric.end();
      asymmetricDiffers |= listed;
      if (!listed && std::find(differing.begin(), differing.end(), t.Name) == differing.end())
        differing.push_back(t.Name);
    }
    if (!asymmetricDiffers) {
      EXPECT_EQ(score, image);
    }
  }
  EXPECT_GT(compared, 100);
  std::string names;
  for (const std::string& name : differing) names += name + " ";
  EXPECT_TRUE(differing.empty()) << "terms that are not mirror images: " << names;
}

}  // namespace

// Besides the usual roots, hand-computed middlegame positions (an outpost, a
// fianchetto, doubled rooks, weak and passed pawns): their black images are
// checked here.
TEST(EvalDifferential, ColourMirrorMiddlegame) {
  ColourMirrorScoresAlike(0, 41, {},
                          {"k7/pp6/8/4N3/3P4/8/8/7K w - - 0 1", "4k3/8/8/8/8/8/5PBP/6K1 w - - 0 1",
                           "7k/6pp/8/8/8/8/3R4/3R2K1 w - - 0 1", "4k3/1p1p4/8/8/8/2P5/2P5/4K3 w - - 0 1",
                           "k7/3P4/4P3/8/8/8/8/6K1 w - - 0 1"});
}
// In the endgame only white's queen on the seventh rank earns the +20 of the
// seventh-rank bonus; black has no such term.
TEST(EvalDifferential, ColourMirrorEndgame) { ColourMirrorScoresAlike(1, 42, {"Queens"}); }
