// The middlegame evaluator: king safety (castling, pawn cover of the king's
// files), knights, bishops, rooks and queens judged against the enemy king,
// seventh-rank and bishop-pair bonuses, on top of the cached pawn structure.
#include "attacks.h"
#include "eval.h"
#include "evaltables.h"
#include "pawncache.h"

namespace {

inline int32_t Distance(int32_t a, int32_t b) { return KingDistance[a][b]; }
inline SquareSet FileSquares(int32_t f) { return FileSet[f - 1]; }
inline int32_t Absolute(int32_t x) { return x < 0 ? -x : x; }

}  // namespace

int32_t EvalMiddlegame() {
  const int32_t stored = ProbePawnCache(2 * SideToMove);
  if (!stored) {
    EvalPawnsWhite();
    EvalPawnsBlack();
  }

  const int32_t wk = WhiteKingSquare;
  const int32_t bk = BlackKingSquare;
  const int32_t wkFile = FileOf[wk];
  const int32_t bkFile = FileOf[bk];

  // King safety: castling status.
  int32_t kingW = 0;
  int32_t kingB = 0;
  if (CastledFlags[Ply][WhiteIndex] == 0) {
    kingW = (MoveCount[SqE1] != 0 || (MoveCount[SqH1] != 0 && MoveCount[SqA1] != 0)) ? -50 : -28;
  }
  if (CastledFlags[Ply][BlackIndex] == 0) {
    kingB = (MoveCount[SqE8] != 0 || (MoveCount[SqH8] != 0 && MoveCount[SqA8] != 0)) ? 50 : 28;
  }

  // Files at the king without own pawns; worth more while the enemy has a
  // queen. OpenW/OpenB count the king's file and the one to its right.
  int32_t coverW = 0;
  int32_t coverB = 0;
  {
    const int32_t q = IsEmpty(BlackQueens) ? 1 : 2;
    for (int32_t f = wkFile - 1; f <= wkFile + 1; ++f) {
      if (FilePawnCount[f][WhiteIndex] == 0) coverW += 8 * q;
    }
  }
  {
    const int32_t q = IsEmpty(WhiteQueens) ? 1 : 2;
    for (int32_t f = bkFile - 1; f <= bkFile + 1; ++f) {
      if (FilePawnCount[f][BlackIndex] == 0) coverB += 8 * q;
    }
  }
  const int32_t openW = (FilePawnCount[wkFile][WhiteIndex] == 0) + (FilePawnCount[wkFile + 1][WhiteIndex] == 0);
  const int32_t openB = (FilePawnCount[bkFile][BlackIndex] == 0) + (FilePawnCount[bkFile + 1][BlackIndex] == 0);

  // Knights.
  int32_t knightsW = 0;
  int32_t knightsB = 0;
  for (SquareSet set = WhiteKnights; !IsEmpty(set);) {
    const int32_t s = PopLowestSquare(set);
    const int32_t d = Distance(s, bk);
    knightsW += WhiteKnightTable[s] - 2 * d;
    if (openB >= 1 && d < 4) knightsW += 10;
    if (s == SqB1 && HasPiece(SqA1, Rook)) knightsW -= 8;
    if (s == SqG1 && HasPiece(SqH1, Rook)) knightsW -= 8;
    if (MoreThanOne(KnightMask[s] & (BlackKing | BlackRooks | BlackQueens)) && AttackedByBlack(s) == 0) {
      knightsW += 120;
    }
    const int32_t o = WhiteOutpostTable[s];
    if (o > 0 && !Intersects(FileUpMask[s], BlackPawnAttacks)) {
      knightsW += o;
      if (HasPiece(s - 11, Pawn) || HasPiece(s - 9, Pawn)) knightsW += 2 * o;
    }
  }
  for (SquareSet set = BlackKnights; !IsEmpty(set);) {
    const int32_t s = PopLowestSquare(set);
    const int32_t d = Distance(s, wk);
    knightsB += -BlackKnightTable[s] + 2 * d;
    if (openW >= 1 && d < 4) knightsB -= 10;
    if (s == SqB8 && HasPiece(SqA8, -Rook)) knightsB += 8;
    if (s == SqG8 && HasPiece(SqH8, -Rook)) knightsB += 8;
    if (MoreThanOne(KnightMask[s] & (WhiteKing | WhiteRooks | WhiteQueens)) && AttackedByWhite(s) == 0) {
      knightsB -= 120;
    }
    const int32_t o = BlackOutpostTable[s];
    if (o > 0 && !Intersects(FileDownMask[s], WhitePawnAttacks)) {
      knightsB -= o;
      if (HasPiece(s + 11, -Pawn) || HasPiece(s + 9, -Pawn)) knightsB -= 2 * o;
    }
  }

  // Bishops.
  int32_t bishopsW = 0;
  int32_t bishopsB = 0;
  int32_t countW = 0;
  int32_t countB = 0;
  for (SquareSet set = WhiteBishops; !IsEmpty(set);) {
    const int32_t s = PopLowestSquare(set);
    ++countW;
    bishopsW += BishopTable[s] - Distance(s, bk);
    if ((s == 44 || s == 45) && HasPiece(s - 10, Pawn)) bishopsW -= 20;  // d3/e3 blocking its own pawn
    // A bishop that took the pawn on the edge gets shut in by the pawn beside it.
    int32_t pawnA = 0, pawnB = 0, test = 0;
    if (s == 81) { pawnA = 82; pawnB = 72; test = 72; }       // a7: b7, b6
    else if (s == 92) { pawnA = 72; pawnB = 83; test = 83; }  // b8: b6, c7
    else if (s == 88) { pawnA = 87; pawnB = 77; test = 77; }  // h7: g7, g6
    else if (s == 97) { pawnA = 77; pawnB = 86; test = 86; }  // g8: g6, f7
    if (test != 0 && (HasPiece(pawnA, -Pawn) || HasPiece(pawnB, -Pawn)) && AttackedByBlack(test) == 1) {
      bishopsW -= 140;
    }
    if (s == 37 && wk == SqG1 && HasPiece(36, Pawn) && HasPiece(38, Pawn)) bishopsW += 4;  // fianchetto g2
  }
  for (SquareSet set = BlackBishops; !IsEmpty(set);) {
    const int32_t s = PopLowestSquare(set);
    ++countB;
    bishopsB += Distance(s, wk) - BishopTable[s];
    if ((s == 74 || s == 75) && HasPiece(s + 10, -Pawn)) bishopsB += 20;  // d6/e6
    int32_t pawnA = 0, pawnB = 0, test = 0;
    if (s == 31) { pawnA = 32; pawnB = 42; test = 42; }       // a2: b2, b3
    else if (s == 22) { pawnA = 33; pawnB = 42; test = 33; }  // b1: c2, b3
    else if (s == 38) { pawnA = 37; pawnB = 47; test = 47; }  // h2: g2, g3
    else if (s == 27) { pawnA = 36; pawnB = 47; test = 36; }  // g1: f2, g3
    if (test != 0 && (HasPiece(pawnA, Pawn) || HasPiece(pawnB, Pawn)) && AttackedByWhite(test) == 1) {
      bishopsB += 140;
    }
    if (s == 87 && bk == SqG8 && HasPiece(86, -Pawn) && HasPiece(88, -Pawn)) bishopsB -= 4;  // fianchetto g7
  }

  // Rooks.
  int32_t rooksW = 0;
  int32_t rooksB = 0;
  int32_t nearB = 0;
  int32_t nearW = 0;
  int32_t seventhW = 0;
  int32_t seventhB = 0;
  for (SquareSet set = WhiteRooks; !IsEmpty(set);) {
    const int32_t s = PopLowestSquare(set);
    const int32_t f = FileOf[s];
    const SquareSet file = FileSquares(f);
    const bool ownInFront = Intersects(FileUpMask[s], WhitePawns);
    if (FilePawnCount[f][WhiteIndex] != 0) {
      const SquareSet passers = WhitePassed & file;
      if (!IsEmpty(passers)) {
        const int32_t p = HighestSquare(passers);
        rooksW += 2 * RankOf[p];
        if (s < p) rooksW += RankOf[p];
      }
      if (FilePawnCount[f][BlackIndex] == 0 && !ownInFront) rooksW += 8;
    } else {
      const bool doubled = MoreThanOne(WhiteRooks & file);
      if (FilePawnCount[f][BlackIndex] != 0) {
        if (Intersects(BlackWeak, file)) {
          rooksW += 6;
          if (doubled) rooksW += 4;
        }
        const SquareSet passers = BlackPassed & file;
        if (!IsEmpty(passers)) {
          const int32_t p = LowestSquare(passers);
          rooksW += 2 * (7 - RankOf[p]);
          if (s < p) rooksW += 7 - RankOf[p];
        }
      } else {
        rooksW += 24;
        if (doubled) rooksW += 17;
      }
    }
    if (openB >= 1 && Absolute(f - bkFile) < 2 && !ownInFront) {
      rooksW += 6;
      if (FilePawnCount[f][BlackIndex] == 0) rooksW += 4;
      ++nearB;
    }
    if (s >= 81) ++seventhW;
    if ((s == SqA1 || s == SqB1) && (wk == s + 1 || wk == s + 2) && (HasPiece(s + 10, Pawn) || HasPiece(s + 20, Pawn))) {
      rooksW -= 20;
    }
    if ((s == SqG1 || s == SqH1) && (wk == s - 1 || wk == s - 2) && (HasPiece(s + 10, Pawn) || HasPiece(s + 20, Pawn))) {
      rooksW -= 20;
    }
  }
  for (SquareSet set = BlackRooks; !IsEmpty(set);) {
    const int32_t s = PopLowestSquare(set);
    const int32_t f = FileOf[s];
    const SquareSet file = FileSquares(f);
    const bool ownInFront = Intersects(FileDownMask[s], BlackPawns);
    if (FilePawnCount[f][BlackIndex] != 0) {
      const SquareSet passers = BlackPassed & file;
      if (!IsEmpty(passers)) {
        const int32_t p = LowestSquare(passers);
        rooksB -= 2 * (7 - RankOf[p]);
        if (s > p) rooksB -= 7 - RankOf[p];
      }
      if (FilePawnCount[f][WhiteIndex] == 0 && !ownInFront) rooksB -= 8;
    } else {
      const bool doubled = MoreThanOne(BlackRooks & file);
      if (FilePawnCount[f][WhiteIndex] != 0) {
        if (Intersects(WhiteWeak, file)) {
          rooksB -= 6;
          if (doubled) rooksB -= 4;
        }
        const SquareSet passers = WhitePassed & file;
        if (!IsEmpty(passers)) {
          const int32_t p = HighestSquare(passers);
          rooksB -= 2 * RankOf[p];
          if (s > p) rooksB -= RankOf[p];
        }
      } else {
        rooksB -= 24;
        if (doubled) rooksB -= 17;
      }
    }
    if (openW >= 1 && Absolute(f - wkFile) < 2 && !ownInFront) {
      rooksB -= 6;
      if (FilePawnCount[f][WhiteIndex] == 0) rooksB -= 4;
      ++nearW;
    }
    if (s <= 40) ++seventhB;
    if ((s == SqA8 || s == SqB8) && (bk == s + 1 || bk == s + 2) && (HasPiece(s - 10, -Pawn) || HasPiece(s - 20, -Pawn))) {
      rooksB += 20;
    }
    if ((s == SqG8 || s == SqH8) && (bk == s - 1 || bk == s - 2) && (HasPiece(s - 10, -Pawn) || HasPiece(s - 20, -Pawn))) {
      rooksB += 20;
    }
  }

  // Queens. Out early while the minor pieces still sit at home: only a
  // penalty, no other queen term.
  int32_t queensW = 0;
  int32_t queensB = 0;
  int32_t queenSeventhW = 0;
  int32_t queenSeventhB = 0;
  if (!IsEmpty(WhiteQueens)) {
    const bool early = CastledFlags[Ply][WhiteIndex] == 0 &&
                       (MoveCount[SqB1] != 0) + (MoveCount[SqC1] != 0) + (MoveCount[SqF1] != 0) +
                               (MoveCount[SqG1] != 0) < 3;
    for (SquareSet set = WhiteQueens; !IsEmpty(set);) {
      const int32_t s = PopLowestSquare(set);
      if (early) {
        if (s > 40) queensW -= 15;
      } else {
        queensW += 2 * (RankOf[s] - Distance(s, bk));
        if (openB >= 1 && Absolute(FileOf[s] - bkFile) < 2 && !Intersects(FileUpMask[s], WhitePawns)) {
          queensW += (nearB + 3) * (FilePawnCount[FileOf[s]][BlackIndex] == 0 ? 10 : 6);
        }
      }
      if (s >= 81) queenSeventhW = 1;
    }
  }
  if (!IsEmpty(BlackQueens)) {
    const bool early = CastledFlags[Ply][BlackIndex] == 0 &&
                       (MoveCount[SqB8] != 0) + (MoveCount[SqC8] != 0) + (MoveCount[SqF8] != 0) +
                               (MoveCount[SqG8] != 0) < 3;
    for (SquareSet set = BlackQueens; !IsEmpty(set);) {
      const int32_t s = PopLowestSquare(set);
      if (early) {
        if (s < 80) queensB += 15;
      } else {
        queensB += 2 * RankOf[s] + 2 * Distance(s, wk) - 14;
        if (openW >= 1 && Absolute(FileOf[s] - wkFile) < 2 && !Intersects(FileDownMask[s], BlackPawns)) {
          queensB -= (nearW + 3) * (FilePawnCount[FileOf[s]][WhiteIndex] == 0 ? 10 : 6);
        }
      }
      if (s < 41) queenSeventhB = 1;
    }
  }

  // Totals: cover penalties, seventh rank, bishop pair.
  kingW -= coverW;
  kingB += coverB;
  if (seventhW >= 1 && bk >= 81) {
    rooksW += 12;
    if (seventhW > 1) rooksW += 35;
    if (queenSeventhW) queensW += 20;
  }
  if (queenSeventhW) queensW += 10;
  if (seventhB >= 1 && wk <= 40) {
    rooksB -= 12;
    if (seventhB > 1) rooksB -= 35;
    if (queenSeventhB) queensB -= 20;
  }
  if (queenSeventhB) queensB -= 10;
  if (countW >= 2) bishopsW += 15;
  if (countB >= 2) bishopsB -= 15;

  PositionalScore += kingW + kingB + knightsW + knightsB + bishopsW + bishopsB + rooksW + rooksB + queensW + queensB;

  if (!stored) StorePawnCache(2 * SideToMove);

  if (ExplainEvaluation) {
    EvalTerms& terms = LastEvalTerms;
    terms.PawnCacheHit = stored;
    terms.PawnScore = PawnScore;
    terms.KingWhite = kingW;
    terms.KingBlack = kingB;
    terms.KnightsWhite = knightsW;
    terms.KnightsBlack = knightsB;
    terms.BishopsWhite = bishopsW;
    terms.BishopsBlack = bishopsB;
    terms.RooksWhite = rooksW;
    terms.RooksBlack = rooksB;
    terms.QueensWhite = queensW;
    terms.QueensBlack = queensB;
  }
  return PositionalScore + PawnScore;
}
