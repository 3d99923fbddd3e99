// The endgame evaluator: cached endgame pawn terms (with the pawn race when
// only kings and pawns are left), passed-pawn extras that depend on the
// pieces, and piece terms mostly by distance to the enemy king. Known mating
// endgames are handed over whole.
//
// As in the middlegame evaluator, each stage is a white and a black routine
// mirrored by hand (the front passer is white's highest square and black's
// lowest; black's routines return white's view, black's good negative).
#include "eval.h"
#include "evaltables.h"
#include "pawncache.h"

namespace {

inline int32_t Distance(int32_t a, int32_t b) { return KingDistance[a][b]; }
inline SquareSet FileSquares(int32_t f) { return FileSet[f - 1]; }

// The pawn terms on a cache miss: both sides' endgame pawns, then either
// weak pawns the enemy king stands next to (no passed pawns) or the pawn
// race (kings and pawns only). Kept with the pawn entry, whose key ignores
// pieces: a later position with the same pawns, kings and side to move but
// with pieces reuses it.
inline void EndgamePawnTerms() {
  EvalEndgamePawnsWhite();
  EvalEndgamePawnsBlack();
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

// Knights: half the table, and closeness to the enemy king.
inline int32_t EndgameKnightsWhite(int32_t bk) {
  int32_t knights = 0;
  for (SquareSet set = WhiteKnights; !IsEmpty(set);) {
    const int32_t q = PopLowestSquare(set);
    knights += WhiteKnightTable[q] / 2 - Distance(q, bk);
  }
  return knights;
}

inline int32_t EndgameKnightsBlack(int32_t wk) {
  int32_t knights = 0;
  for (SquareSet set = BlackKnights; !IsEmpty(set);) {
    const int32_t q = PopLowestSquare(set);
    knights += Distance(q, wk) - BlackKnightTable[q] / 2;
  }
  return knights;
}

// Bishops: a quarter of the table, closeness to the enemy king, and the pair.
inline int32_t EndgameBishopsWhite(int32_t bk) {
  int32_t bishops = 0;
  int32_t count = 0;
  for (SquareSet set = WhiteBishops; !IsEmpty(set);) {
    const int32_t q = PopLowestSquare(set);
    ++count;
    bishops += BishopTable[q] / 4 - Distance(q, bk);
  }
  if (count >= 2) bishops += 15;
  return bishops;
}

inline int32_t EndgameBishopsBlack(int32_t wk) {
  int32_t bishops = 0;
  int32_t count = 0;
  for (SquareSet set = BlackBishops; !IsEmpty(set);) {
    const int32_t q = PopLowestSquare(set);
    ++count;
    bishops += Distance(q, wk) - BishopTable[q] / 4;
  }
  if (count >= 2) bishops -= 15;
  return bishops;
}

// Rooks: the endgame table and their file. With own pawns on it: behind the
// own front passer. Half-open: weak enemy pawns, near the enemy king, behind
// the enemy's front passer. Open: more near the enemy king. Doubled rooks
// count more on half-open and open files. seventh counts the rooks on the
// seventh or eighth rank.
inline int32_t EndgameRooksWhite(int32_t bk, int32_t& seventh) {
  int32_t rooks = 0;
  for (SquareSet set = WhiteRooks; !IsEmpty(set);) {
    const int32_t q = PopLowestSquare(set);
    const int32_t f = FileOf[q];
    const SquareSet file = FileSquares(f);
    rooks += EndgameRookTable[q];
    if (FilePawnCount[f][WhiteIndex] != 0) {
      const SquareSet passers = WhitePassed & file;
      if (!IsEmpty(passers)) {
        const int32_t p = HighestSquare(passers);
        rooks += 2 * RankOf[p];
        if (q < p) rooks += RankOf[p];
      }
    } else {
      const bool doubled = MoreThanOne(WhiteRooks & file);
      if (FilePawnCount[f][BlackIndex] != 0) {
        if (Intersects(BlackWeak, file)) {
          rooks += 10;
          if (doubled) rooks += 8;
        }
        rooks += HalfOpenNear[Distance(q, bk)];
        const SquareSet passers = BlackPassed & file;
        if (!IsEmpty(passers)) {
          const int32_t p = LowestSquare(passers);
          rooks += 2 * (7 - RankOf[p]);
          if (q < p) rooks += 7 - RankOf[p];
        }
      } else {
        rooks += 22 + OpenNear[Distance(q, bk)];
        if (doubled) rooks += 10;
      }
    }
    if (q >= SqA7) ++seventh;
  }
  return rooks;
}

inline int32_t EndgameRooksBlack(int32_t wk, int32_t& seventh) {
  int32_t rooks = 0;
  for (SquareSet set = BlackRooks; !IsEmpty(set);) {
    const int32_t q = PopLowestSquare(set);
    const int32_t f = FileOf[q];
    const SquareSet file = FileSquares(f);
    rooks -= EndgameRookTable[q];
    if (FilePawnCount[f][BlackIndex] != 0) {
      const SquareSet passers = BlackPassed & file;
      if (!IsEmpty(passers)) {
        const int32_t p = LowestSquare(passers);
        rooks -= 2 * (7 - RankOf[p]);
        if (q > p) rooks -= 7 - RankOf[p];
      }
    } else {
      const bool doubled = MoreThanOne(BlackRooks & file);
      if (FilePawnCount[f][WhiteIndex] != 0) {
        if (Intersects(WhiteWeak, file)) {
          rooks -= 10;
          if (doubled) rooks -= 8;
        }
        rooks -= HalfOpenNear[Distance(q, wk)];
        const SquareSet passers = WhitePassed & file;
        if (!IsEmpty(passers)) {
          const int32_t p = HighestSquare(passers);
          rooks -= 2 * RankOf[p];
          if (q > p) rooks -= RankOf[p];
        }
      } else {
        rooks -= 22 + OpenNear[Distance(q, wk)];
        if (doubled) rooks -= 10;
      }
    }
    if (q < SqA3) ++seventh;
  }
  return rooks;
}

// Queens: the rook's endgame table and closeness to the enemy king. Only
// white's queen is noted on the seventh or eighth rank (onSeventh); black's
// has no such term.
inline int32_t EndgameQueensWhite(int32_t bk, int32_t& onSeventh) {
  int32_t queens = 0;
  for (SquareSet set = WhiteQueens; !IsEmpty(set);) {
    const int32_t q = PopLowestSquare(set);
    queens += EndgameRookTable[q] - 2 * Distance(q, bk);
    if (q >= SqA7) onSeventh = 1;
  }
  return queens;
}

inline int32_t EndgameQueensBlack(int32_t wk) {
  int32_t queens = 0;
  for (SquareSet set = BlackQueens; !IsEmpty(set);) {
    const int32_t q = PopLowestSquare(set);
    queens += 2 * Distance(q, wk) - EndgameRookTable[q];
  }
  return queens;
}

}  // namespace

int32_t PassedPawnExtrasWhite() {
  int32_t t = 0;
  const int32_t blackPieces = PieceCount[BlackIndex];
  for (SquareSet set = WhitePassed; !IsEmpty(set);) {
    const int32_t q = PopLowestSquare(set);
    if (SearchBoard[q + 10] < 0) t -= 4 * RankOf[q];  // blockaded
    // The king escorts the pawn to promotion and the lone defender cannot stop it.
    if (q >= SqA7 && blackPieces <= 1 && IsEmpty(BlackQueens) &&
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
    if (q < SqA3 && whitePieces <= 1 && IsEmpty(WhiteQueens) &&
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
  if (!stored) EndgamePawnTerms();

  const int32_t wk = WhiteKingSquare;
  const int32_t bk = BlackKingSquare;
  int32_t s = PawnScore;

  int32_t passedW = 0;
  int32_t passedB = 0;
  if (!IsEmpty(WhitePassed)) passedW = PassedPawnExtrasWhite();
  if (!IsEmpty(BlackPassed)) passedB = -PassedPawnExtrasBlack();

  const int32_t knightsW = EndgameKnightsWhite(bk);
  const int32_t knightsB = EndgameKnightsBlack(wk);
  const int32_t bishopsW = EndgameBishopsWhite(bk);
  const int32_t bishopsB = EndgameBishopsBlack(wk);
  int32_t seventhW = 0, seventhB = 0;  // rooks on the enemy's two back ranks
  int32_t rooksW = EndgameRooksWhite(bk, seventhW);
  int32_t rooksB = EndgameRooksBlack(wk, seventhB);
  int32_t queenSeventhW = 0;
  int32_t queensW = EndgameQueensWhite(bk, queenSeventhW);
  const int32_t queensB = EndgameQueensBlack(wk);

  // Seventh rank: rooks there (and white's queen with them) while the enemy
  // king is on its two back ranks.
  if (seventhW >= 1 && bk >= SqA7) {
    rooksW += 12;
    if (seventhW > 1) rooksW += 35;
    if (queenSeventhW) queensW += 20;
  }
  if (seventhB >= 1 && wk < SqA3) {
    rooksB -= 12;
    if (seventhB > 1) rooksB -= 35;
  }

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
