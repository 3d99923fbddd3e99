// Endgame pawn terms: a rank bonus instead of the pawn table, passed pawns
// weighed by the race of the two kings towards them, the king rewarded for
// centralisation, and kings that attack weak pawns when nobody has a passer.
#include "eval.h"
#include "evaltables.h"
#include "pawncache.h"

namespace {

inline int32_t Distance(int32_t a, int32_t b) { return KingDistance[a][b]; }

}  // namespace

void EvalEndgamePawnsWhite() {
  BuildPawnAttacks();
  WhitePassed = SquareSet{0, 0};
  WhiteWeak = SquareSet{0, 0};
  const int32_t wk = WhiteKingSquare;
  const int32_t bk = BlackKingSquare;

  if (IsEmpty(WhitePawns)) {
    PawnScore += KingPlacementTable[wk];
    if (ExplainEvaluation) {
      LastEvalTerms.PawnKingWhite = KingPlacementTable[wk];
      LastEvalTerms.PawnsWhite = 0;
    }
    return;
  }

  int32_t sum = 0;
  for (SquareSet set = WhitePawns; !IsEmpty(set);) {
    const int32_t q = PopLowestSquare(set);
    const int32_t r = RankOf[q];
    const int32_t f = FileOf[q];
    const int32_t onFile = FilePawnCount[f][WhiteIndex];
    int32_t t = 4 * r;

    const bool passed = !Intersects(FileUpMask[q], BlackPawns | BlackPawnAttacks);
    if (passed) {
      WhitePassed |= SquareBit[q];
      t += 8 * (Distance(q, bk) - Distance(q, wk) + 2 * r);
      if (Distance(q, wk) <= 1) {
        t += 4 * RankOf[wk];
        if (r >= 5) t += 2 * r;
      }
    }
    if (InSet(WhitePawnAttacks, q) || InSet(WhitePawnAttacks, q + 10)) {
      t += r >= 5 ? 2 * r : r;
      if (passed) {
        t += 4 * r;
        if (r >= 5) t += 4 * r;
      }
      if (onFile > 1) t -= 10;
      sum += t;
      continue;
    }
    bool weak = true;
    if (!HasPiece(q + 10, -Pawn) && (HasPiece(q + 9, Pawn) || HasPiece(q + 11, Pawn))) {
      const int32_t attackers = CountSquares(WhitePawnAttackMask[q + 10] & BlackKnights);
      const int32_t defenders = CountSquares(BlackPawnAttackMask[q + 10] & WhiteKnights);
      weak = attackers > defenders;
    }
    if (weak) {
      WhiteWeak |= SquareBit[q];
      t -= 10;
    }
    if (FilePawnCount[f - 1][WhiteIndex] == 0 && FilePawnCount[f + 1][WhiteIndex] == 0) {
      if (FilePawnCount[f][BlackIndex] == 0) t -= 7;
      if (onFile > 1) t -= 6;
    }
    if (onFile > 1) t -= 10;
    sum += t;
  }

  // With a passed pawn on the board the king has work to do: its
  // centralisation counts only a quarter.
  const int32_t kingPart = IsEmpty(WhitePassed) ? KingPlacementTable[wk] : KingPlacementTable[wk] / 4;
  PawnScore += sum + kingPart;
  if (ExplainEvaluation) {
    LastEvalTerms.PawnKingWhite = kingPart;
    LastEvalTerms.PawnsWhite = sum;
  }
}

void EvalEndgamePawnsBlack() {
  BlackPassed = SquareSet{0, 0};
  BlackWeak = SquareSet{0, 0};
  const int32_t wk = WhiteKingSquare;
  const int32_t bk = BlackKingSquare;

  if (IsEmpty(BlackPawns)) {
    PawnScore -= KingPlacementTable[bk];
    if (ExplainEvaluation) {
      LastEvalTerms.PawnKingBlack = -KingPlacementTable[bk];
      LastEvalTerms.PawnsBlack = 0;
    }
    return;
  }

  int32_t sum = 0;
  for (SquareSet set = BlackPawns; !IsEmpty(set);) {
    const int32_t q = PopLowestSquare(set);
    const int32_t r = 7 - RankOf[q];
    const int32_t f = FileOf[q];
    const int32_t onFile = FilePawnCount[f][BlackIndex];
    int32_t t = 4 * r;

    const bool passed = !Intersects(FileDownMask[q], WhitePawns | WhitePawnAttacks);
    if (passed) {
      BlackPassed |= SquareBit[q];
      t += 8 * (Distance(q, wk) - Distance(q, bk) + 2 * r);
      if (Distance(q, bk) <= 1) {
        t += 4 * (7 - RankOf[bk]);
        if (r >= 5) t += 2 * r;
      }
    }
    if (InSet(BlackPawnAttacks, q) || InSet(BlackPawnAttacks, q - 10)) {
      t += r >= 5 ? 2 * r : r;
      if (passed) {
        t += 4 * r;
        if (r >= 5) t += 4 * r;
      }
      if (onFile > 1) t -= 10;
      sum += t;
      continue;
    }
    bool weak = true;
    if (!HasPiece(q - 10, Pawn) && (HasPiece(q - 9, -Pawn) || HasPiece(q - 11, -Pawn))) {
      const int32_t attackers = CountSquares(BlackPawnAttackMask[q - 10] & WhiteKnights);
      const int32_t defenders = CountSquares(WhitePawnAttackMask[q - 10] & BlackKnights);
      weak = attackers > defenders;
    }
    if (weak) {
      BlackWeak |= SquareBit[q];
      t -= 10;
    }
    if (FilePawnCount[f - 1][BlackIndex] == 0 && FilePawnCount[f + 1][BlackIndex] == 0) {
      if (FilePawnCount[f][WhiteIndex] == 0) t -= 7;
      if (onFile > 1) t -= 6;
    }
    if (onFile > 1) t -= 10;
    sum += t;
  }

  const int32_t kingPart = IsEmpty(BlackPassed) ? KingPlacementTable[bk] : KingPlacementTable[bk] / 4;
  PawnScore -= sum + kingPart;
  if (ExplainEvaluation) {
    LastEvalTerms.PawnKingBlack = -kingPart;
    LastEvalTerms.PawnsBlack = -sum;
  }
}

int32_t WeakPawnsNearKingWhite() {
  int32_t sum = 0;
  const int32_t bk = BlackKingSquare;
  for (SquareSet set = WhiteWeak; !IsEmpty(set);) {
    const int32_t q = PopLowestSquare(set);
    if (Distance(q, bk) <= 1) sum += -13 - KingPlacementTable[bk] / 2 - RankOf[q];
  }
  return sum;
}

int32_t WeakPawnsNearKingBlack() {
  int32_t sum = 0;
  const int32_t wk = WhiteKingSquare;
  for (SquareSet set = BlackWeak; !IsEmpty(set);) {
    const int32_t q = PopLowestSquare(set);
    if (Distance(q, wk) <= 1) sum += RankOf[q] - KingPlacementTable[wk] / 2 - 20;
  }
  return sum;
}
