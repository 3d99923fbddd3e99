// Transposition tables and pawn cache: allocation, replacement, probing.
#include "hashtable.h"

#include <cassert>
#include <cstdlib>
#include <cstring>

#if defined(__linux__)
#include <sys/mman.h>
#endif

#include "api.h"
#include "board.h"
#include "movelist.h"
#include "root.h"
#include "scores.h"
#include "searchstate.h"
#include "tables.h"

HashEntry* MainHashTable;
HashEntry* SecondHashTable;
PawnCacheEntry* PawnCache;
uint64_t* MainSlotTaken;
uint64_t* SecondSlotTaken;
uint32_t MainHashMask;
uint32_t SecondHashMask;
uint32_t PawnCacheMask;
uint8_t TableAge;
int32_t ProbeAlpha;
int32_t ProbeBeta;
int32_t HashMoveValid;
MovePair HashMove;

namespace {

// Table blocks are probed at random: on Linux they are aligned to 2 MB and
// marked for huge pages, which spares most address-translation misses.
void* AllocateTableBlock(size_t bytes) {
#if defined(__linux__)
  constexpr size_t HugePage = size_t(2) << 20;
  const size_t rounded = (bytes + HugePage - 1) / HugePage * HugePage;
  void* block = std::aligned_alloc(HugePage, rounded);
  if (block != nullptr) madvise(block, rounded, MADV_HUGEPAGE);
  return block;
#else
  return std::malloc(bytes);
#endif
}

inline uint32_t SlotIndex() { return SideKeyOf(SideToMove) ^ HashKey.Index; }

inline void MarkSlot(uint64_t* bits, uint32_t index, bool taken) {
  const uint64_t bit = uint64_t{1} << (index & 63);
  if (taken) bits[index >> 6] |= bit;
  else bits[index >> 6] &= ~bit;
}
inline void MarkMain(uint32_t index, int32_t bound) { MarkSlot(MainSlotTaken, index, bound >= 1); }
inline void MarkSecond(uint32_t index, int32_t bound) { MarkSlot(SecondSlotTaken, index, bound >= 0); }
inline size_t BitWords(uint32_t mask) { return (size_t(mask) + 64) / 64; }
inline bool HoldsPosition(const HashEntry& e) { return e.Check == HashKey.Check && e.Index == HashKey.Index; }

void EmptyEntries(int32_t fill) {
  for (uint32_t i = 0; i <= PawnCacheMask; ++i) PawnCache[i].Tag = 0;
  for (uint32_t i = 0; i <= MainHashMask; ++i) {
    MainHashTable[i].Bound = int8_t(fill);
    MainHashTable[i].Depth = -40;
  }
  for (uint32_t i = 0; i <= SecondHashMask; ++i) {
    SecondHashTable[i].Bound = int8_t(fill);
    SecondHashTable[i].Depth = -40;
  }
  std::memset(MainSlotTaken, int8_t(fill) >= 1 ? 0xFF : 0, BitWords(MainHashMask) * sizeof(uint64_t));
  std::memset(SecondSlotTaken, int8_t(fill) >= 0 ? 0xFF : 0, BitWords(SecondHashMask) * sizeof(uint64_t));
}

void WriteSlot(HashEntry& slot, int32_t m, int32_t score, int32_t depth, int32_t bound) {
  if (score > PlyRelativeScore) score += Ply;
  if (score < -PlyRelativeScore) score -= Ply;
  slot.Check = HashKey.Check;
  slot.Index = HashKey.Index;
  slot.Score = int16_t(score);
  slot.Depth = int8_t(depth);
  slot.From = MoveList[m].From;
  slot.To = MoveList[m].To;
  slot.Age = TableAge;
  slot.Bound = int8_t(bound);
  slot.Side = int8_t(SideToMove);
}

}  // namespace

int32_t AllocateTables(int32_t sizeMB) {
  FreeTables();
  uint32_t mainEntries = 1u << 17, secondEntries = 1u << 16, pawnEntries = 1u << 16;
  int32_t reported = 6;
  if (sizeMB >= 30) {
    mainEntries = 1u << 20, secondEntries = 1u << 19, pawnEntries = 1u << 17, reported = 30;
  } else if (sizeMB >= 16) {
    mainEntries = 1u << 19, secondEntries = 1u << 18, pawnEntries = 1u << 16, reported = 15;
  } else if (sizeMB >= 10) {
    mainEntries = 1u << 18, secondEntries = 1u << 17, pawnEntries = 1u << 16, reported = 9;
  }
  MainHashMask = mainEntries - 1;
  SecondHashMask = secondEntries - 1;
  PawnCacheMask = pawnEntries - 1;
  MainHashTable = static_cast<HashEntry*>(AllocateTableBlock((mainEntries + 31) * sizeof(HashEntry)));
  if (MainHashTable != nullptr)
    SecondHashTable = static_cast<HashEntry*>(AllocateTableBlock((secondEntries + 31) * sizeof(HashEntry)));
  if (SecondHashTable != nullptr)
    PawnCache = static_cast<PawnCacheEntry*>(AllocateTableBlock((pawnEntries + 31) * sizeof(PawnCacheEntry)));
  if (PawnCache != nullptr) {
    MainSlotTaken = static_cast<uint64_t*>(std::malloc(BitWords(MainHashMask) * sizeof(uint64_t)));
    SecondSlotTaken = static_cast<uint64_t*>(std::malloc(BitWords(SecondHashMask) * sizeof(uint64_t)));
  }
  if (MainSlotTaken == nullptr || SecondSlotTaken == nullptr) {
    FreeTables();  // no half-allocated tables for a failed engine to probe
    return -1;
  }
  // The tables hold no defined values until cleared: empty them at once
  // (silently; the "Hash clear" report belongs to requested clears).
  EmptyEntries(-100);
  return reported;
}

