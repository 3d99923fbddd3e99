// The middlegame evaluator: king safety (castling, pawn cover of the king's
// files), knights, bishops, rooks and queens judged against the enemy king,
// seventh-rank and bishop-pair bonuses, on top of the cached pawn structure.
//
// Each stage is a white routine and a black one mirrored by hand rather than
// one routine over a side. The mirror is not a plain flip: both sides walk
// their pieces lowest square first, white's front passer is its highest
// square and black's its lowest, and some black terms are written in an
// equal but different form. Spelt out, each line can be checked against its
// twin, and the search pays for no side lookups. Black's routines return
// white's view (black's good is negative).
#include "attacks.h"
#include "eval.h"
#include "evaltables.h"
#include "pawncache.h"

namespace {

inline int32_t Distance(int32_t a, int32_t b) { return KingDistance[a][b]; }
inline SquareSet FileSquares(int32_t f) { return FileSet[f - 1]; }
inline int32_t Absolute(int32_t x) { return x < 0 ? -x : x; }

// Castling status: an uncastled king costs less while it can still castle
// (king and at least one rook unmoved).
inline int32_t CastlingWhite() {
  if (CastledFlags[Ply][WhiteIndex] != 0) return 0;
  return (MoveCount[SqE1] != 0 || (MoveCount[SqH1] != 0 && MoveCount[SqA1] != 0)) ? -50 : -28;
}

inline int32_t CastlingBlack() {
  if (CastledFlags[Ply][BlackIndex] != 0) return 0;
  return (MoveCount[SqE8] != 0 || (MoveCount[SqH8] != 0 && MoveCount[SqA8] != 0)) ? 50 : 28;
}

// Pawn cover: the three files at the king without own pawns, worth more while
// the enemy has a queen. Returned as a positive penalty.
inline int32_t KingFileCoverWhite(int32_t kingFile) {
  const int32_t q = IsEmpty(BlackQueens) ? 1 : 2;
  int32_t cover = 0;
  for (int32_t f = kingFile - 1; f <= kingFile + 1; ++f) {
    if (FilePawnCount[f][WhiteIndex] == 0) cover += 8 * q;
  }
  return cover;
}

inline int32_t KingFileCoverBlack(int32_t kingFile) {
  const int32_t q = IsEmpty(WhiteQueens) ? 1 : 2;
  int32_t cover = 0;
  for (int32_t f = kingFile - 1; f <= kingFile + 1; ++f) {
    if (FilePawnCount[f][BlackIndex] == 0) cover += 8 * q;
  }
  return cover;
}

// Open files at the king, as the enemy pieces' attack terms see them: the
// king's file and the one to its right, counted when without own pawns.
inline int32_t OpenKingFilesWhite(int32_t kingFile) {
  return (FilePawnCount[kingFile][WhiteIndex] == 0) + (FilePawnCount[kingFile + 1][WhiteIndex] == 0);
}

inline int32_t OpenKingFilesBlack(int32_t kingFile) {
  return (FilePawnCount[kingFile][BlackIndex] == 0) + (FilePawnCount[kingFile + 1][BlackIndex] == 0);
}

// Knights: table and closeness to the enemy king (more with its files open),
// blocking the home rook, a fork of king, rooks or queens from a square the
// enemy does not attack, and outposts (three times as much when a pawn
// guards them).
inline int32_t KnightsWhite(int32_t bk, int32_t openB) {
  int32_t knights = 0;
  for (SquareSet set = WhiteKnights; !IsEmpty(set);) {
    const int32_t s = PopLowestSquare(set);
    const int32_t d = Distance(s, bk);
    knights += WhiteKnightTable[s] - 2 * d;
    if (openB >= 1 && d < 4) knights += 10;
    if (s == SqB1 && HasPiece(SqA1, Rook)) knights -= 8;
    if (s == SqG1 && HasPiece(SqH1, Rook)) knights -= 8;
    if (MoreThanOne(KnightMask[s] & (BlackKing | BlackRooks | BlackQueens)) && AttackedByBlack(s) == 0) {
      knights += 120;
    }
    const int32_t o = WhiteOutpostTable[s];
    if (o > 0 && !Intersects(FileUpMask[s], BlackPawnAttacks)) {
      knights += o;
      if (HasPiece(s - 11, Pawn) || HasPiece(s - 9, Pawn)) knights += 2 * o;
    }
  }
  return knights;
}

inline int32_t KnightsBlack(int32_t wk, int32_t openW) {
  int32_t knights = 0;
  for (SquareSet set = BlackKnights; !IsEmpty(set);) {
    const int32_t s = PopLowestSquare(set);
    const int32_t d = Distance(s, wk);
    knights += -BlackKnightTable[s] + 2 * d;
    if (openW >= 1 && d < 4) knights -= 10;
    if (s == SqB8 && HasPiece(SqA8, -Rook)) knights += 8;
    if (s == SqG8 && HasPiece(SqH8, -Rook)) knights += 8;
    if (MoreThanOne(KnightMask[s] & (WhiteKing | WhiteRooks | WhiteQueens)) && AttackedByWhite(s) == 0) {
      knights -= 120;
    }
    const int32_t o = BlackOutpostTable[s];
    if (o > 0 && !Intersects(FileDownMask[s], WhitePawnAttacks)) {
      knights -= o;
      if (HasPiece(s + 11, -Pawn) || HasPiece(s + 9, -Pawn)) knights -= 2 * o;
    }
  }
  return knights;
}

// A bishop that took the pawn on the edge gets shut in by the pawn beside it:
// one of two enemy pawns stands and an enemy piece other than the king covers
// the square on the bishop's way out. Returned as a positive penalty.
inline int32_t TrappedBishopWhite(int32_t s) {
  int32_t pawnA = 0, pawnB = 0, escape = 0;
  if (s == SqA7) { pawnA = SqB7; pawnB = SqB6; escape = SqB6; }
  else if (s == SqB8) { pawnA = SqB6; pawnB = SqC7; escape = SqC7; }
  else if (s == SqH7) { pawnA = SqG7; pawnB = SqG6; escape = SqG6; }
  else if (s == SqG8) { pawnA = SqG6; pawnB = SqF7; escape = SqF7; }
  if (escape != 0 && (HasPiece(pawnA, -Pawn) || HasPiece(pawnB, -Pawn)) && AttackedByBlack(escape) == 1) return 140;
  return 0;
}

inline int32_t TrappedBishopBlack(int32_t s) {
  int32_t pawnA = 0, pawnB = 0, escape = 0;
  if (s == SqA2) { pawnA = SqB2; pawnB = SqB3; escape = SqB3; }
  else if (s == SqB1) { pawnA = SqC2; pawnB = SqB3; escape = SqC2; }
  else if (s == SqH2) { pawnA = SqG2; pawnB = SqG3; escape = SqG3; }
  else if (s == SqG1) { pawnA = SqF2; pawnB = SqG3; escape = SqF2; }
  if (escape != 0 && (HasPiece(pawnA, Pawn) || HasPiece(pawnB, Pawn)) && AttackedByWhite(escape) == 1) return 140;
  return 0;
}

// Bishops: table and closeness to the enemy king, blocking the own d/e pawn,
// trapped on the edge, the fianchetto before the castled king, and the pair.
inline int32_t BishopsWhite(int32_t wk, int32_t bk) {
  int32_t bishops = 0;
  for (SquareSet set = WhiteBishops; !IsEmpty(set);) {
    const int32_t s = PopLowestSquare(set);
    bishops += BishopTable[s] - Distance(s, bk);
    if ((s == SqD3 || s == SqE3) && HasPiece(s - 10, Pawn)) bishops -= 20;
    bishops -= TrappedBishopWhite(s);
    if (s == SqG2 && wk == SqG1 && HasPiece(SqF2, Pawn) && HasPiece(SqH2, Pawn)) bishops += 4;
  }
  if (MoreThanOne(WhiteBishops)) bishops += 15;
  return bishops;
}

inline int32_t BishopsBlack(int32_t wk, int32_t bk) {
  int32_t bishops = 0;
  for (SquareSet set = BlackBishops; !IsEmpty(set);) {
    const int32_t s = PopLowestSquare(set);
    bishops += Distance(s, wk) - BishopTable[s];
    if ((s == SqD6 || s == SqE6) && HasPiece(s + 10, -Pawn)) bishops += 20;
    bishops += TrappedBishopBlack(s);
    if (s == SqG7 && bk == SqG8 && HasPiece(SqF7, -Pawn) && HasPiece(SqH7, -Pawn)) bishops -= 4;
  }
  if (MoreThanOne(BlackBishops)) bishops -= 15;
  return bishops;
}

// Rooks: their file, the enemy king's open files, the seventh rank, and a
// rook shut in by its own king. nearKing counts the rooks at the enemy king's
// open files (the queens read it), seventh those on the seventh or eighth rank.
inline int32_t RooksWhite(int32_t wk, int32_t bkFile, int32_t openB, int32_t& nearKing, int32_t& seventh) {
  int32_t rooks = 0;
  for (SquareSet set = WhiteRooks; !IsEmpty(set);) {
    const int32_t s = PopLowestSquare(set);
    const int32_t f = FileOf[s];
    const SquareSet file = FileSquares(f);
    const bool ownInFront = Intersects(FileUpMask[s], WhitePawns);
    // Own pawns on the file: behind the front passer, or no enemy pawns and
    // none of its own ahead. Otherwise half-open (weak enemy pawns, behind
    // the enemy's front passer) or open, doubled rooks counting more.
    if (FilePawnCount[f][WhiteIndex] != 0) {
      const SquareSet passers = WhitePassed & file;
      if (!IsEmpty(passers)) {
        const int32_t p = HighestSquare(passers);
        rooks += 2 * RankOf[p];
        if (s < p) rooks += RankOf[p];
      }
      if (FilePawnCount[f][BlackIndex] == 0 && !ownInFront) rooks += 8;
    } else {
      const bool doubled = MoreThanOne(WhiteRooks & file);
      if (FilePawnCount[f][BlackIndex] != 0) {
        if (Intersects(BlackWeak, file)) {
          rooks += 6;
          if (doubled) rooks += 4;
        }
        const SquareSet passers = BlackPassed & file;
        if (!IsEmpty(passers)) {
          const int32_t p = LowestSquare(passers);
          rooks += 2 * (7 - RankOf[p]);
          if (s < p) rooks += 7 - RankOf[p];
        }
      } else {
        rooks += 24;
        if (doubled) rooks += 17;
      }
    }
    // On or beside the file of an enemy king with open files.
    if (openB >= 1 && Absolute(f - bkFile) < 2 && !ownInFront) {
      rooks += 6;
      if (FilePawnCount[f][BlackIndex] == 0) rooks += 4;
      ++nearKing;
    }
    if (s >= SqA7) ++seventh;
    // In the corner with the own king a step or two towards the centre and
    // an own pawn one or two squares in front: shut in.
    if ((s == SqA1 || s == SqB1) && (wk == s + 1 || wk == s + 2) &&
        (HasPiece(s + 10, Pawn) || HasPiece(s + 20, Pawn))) {
      rooks -= 20;
    }
    if ((s == SqG1 || s == SqH1) && (wk == s - 1 || wk == s - 2) &&
        (HasPiece(s + 10, Pawn) || HasPiece(s + 20, Pawn))) {
      rooks -= 20;
    }
  }
  return rooks;
}

inline int32_t RooksBlack(int32_t bk, int32_t wkFile, int32_t openW, int32_t& nearKing, int32_t& seventh) {
  int32_t rooks = 0;
  for (SquareSet set = BlackRooks; !IsEmpty(set);) {
    const int32_t s = PopLowestSquare(set);
    const int32_t f = FileOf[s];
    const SquareSet file = FileSquares(f);
    const bool ownInFront = Intersects(FileDownMask[s], BlackPawns);
    if (FilePawnCount[f][BlackIndex] != 0) {
      const SquareSet passers = BlackPassed & file;
      if (!IsEmpty(passers)) {
        const int32_t p = LowestSquare(passers);
        rooks -= 2 * (7 - RankOf[p]);
        if (s > p) rooks -= 7 - RankOf[p];
      }
      if (FilePawnCount[f][WhiteIndex] == 0 && !ownInFront) rooks -= 8;
    } else {
      const bool doubled = MoreThanOne(BlackRooks & file);
      if (FilePawnCount[f][WhiteIndex] != 0) {
        if (Intersects(WhiteWeak, file)) {
          rooks -= 6;
          if (doubled) rooks -= 4;
        }
        const SquareSet passers = WhitePassed & file;
        if (!IsEmpty(passers)) {
          const int32_t p = HighestSquare(passers);
          rooks -= 2 * RankOf[p];
          if (s > p) rooks -= RankOf[p];
        }
      } else {
        rooks -= 24;
        if (doubled) rooks -= 17;
      }
    }
    if (openW >= 1 && Absolute(f - wkFile) < 2 && !ownInFront) {
      rooks -= 6;
      if (FilePawnCount[f][WhiteIndex] == 0) rooks -= 4;
      ++nearKing;
    }
    if (s < SqA3) ++seventh;
    if ((s == SqA8 || s == SqB8) && (bk == s + 1 || bk == s + 2) &&
        (HasPiece(s - 10, -Pawn) || HasPiece(s - 20, -Pawn))) {
      rooks += 20;
    }
    if ((s == SqG8 || s == SqH8) && (bk == s - 1 || bk == s - 2) &&
        (HasPiece(s - 10, -Pawn) || HasPiece(s - 20, -Pawn))) {
      rooks += 20;
    }
  }
  return rooks;
}

// Queens. Out early while the minor pieces still sit at home: only a
// penalty, no other queen term. Otherwise rank and closeness to the enemy
// king, and an attack on its open files, stronger with more rooks there.
// onSeventh is set for a queen on the seventh or eighth rank.
inline int32_t QueensWhite(int32_t bk, int32_t bkFile, int32_t openB, int32_t nearKing, int32_t& onSeventh) {
  if (IsEmpty(WhiteQueens)) return 0;
  int32_t queens = 0;
  const bool early = CastledFlags[Ply][WhiteIndex] == 0 &&
                     (MoveCount[SqB1] != 0) + (MoveCount[SqC1] != 0) + (MoveCount[SqF1] != 0) +
                             (MoveCount[SqG1] != 0) < 3;
  for (SquareSet set = WhiteQueens; !IsEmpty(set);) {
    const int32_t s = PopLowestSquare(set);
    if (early) {
      if (s >= SqA3) queens -= 15;
    } else {
      queens += 2 * (RankOf[s] - Distance(s, bk));
      if (openB >= 1 && Absolute(FileOf[s] - bkFile) < 2 && !Intersects(FileUpMask[s], WhitePawns)) {
        queens += (nearKing + 3) * (FilePawnCount[FileOf[s]][BlackIndex] == 0 ? 10 : 6);
      }
    }
    if (s >= SqA7) onSeventh = 1;
  }
  return queens;
}

inline int32_t QueensBlack(int32_t wk, int32_t wkFile, int32_t openW, int32_t nearKing, int32_t& onSeventh) {
  if (IsEmpty(BlackQueens)) return 0;
  int32_t queens = 0;
  const bool early = CastledFlags[Ply][BlackIndex] == 0 &&
                     (MoveCount[SqB8] != 0) + (MoveCount[SqC8] != 0) + (MoveCount[SqF8] != 0) +
                             (MoveCount[SqG8] != 0) < 3;
  for (SquareSet set = BlackQueens; !IsEmpty(set);) {
    const int32_t s = PopLowestSquare(set);
    if (early) {
      if (s < SqA7) queens += 15;
    } else {
      queens += 2 * RankOf[s] + 2 * Distance(s, wk) - 14;
      if (openW >= 1 && Absolute(FileOf[s] - wkFile) < 2 && !Intersects(FileDownMask[s], BlackPawns)) {
        queens -= (nearKing + 3) * (FilePawnCount[FileOf[s]][WhiteIndex] == 0 ? 10 : 6);
      }
    }
    if (s < SqA3) onSeventh = 1;
  }
  return queens;
}

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
  const int32_t openW = OpenKingFilesWhite(wkFile);
  const int32_t openB = OpenKingFilesBlack(bkFile);

