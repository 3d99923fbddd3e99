// Lookup and store of the pawn cache. An entry holds the pawn-structure score
// and the six pawn sets for one pawn-and-king configuration, one side to move
// and one evaluator (the tag), so a hit restores everything the piece terms
// read.
#pragma once

#include "board.h"
#include "eval.h"
#include "hashtable.h"
#include "searchstate.h"
#include "tables.h"

inline PawnCacheEntry* PawnCacheSlot() {
  return &PawnCache[(PawnKingKey.Index ^ SideKeyOf(SideToMove)) & PawnCacheMask];
}

// Returns 1 on a hit (PawnScore and the pawn sets restored), 0 on a miss
// (PawnScore cleared; the caller computes the terms and stores them).
inline int32_t ProbePawnCache(int32_t tag) {
  const PawnCacheEntry* e = PawnCacheSlot();
  if (e->Tag == tag && e->Index == PawnKingKey.Index && e->Check == PawnKingKey.Check) {
    PawnScore = e->PawnScore;
    WhitePassed = e->WhitePassed;
    BlackPassed = e->BlackPassed;
    WhitePawnAttacks = e->WhitePawnAttacks;
    BlackPawnAttacks = e->BlackPawnAttacks;
    WhiteWeak = e->WhiteWeak;
    BlackWeak = e->BlackWeak;
    return 1;
  }
  PawnScore = 0;
  return 0;
}

// Always replaces the slot's content. The score is kept in 16 bits.
inline void StorePawnCache(int32_t tag) {
  PawnCacheEntry* e = PawnCacheSlot();
  e->Check = PawnKingKey.Check;
  e->Index = PawnKingKey.Index;
  e->WhitePassed = WhitePassed;
  e->BlackPassed = BlackPassed;
  e->WhitePawnAttacks = WhitePawnAttacks;
  e->BlackPawnAttacks = BlackPawnAttacks;
  e->WhiteWeak = WhiteWeak;
  e->BlackWeak = BlackWeak;
  e->PawnScore = static_cast<int16_t>(PawnScore);
  e->Tag = static_cast<int8_t>(tag);
}

// Both pawn-attack sets, from the pawn sets.
inline void BuildPawnAttacks() {
  WhitePawnAttacks = ShiftUp(WhitePawns & NotFileH, 9) | ShiftUp(WhitePawns & NotFileA, 7);
  BlackPawnAttacks = ShiftDown(BlackPawns & NotFileA, 9) | ShiftDown(BlackPawns & NotFileH, 7);
}

// Piece tests on SearchBoard by code.
inline bool HasPiece(int32_t s, int32_t code) { return SearchBoard[s] == code; }
inline bool InSet(SquareSet set, int32_t s) { return Intersects(set, SquareBit[s]); }
