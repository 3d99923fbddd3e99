// The endgame evaluator: cached endgame pawn terms (with the pawn race when
// only kings and pawns are left), passed-pawn extras that depend on the
// pieces, and piece terms mostly by distance to the enemy king. Known mating
// endgames are handed over whole.
#include "eval.h"
#include "evaltables.h"
#include "pawncache.h"

namespace {

inline int32_t Distance(int32_t a, int32_t b) { return KingDistance[a][b]; }
inline SquareSet FileSquares(int32_t f) { return FileSet[f - 1]; }

}  // namespace

int32_t PassedPawnExtrasWhite() {
  int32_t t = 0;
  const int32_t blackPieces = PieceCount[BlackIndex];
  for (SquareSet set = WhitePassed; !IsEmpty(set);) {
    const int32_t q = PopLowestSquare(set);
    if (SearchBoard[q + 10] < 0) t -= 4 * RankOf[q];  // blockaded
    // The king escorts the pawn to promotion and the lone defender cannot stop it.
    if (q >= 81 && blackPieces <= 1 && IsEmpty(BlackQueens) &&
        (WhiteKingSquare == q - 1 || WhiteKingSquare == q + 1 || WhiteKingSquare == q + 9 ||
         WhiteKingSquare == q + 11) &&
        BlackKingSquare != q - 1 && BlackKingSquare != q + 1) {
      if (!IsEmpty(BlackKnights)) t += 200;
      if (!IsEmpty(BlackBishops)) t += 225;
      if (!IsEmpty(BlackRooks)) t += 400;
      if (blackPieces == 0) t += 150;
    }
  }
  return t;
}

int32_t PassedPawnExtrasBlack() {
  int32_t t = 0;
  const int32_t whitePieces = PieceCount[WhiteIndex];
  for (SquareSet set = BlackPassed; !IsEmpty(set);) {
    const int32_t q = PopLowestSquare(set);
    const int32_t blocker = SearchBoard[q - 10];
    if (blocker > 0 && blocker <= King) t -= 4 * (7 - RankOf[q]);
    if (q <= 40 && whitePieces <= 1 && IsEmpty(WhiteQueens) &&
        (BlackKingSquare == q - 1 || BlackKingSquare == q + 1 || BlackKingSquare == q - 9 ||
         BlackKingSquare == q - 11) &&
        WhiteKingSquare != q - 1 && WhiteKingSquare != q + 1) {
      if (!IsEmpty(WhiteKnights)) t += 200;
      if (!IsEmpty(WhiteBishops)) t += 225;
      if (!IsEmpty(WhiteRooks)) t += 400;
      if (whitePieces == 0) t += 150;
    }
  }
  return t;
}

