// The block cache shared by every table: blocks of 8192 entries read (and
// decompressed) from the table files, kept in one memory block of fixed size
// with a least-recently-used list and 32 hash buckets per table side.
#pragma once

#include <cstddef>
#include <cstdint>

enum : int32_t {
  TableBlockSize = 8192,
  CacheEntryHeaderSize = 32,
  // A block plus room for the decoder's short over-writes past its end.
  CacheDataAreaSize = 8228,
  CacheEntrySize = CacheEntryHeaderSize + CacheDataAreaSize,
  CacheReadFailed = 32767,
};

// One entry's header. Links are 1-based entry numbers (0 = none) so that a
// header takes 32 bytes on every target; the data area follows from the
// entry's number.
struct CacheEntry {
  int32_t Class;
  int32_t Side;
  int32_t Block;
  int32_t LruNext;  // towards the least recently used end; the free list's link too
  int32_t LruPrevious;
  int32_t ChainNext;
  int32_t ChainPrevious;
  int32_t Unused;
};
static_assert(sizeof(CacheEntry) == CacheEntryHeaderSize, "cache entry header size");

// Closes all table files and empties the cache; with memory of at least 32
// bytes lays out size / 8260 entries in it and answers 1, else leaves the
// cache without entries and answers 0. The memory stays the caller's.
int32_t CacheSetup(void* memory, size_t size);
// Returns every entry to the free list and forgets every cached block.
void CacheReset();
// Unlocks the chain lock (registration starts from a known state).
void CacheUnlockChain();
// The number of entries (0 when the cache has no memory).
int32_t CacheEntryCount();
// One table byte as a signed value, or 32767 when the block cannot be read
// (the table is then dropped).
int32_t CacheReadByte(int32_t tableClass, int32_t side, int32_t block, int32_t offset);

// Blocks loaded from files since the last set-up (for tests and benchmarks).
int64_t CacheLoadCount();
// Walks the free list, the LRU list and every bucket chain and answers 1 when
// they are consistent (every entry free, in the LRU list and its bucket chain,
// or nowhere only while a read holds it). Call only while no probe runs.
int32_t CacheCheckConsistency();
// The block numbers of the LRU list from most to least recently used, for
// the given table side; answers how many were written (at most capacity).
int32_t CacheLruBlocks(int32_t tableClass, int32_t side, int32_t* blocks, int32_t capacity);
