// Square and set tests shared by the evaluators.
#pragma once

#include "board.h"
#include "searchstate.h"
#include "tables.h"

// Both pawn-attack sets, from the pawn sets.
inline void BuildPawnAttacks() {
  WhitePawnAttacks = ShiftUp(WhitePawns & NotFileH, 9) | ShiftUp(WhitePawns & NotFileA, 7);
  BlackPawnAttacks = ShiftDown(BlackPawns & NotFileA, 9) | ShiftDown(BlackPawns & NotFileH, 7);
}

// At least two squares in the set (cheaper than a population count).
inline bool MoreThanOne(SquareSet set) {
  const uint64_t v = SetBits(set);
  return (v & (v - 1)) != 0;
}

// Piece tests on SearchBoard by code.
inline bool HasPiece(int32_t s, int32_t code) { return SearchBoard[s] == code; }
inline bool InSet(SquareSet set, int32_t s) { return Intersects(set, SquareBit[s]); }
