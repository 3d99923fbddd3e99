// The one global move list shared by all plies, with its reserved slots.
#pragma once

#include <cassert>

#include "types.h"

constexpr int32_t MoveListSize = 1520;
// Generators write only below this index; the slots from here up are reserved.
constexpr int32_t GeneratorLimit = 1498;
constexpr int32_t EndOfListSlot = 1498;  // end-of-list marker of the move picker
constexpr int32_t SwapSlot = 1499;       // spare entry for the root sort
constexpr int32_t GameMoveSlot = 1504;   // the game move being entered
constexpr int32_t NullMove = 1519;       // the null move

extern MoveEntry MoveList[MoveListSize];
extern int32_t ListStart[PlyLimit + 1];  // moves of ply p: [ListStart[p], ListStart[p+1])
extern int32_t MoveListTop;              // next entry a generator writes
extern int32_t GeneratedCount;           // entries written by the current generator call

// The entry an add routine writes next, or null when the generators' part of
// the list is full (the move is then dropped rather than written over a
// reserved slot). On success MoveListTop and GeneratedCount advance.
inline MoveEntry* NewMoveEntry() {
  assert(MoveListTop >= 0);
  if (MoveListTop >= GeneratorLimit) return nullptr;
  ++GeneratedCount;
  return &MoveList[MoveListTop++];
}
