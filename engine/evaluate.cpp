// The one static evaluation of the search: a lazy exit on material when the
// balance lies far outside the window, then the positional evaluator of the
// game phase, the material balance, and the rule that a side without mating
// material cannot be winning.
#include <cassert>

#include "board.h"
#include "eval.h"
#include "evalsquares.h"
#include "searchstate.h"

int32_t CurrentPieceMaterial;
int32_t PositionalScore;
int32_t LazyExitEnabled = 1;
int32_t ExplainEvaluation = 0;
EvalTerms LastEvalTerms;

namespace {

// Entry k: the a- and e-file squares of ranks k+1 .. k+4.
constexpr uint64_t GuardMask(int32_t k) { return uint64_t{0x11111111} << (8 * k); }
// Advanced white pawns (a6, e6, a7, e7, a8, e8) and black pawns on a2..a6,
// e2..e6 make the middle margin of the lazy exit too risky.
const SquareSet WhiteGuardSet = MakeSet(GuardMask(5) | GuardMask(6));
const SquareSet BlackGuardSet = MakeSet(GuardMask(1) | GuardMask(2));

// No pawn, rook or queen, and at most a bishop or some knights.
inline int32_t WhiteCannotMate() {
  return PawnCount[WhiteIndex] == 0 && IsEmpty(WhiteRooks) && IsEmpty(WhiteQueens) &&
         !MoreThanOne(WhiteBishops) && (IsEmpty(WhiteKnights) || IsEmpty(WhiteBishops));
}
inline int32_t BlackCannotMate() {
  return PawnCount[BlackIndex] == 0 && IsEmpty(BlackRooks) && IsEmpty(BlackQueens) &&
         !MoreThanOne(BlackBishops) && (IsEmpty(BlackKnights) || IsEmpty(BlackBishops));
}

inline void NotePath(int32_t path) {
  if (ExplainEvaluation) LastEvalTerms.Path = path;
}

}  // namespace

int32_t Evaluate(int32_t alpha, int32_t beta) {
  assert(Ply >= 0 && Ply < PlyLimit);
  assert(SideToMove == White || SideToMove == Black);
  assert(GamePhase >= 0 && GamePhase <= 2);
  assert(GamePhase == 0 || MatingClass == 0 || GamePhase == 2);
  const int32_t m = MaterialBalance[Ply];
  const int32_t t = PieceMaterial[Ply];
  CurrentPieceMaterial = t;
  if (ExplainEvaluation) {
    LastEvalTerms.Material = m;
    LastEvalTerms.PieceMaterial = t;
  }

  // The margins widen as pieces come off; with little material left, passed
  // pawns and king activity can outweigh it, so there is no lazy exit.
  if (t > 2780) {
    if ((m < alpha - 220 || m > beta + 220) && LazyExitEnabled) {
      NotePath(EvalPathLazy);
      return m;
    }
  } else if (t > 1800) {
    bool lazy;
    if ((m < alpha - 365 || m > beta + 365) && !Intersects(WhitePawns, WhiteGuardSet) &&
        !Intersects(BlackPawns, BlackGuardSet)) {
      lazy = true;
    } else {
      lazy = m < alpha - 965 || m > beta + 965;
    }
    if (lazy && LazyExitEnabled) {
      NotePath(EvalPathLazy);
      return m;
    }
  }

  PositionalScore = 0;
  int32_t whiteFlag = 0;
  int32_t blackFlag = 0;
  int32_t p;
  if (GamePhase == 0) {
    NotePath(EvalPathMiddlegame);
    p = EvalMiddlegame();
  } else {
    whiteFlag = WhiteCannotMate();
    blackFlag = BlackCannotMate();
    if (ExplainEvaluation) {
      LastEvalTerms.WhiteInsufficient = whiteFlag;
      LastEvalTerms.BlackInsufficient = blackFlag;
    }
    if (whiteFlag && blackFlag) {
      NotePath(EvalPathDeadDraw);
      return 0;
    }
    NotePath(MatingClass != 0 ? EvalPathMating : EvalPathEndgame);
    p = EvalEndgame();
  }
  int32_t s = SideToMove * p + m;
  if (ExplainEvaluation) {
    LastEvalTerms.Positional = p;
    LastEvalTerms.BeforeCorrection = s;
  }

  // Told from white's view; not clamped, so a small lead can change sides.
  int32_t w = SideToMove * s;
  if (whiteFlag && w > 0) w -= 170;
  if (blackFlag && w < 0) w += 170;
  s = SideToMove * w;
  return s;
}