  const int32_t kingW = CastlingWhite() - KingFileCoverWhite(wkFile);
  const int32_t kingB = CastlingBlack() + KingFileCoverBlack(bkFile);
  const int32_t knightsW = KnightsWhite(bk, openB);
  const int32_t knightsB = KnightsBlack(wk, openW);
  const int32_t bishopsW = BishopsWhite(wk, bk);
  const int32_t bishopsB = BishopsBlack(wk, bk);

  int32_t nearB = 0, nearW = 0;        // rooks at the enemy king's open files
  int32_t seventhW = 0, seventhB = 0;  // rooks on the enemy's two back ranks
  int32_t rooksW = RooksWhite(wk, bkFile, openB, nearB, seventhW);
  int32_t rooksB = RooksBlack(bk, wkFile, openW, nearW, seventhB);

  int32_t queenSeventhW = 0, queenSeventhB = 0;
  int32_t queensW = QueensWhite(bk, bkFile, openB, nearB, queenSeventhW);
  int32_t queensB = QueensBlack(wk, wkFile, openW, nearW, queenSeventhB);

  // Seventh rank: rooks there (and a queen with them) while the enemy king
  // is on its two back ranks; a queen there on its own.
  if (seventhW >= 1 && bk >= SqA7) {
    rooksW += 12;
    if (seventhW > 1) rooksW += 35;
    if (queenSeventhW) queensW += 20;
  }
  if (queenSeventhW) queensW += 10;
  if (seventhB >= 1 && wk < SqA3) {
    rooksB -= 12;
    if (seventhB > 1) rooksB -= 35;
    if (queenSeventhB) queensB -= 20;
  }
  if (queenSeventhB) queensB -= 10;

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