int32_t EvalEndgame() {
  if (MatingClass != 0) return EvalMatingEndgame();

  const int32_t stored = ProbePawnCache(SideToMove);
  if (!stored) {
    EvalEndgamePawnsWhite();
    EvalEndgamePawnsBlack();
    // Kept with the pawn entry, whose key ignores pieces: a later position
    // with the same pawns, kings and side to move but with pieces reuses it.
    if (IsEmpty(WhitePassed) && IsEmpty(BlackPassed)) {
      const int32_t w = WeakPawnsNearKingWhite();
      const int32_t b = WeakPawnsNearKingBlack();
      PawnScore += w - b;
      if (ExplainEvaluation) {
        LastEvalTerms.WeakNearKingWhite = w;
        LastEvalTerms.WeakNearKingBlack = -b;
      }
    } else if (CurrentPieceMaterial == 0) {
      const int32_t race = PawnRace();
      PawnScore += race;
      if (ExplainEvaluation) LastEvalTerms.Race = race;
    }
  }

  const int32_t wk = WhiteKingSquare;
  const int32_t bk = BlackKingSquare;
  int32_t s = PawnScore;

  int32_t passedW = 0;
  int32_t passedB = 0;
  if (!IsEmpty(WhitePassed)) passedW = PassedPawnExtrasWhite();
  if (!IsEmpty(BlackPassed)) passedB = -PassedPawnExtrasBlack();

  int32_t knightsW = 0;
  int32_t knightsB = 0;
  for (SquareSet set = WhiteKnights; !IsEmpty(set);) {
    const int32_t q = PopLowestSquare(set);
    knightsW += WhiteKnightTable[q] / 2 - Distance(q, bk);
  }
  for (SquareSet set = BlackKnights; !IsEmpty(set);) {
    const int32_t q = PopLowestSquare(set);
    knightsB += Distance(q, wk) - BlackKnightTable[q] / 2;
  }

  int32_t bishopsW = 0;
  int32_t bishopsB = 0;
  int32_t countW = 0;
  int32_t countB = 0;
  for (SquareSet set = WhiteBishops; !IsEmpty(set);) {
    const int32_t q = PopLowestSquare(set);
    bishopsW += BishopTable[q] / 4 - Distance(q, bk);
    ++countW;
  }
  for (SquareSet set = BlackBishops; !IsEmpty(set);) {
    const int32_t q = PopLowestSquare(set);
    bishopsB += Distance(q, wk) - BishopTable[q] / 4;
    ++countB;
  }

  int32_t rooksW = 0;
  int32_t rooksB = 0;
  int32_t seventhW = 0;
  int32_t seventhB = 0;
  for (SquareSet set = WhiteRooks; !IsEmpty(set);) {
    const int32_t q = PopLowestSquare(set);
    const int32_t f = FileOf[q];
    const SquareSet file = FileSquares(f);
    rooksW += EndgameRookTable[q];
    if (FilePawnCount[f][WhiteIndex] != 0) {
      const SquareSet passers = WhitePassed & file;
      if (!IsEmpty(passers)) {
        const int32_t p = HighestSquare(passers);
        rooksW += 2 * RankOf[p];
        if (q < p) rooksW += RankOf[p];
      }
    } else {
      const bool doubled = MoreThanOne(WhiteRooks & file);
      if (FilePawnCount[f][BlackIndex] != 0) {
        if (Intersects(BlackWeak, file)) {
          rooksW += 10;
          if (doubled) rooksW += 8;
        }
        rooksW += HalfOpenNear[Distance(q, bk)];
        const SquareSet passers = BlackPassed & file;
        if (!IsEmpty(passers)) {
          const int32_t p = LowestSquare(passers);
          rooksW += 2 * (7 - RankOf[p]);
          if (q < p) rooksW += 7 - RankOf[p];
        }
      } else {
        rooksW += 22 + OpenNear[Distance(q, bk)];
        if (doubled) rooksW += 10;
      }
    }
    if (q >= 81) ++seventhW;
  }
  for (SquareSet set = BlackRooks; !IsEmpty(set);) {
    const int32_t q = PopLowestSquare(set);
    const int32_t f = FileOf[q];
    const SquareSet file = FileSquares(f);
    rooksB -= EndgameRookTable[q];
    if (FilePawnCount[f][BlackIndex] != 0) {
      const SquareSet passers = BlackPassed & file;
      if (!IsEmpty(passers)) {
        const int32_t p = LowestSquare(passers);
        rooksB -= 2 * (7 - RankOf[p]);
        if (q > p) rooksB -= 7 - RankOf[p];
      }
    } else {
      const bool doubled = MoreThanOne(BlackRooks & file);
      if (FilePawnCount[f][WhiteIndex] != 0) {
        if (Intersects(WhiteWeak, file)) {
          rooksB -= 10;
          if (doubled) rooksB -= 8;
        }
        rooksB -= HalfOpenNear[Distance(q, wk)];
        const SquareSet passers = WhitePassed & file;
        if (!IsEmpty(passers)) {
          const int32_t p = HighestSquare(passers);
          rooksB -= 2 * RankOf[p];
          if (q > p) rooksB -= RankOf[p];
        }
      } else {
        rooksB -= 22 + OpenNear[Distance(q, wk)];
        if (doubled) rooksB -= 10;
      }
    }
    if (q <= 40) ++seventhB;
  }

  int32_t queensW = 0;
  int32_t queensB = 0;
  int32_t queenSeventhW = 0;
  for (SquareSet set = WhiteQueens; !IsEmpty(set);) {
    const int32_t q = PopLowestSquare(set);
    queensW += EndgameRookTable[q] - 2 * Distance(q, bk);
    if (q >= 81) queenSeventhW = 1;
  }
  for (SquareSet set = BlackQueens; !IsEmpty(set);) {
    const int32_t q = PopLowestSquare(set);
    queensB += 2 * Distance(q, wk) - EndgameRookTable[q];
  }

  if (seventhW >= 1 && bk >= 81) {
    rooksW += 12;
    if (seventhW > 1) rooksW += 35;
    if (queenSeventhW) queensW += 20;
  }
  if (seventhB >= 1 && wk <= 40) {
    rooksB -= 12;
    if (seventhB > 1) rooksB -= 35;
  }
  if (countW >= 2) bishopsW += 15;
  if (countB >= 2) bishopsB -= 15;

  s += passedW + passedB + knightsW + knightsB + bishopsW + bishopsB + rooksW + rooksB + queensW + queensB;

  if (!stored) StorePawnCache(SideToMove);

  if (ExplainEvaluation) {
    EvalTerms& terms = LastEvalTerms;
    terms.PawnCacheHit = stored;
    terms.PawnScore = PawnScore;
    terms.PassedWhite = passedW;
    terms.PassedBlack = passedB;
    terms.KnightsWhite = knightsW;
    terms.KnightsBlack = knightsB;
    terms.BishopsWhite = bishopsW;
    terms.BishopsBlack = bishopsB;
    terms.RooksWhite = rooksW;
    terms.RooksBlack = rooksB;
    terms.QueensWhite = queensW;
    terms.QueensBlack = queensB;
  }
  return s;
}