void FreeTables() {
  std::free(MainHashTable);
  std::free(SecondHashTable);
  std::free(PawnCache);
  std::free(MainSlotTaken);
  std::free(SecondSlotTaken);
  MainHashTable = SecondHashTable = nullptr;
  PawnCache = nullptr;
  MainSlotTaken = SecondSlotTaken = nullptr;
  MainHashMask = SecondHashMask = PawnCacheMask = 0;
}

void StoreEntry(int32_t m, int32_t score, int32_t depth, int32_t bound) {
  if (MainHashTable == nullptr) return;
  const uint32_t slot = SlotIndex();
  const uint32_t main = slot & MainHashMask, second = slot & SecondHashMask;
  HashEntry& M = MainHashTable[main];
  assert(IsSlotTaken(MainSlotTaken, main) == (M.Bound >= 1));
  if (!IsSlotTaken(MainSlotTaken, main)) {
    WriteSlot(M, m, score, depth, bound);
    MarkMain(main, bound);
    return;
  }
  if (HoldsPosition(M)) {
    if (depth >= M.Depth) {
      WriteSlot(M, m, score, depth, bound);
      MarkMain(main, bound);
    }
    return;
  }
  HashEntry& S = SecondHashTable[second];
  assert(IsSlotTaken(SecondSlotTaken, second) == (S.Bound >= 0));
  if (!IsSlotTaken(SecondSlotTaken, second)) {
    S = M;
    MarkSecond(second, S.Bound);
    WriteSlot(M, m, score, depth, bound);
    MarkMain(main, bound);
    return;
  }
  if (HoldsPosition(S)) {
    if (depth >= S.Depth) {
      WriteSlot(S, m, score, depth, bound);
      MarkSecond(second, bound);
    }
    return;
  }
  // Ages compare as plain numbers 0..255: at age 0 there is no previous age.
  const int32_t previousAge = int32_t(TableAge) - 1;
  HashEntry* target;
  if (M.Age == previousAge) target = &M;
  else if (S.Age == previousAge) target = &S;
  else if (int32_t(M.Age) <= int32_t(S.Age) - 3) target = &M;
  else if (int32_t(M.Age) >= int32_t(S.Age) + 3) target = &S;
  else if (S.Bound == BoundUpper) target = &S;
  else if (M.Bound == BoundUpper) target = &M;
  else if (M.Age < S.Age) target = &M;
  else if (M.Age > S.Age) target = &S;
  else target = M.Depth < S.Depth ? &M : &S;
  WriteSlot(*target, m, score, depth, bound);
  if (target == &M) MarkMain(main, bound);
  else MarkSecond(second, bound);
}

int32_t ProbeEntry(int32_t alpha, int32_t beta, int32_t depth) {
  ProbeAlpha = alpha;
  ProbeBeta = beta;
  if (MainHashTable == nullptr) return NoCutoff;
  const uint32_t slot = SlotIndex();
  const uint32_t main = slot & MainHashMask, second = slot & SecondHashMask;
  assert(IsSlotTaken(MainSlotTaken, main) == (MainHashTable[main].Bound >= 1));
  if (!IsSlotTaken(MainSlotTaken, main)) return NoCutoff;
  const HashEntry& M = MainHashTable[main];
  if (M.Bound < 2) return NoCutoff;
  const HashEntry* e;
  if (HoldsPosition(M)) {
    if (M.Depth < depth || M.Side != SideToMove) return NoCutoff;
    e = &M;
  } else {
    if (!IsSlotTaken(SecondSlotTaken, second)) return NoCutoff;
    const HashEntry& S = SecondHashTable[second];
    if (S.Bound < 2 || S.Depth < depth || S.Side != SideToMove || !HoldsPosition(S)) return NoCutoff;
    e = &S;
  }
  int32_t s = e->Score;
  if (s > PlyRelativeScore) s -= Ply;
  if (s < -PlyRelativeScore) s += Ply;
  if (e->Bound == BoundLower) return s >= beta ? s : NoCutoff;
  if (e->Bound == BoundUpper) {
    if (s < alpha) return s;
    if (s < beta) ProbeBeta = s;
    return NoCutoff;
  }
  return s;
}

void FetchHashMove() {
  HashMoveValid = 0;
  if (MainHashTable == nullptr) return;
  const uint32_t slot = SlotIndex();
  const uint32_t main = slot & MainHashMask, second = slot & SecondHashMask;
  const HashEntry& M = MainHashTable[main];
  const HashEntry& S = SecondHashTable[second];
  const HashEntry* e = nullptr;
  if (IsSlotTaken(MainSlotTaken, main) && M.Side == SideToMove && M.Bound >= 3 && HoldsPosition(M)) e = &M;
  else if (IsSlotTaken(SecondSlotTaken, second) && S.Side == SideToMove && S.Bound >= 3 && HoldsPosition(S))
    e = &S;
  if (e == nullptr) return;
  HashMoveValid = 1;
  HashMove.From = e->From;
  HashMove.To = e->To;
}

void InvalidateEntry() {
  if (MainHashTable == nullptr) return;
  const uint32_t main = SlotIndex() & MainHashMask;
  MainHashTable[main].Bound = 0;
  MarkMain(main, 0);
}

void ClearTables(int32_t fill) {
  CallShowText("Hash clear");
  if (MainHashTable != nullptr) EmptyEntries(fill);
  PreviousPhase = 0;
}
