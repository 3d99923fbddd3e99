// Lookup and store of the pawn cache. An entry holds the pawn-structure score
// and the six pawn sets for one pawn-and-king configuration, one side to move
// and one evaluator (the tag), so a hit restores everything the piece terms
// read.
#pragma once

#include "board.h"
#include "eval.h"
#include "evalsquares.h"
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
