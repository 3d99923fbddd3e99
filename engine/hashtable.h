// The two transposition tables and the pawn cache: sizes, allocation, store,
// probe, hash-move fetch and clearing.
#pragma once

#include "types.h"

struct HashEntry {
  uint32_t Check;
  uint32_t Index;
  int16_t Score;
  int8_t Depth;
  uint8_t From;
  uint8_t To;
  uint8_t Age;
  int8_t Bound;  // 2 upper, 3 lower, 4 exact, 0 invalidated, negative = cleared
  int8_t Side;
};
static_assert(sizeof(HashEntry) == 16, "a table entry is one 16-byte block");

enum : int32_t { BoundUpper = 2, BoundLower = 3, BoundExact = 4 };

// Pawn-structure cache entry (filled and read by the evaluation).
struct PawnCacheEntry {
  uint32_t Check;
  uint32_t Index;
  SquareSet WhitePassed;
  SquareSet BlackPassed;
  SquareSet WhitePawnAttacks;
  SquareSet BlackPawnAttacks;
  SquareSet WhiteWeak;
  SquareSet BlackWeak;
  int16_t PawnScore;
  int8_t Tag;  // 0 empty; +-2 middlegame entry; +-1 endgame entry
  int8_t Unused[5];
};
// One entry per 64-byte cache line (the blocks are line-aligned), so that a
// lookup waits for one memory load, not two.
static_assert(sizeof(PawnCacheEntry) == 64, "a pawn cache entry fills one cache line");

extern HashEntry* MainHashTable;
extern HashEntry* SecondHashTable;
extern PawnCacheEntry* PawnCache;
extern uint32_t MainHashMask;
extern uint32_t SecondHashMask;
extern uint32_t PawnCacheMask;

// One bit per slot of each table, set while the slot is taken: a main slot
// with a bound of 1 or more, a second slot with a bound of 0 or more (below
// that the slot counts as free). The two bit sets are small enough to stay
// in the cache, so the many probes and stores that meet a free slot answer
// without waiting for the slot's memory.
extern uint64_t* MainSlotTaken;
extern uint64_t* SecondSlotTaken;
inline bool IsSlotTaken(const uint64_t* bits, uint32_t index) { return (bits[index >> 6] >> (index & 63)) & 1; }

extern uint8_t TableAge;
extern int32_t ProbeAlpha;
extern int32_t ProbeBeta;

// The hash move found by FetchHashMove.
extern int32_t HashMoveValid;
extern MovePair HashMove;

constexpr int32_t NoCutoff = 9999;

int32_t AllocateTables(int32_t sizeMB);
void FreeTables();
void StoreEntry(int32_t moveIndex, int32_t score, int32_t depth, int32_t bound);
int32_t ProbeEntry(int32_t alpha, int32_t beta, int32_t depth);
void FetchHashMove();
void InvalidateEntry();
void ClearTables(int32_t fill);
