// Middlegame pawn structure: king placement and pawn shelter, and per pawn
// its table value, passed, protected, weak, isolated and doubled terms. The
// results go to the pawn cache with the middlegame tag.
#include "eval.h"
#include "evaltables.h"
#include "pawncache.h"

int32_t PawnScore;
SquareSet WhitePassed, BlackPassed;
SquareSet WhiteWeak, BlackWeak;

void EvalPawnsWhite() {
  BuildPawnAttacks();
  WhitePassed = SquareSet{0, 0};
  WhiteWeak = SquareSet{0, 0};

  const int32_t king = WhiteKingSquare;
  const int32_t kingPart = -KingPlacementTable[king];

  // An uncastled king that has never moved is judged where it will castle to.
  int32_t s = king;
  if (CastledFlags[Ply][WhiteIndex] == 0 && MoveCount[SqE1] == 0) {
    s = SqG1;
  } else if (king == SqC1) {
    s = SqB1;
  }
  int32_t shelter = 0;
  if (HasPiece(s + 9, Pawn)) shelter += 16;
  if (HasPiece(s + 10, Pawn)) shelter += 16;
  if (HasPiece(s + 11, Pawn)) shelter += 16;
  if (HasPiece(s + 19, Pawn)) shelter += 6;
  if (HasPiece(s + 20, Pawn)) shelter += 6;
  if (HasPiece(s + 21, Pawn)) shelter += 8;

  int32_t pawns = 0;
  for (SquareSet set = WhitePawns; !IsEmpty(set);) {
    const int32_t q = PopLowestSquare(set);
    const int32_t f = FileOf[q];
    const int32_t r = RankOf[q];
    const int32_t onFile = FilePawnCount[f][WhiteIndex];
    int32_t t = WhitePawnTable[q];

    const bool passed = !Intersects(FileUpMask[q], BlackPawns | BlackPawnAttacks);
    if (passed) {
      WhitePassed |= SquareBit[q];
      t += 8 * r;
    }
    if (InSet(WhitePawnAttacks, q) || InSet(WhitePawnAttacks, q + 10)) {
      t += r;
      if (r >= 5) t += r;
      if (passed) {
        t += 2 * r;
        if (r >= 5) t += r;
      }
    } else {
      // Backward-looking pawn: it may still be fine if its stop square is
      // free of enemy pawns, a pawn beside it can advance to cover it, and
      // our knights match the enemy knights that watch that square.
      bool weak = true;
      if (!HasPiece(q + 10, -Pawn) && (HasPiece(q + 9, Pawn) || HasPiece(q + 11, Pawn))) {
        const int32_t attackers = CountSquares(WhitePawnAttackMask[q + 10] & BlackKnights);
        const int32_t defenders = CountSquares(BlackPawnAttackMask[q + 10] & WhiteKnights);
        weak = attackers > defenders;
      }
      if (weak) {
        WhiteWeak |= SquareBit[q];
        t -= 11;
      }
      if (FilePawnCount[f - 1][WhiteIndex] == 0 && FilePawnCount[f + 1][WhiteIndex] == 0) {
        if (FilePawnCount[f][BlackIndex] == 0) t -= 9;
        if (onFile > 1) t -= 8;
      }
    }
    if (onFile > 1) t -= 10;
    pawns += t;
  }

  PawnScore += kingPart + shelter + pawns;
  if (ExplainEvaluation) {
    LastEvalTerms.PawnKingWhite = kingPart;
    LastEvalTerms.ShelterWhite = shelter;
    LastEvalTerms.PawnsWhite = pawns;
  }
}

void EvalPawnsBlack() {
  BlackPassed = SquareSet{0, 0};
  BlackWeak = SquareSet{0, 0};

  const int32_t king = BlackKingSquare;
  const int32_t kingPart = -KingPlacementTable[king];

  int32_t s = king;
  if (CastledFlags[Ply][BlackIndex] == 0 && MoveCount[SqE8] == 0) {
    s = SqG8;
  } else if (king == SqC8) {
    s = SqB8;
  }
  int32_t shelter = 0;
  if (HasPiece(s - 11, -Pawn)) shelter += 16;
  if (HasPiece(s - 10, -Pawn)) shelter += 16;
  if (HasPiece(s - 9, -Pawn)) shelter += 16;
  if (HasPiece(s - 21, -Pawn)) shelter += 6;
  if (HasPiece(s - 20, -Pawn)) shelter += 6;
  if (HasPiece(s - 19, -Pawn)) shelter += 8;

  int32_t pawns = 0;
  for (SquareSet set = BlackPawns; !IsEmpty(set);) {
    const int32_t q = PopLowestSquare(set);
    const int32_t f = FileOf[q];
    const int32_t r = 7 - RankOf[q];
    const int32_t onFile = FilePawnCount[f][BlackIndex];
    int32_t t = BlackPawnTable[q];

    const bool passed = !Intersects(FileDownMask[q], WhitePawns | WhitePawnAttacks);
    if (passed) {
      BlackPassed |= SquareBit[q];
      t += 8 * r;
    }
    if (InSet(BlackPawnAttacks, q) || InSet(BlackPawnAttacks, q - 10)) {
      t += r;
      if (r >= 5) t += r;
      if (passed) {
        t += 2 * r;
        if (r >= 5) t += r;
      }
    } else {
      bool weak = true;
      if (!HasPiece(q - 10, Pawn) && (HasPiece(q - 9, -Pawn) || HasPiece(q - 11, -Pawn))) {
        const int32_t attackers = CountSquares(BlackPawnAttackMask[q - 10] & WhiteKnights);
        const int32_t defenders = CountSquares(WhitePawnAttackMask[q - 10] & BlackKnights);
        weak = attackers > defenders;
      }
      if (weak) {
        BlackWeak |= SquareBit[q];
        t -= 11;
      }
      if (FilePawnCount[f - 1][BlackIndex] == 0 && FilePawnCount[f + 1][BlackIndex] == 0) {
        if (FilePawnCount[f][WhiteIndex] == 0) t -= 9;
        if (onFile > 1) t -= 8;
      }
    }
    if (onFile > 1) t -= 10;
    pawns += t;
  }

  PawnScore -= kingPart + shelter + pawns;
  if (ExplainEvaluation) {
    LastEvalTerms.PawnKingBlack = -kingPart;
    LastEvalTerms.ShelterBlack = -shelter;
    LastEvalTerms.PawnsBlack = -pawns;
  }
}
