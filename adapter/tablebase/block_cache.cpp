#include "block_cache.h"

#include <atomic>
#include <cassert>
#include <climits>
#include <cstring>

#include "datacomp.h"
#include "decoder_pool.h"
#include "spin_lock.h"
#include "table_file.h"
#include "tablebase_registry.h"

static CacheEntry* Entries;          // Entries[0] is entry number 1
static unsigned char* DataAreas;     // follow the headers in the same memory
static int32_t EntryCount;
static int32_t FreeHead;             // singly linked through LruNext
static int32_t LruHead, LruTail;     // most and least recently used
static SpinLockWord ChainLock;       // guards the free list and the LRU list
static std::atomic<int64_t> LoadCount;

static inline CacheEntry& EntryAt(int32_t number) { return Entries[number - 1]; }

static inline unsigned char* DataOf(int32_t number) {
  return DataAreas + static_cast<size_t>(number - 1) * CacheDataAreaSize;
}

// List surgery; callers hold the chain lock (LRU) or the bucket lock (chain).

static void LruUnlink(int32_t number) {
  CacheEntry& entry = EntryAt(number);
  if (entry.LruPrevious) EntryAt(entry.LruPrevious).LruNext = entry.LruNext;
  else LruHead = entry.LruNext;
  if (entry.LruNext) EntryAt(entry.LruNext).LruPrevious = entry.LruPrevious;
  else LruTail = entry.LruPrevious;
  entry.LruNext = entry.LruPrevious = 0;
}

static void LruPushHead(int32_t number) {
  CacheEntry& entry = EntryAt(number);
  entry.LruPrevious = 0;
  entry.LruNext = LruHead;
  if (LruHead) EntryAt(LruHead).LruPrevious = number;
  else LruTail = number;
  LruHead = number;
}

static void ChainUnlink(CacheBucket& bucket, int32_t number) {
  CacheEntry& entry = EntryAt(number);
  if (entry.ChainPrevious) EntryAt(entry.ChainPrevious).ChainNext = entry.ChainNext;
  else bucket.Head = entry.ChainNext;
  if (entry.ChainNext) EntryAt(entry.ChainNext).ChainPrevious = entry.ChainPrevious;
  entry.ChainNext = entry.ChainPrevious = 0;
}

static void ChainPushFront(CacheBucket& bucket, int32_t number) {
  CacheEntry& entry = EntryAt(number);
  entry.ChainPrevious = 0;
  entry.ChainNext = bucket.Head;
  if (bucket.Head) EntryAt(bucket.Head).ChainPrevious = number;
  bucket.Head = number;
}

static void ClearBuckets() {
  for (int32_t c = 0; c < TableClassSlots; ++c)
    for (int32_t s = 0; s < 2; ++s) {
      CacheBucket* buckets = TableSides[c][s].Buckets;
      if (!buckets) continue;
      for (int32_t b = 0; b < CacheBucketCount; ++b) {
        buckets[b].Lock.store(0, std::memory_order_relaxed);
        buckets[b].Head = 0;
      }
    }
}

void CacheReset() {
  if (EntryCount == 0) return;
  TablebaseCloseFiles();
  for (int32_t n = 1; n <= EntryCount; ++n) {
    CacheEntry& entry = EntryAt(n);
    std::memset(&entry, 0, sizeof entry);
    entry.LruNext = n < EntryCount ? n + 1 : 0;
  }
  FreeHead = 1;
  LruHead = LruTail = 0;
  ClearBuckets();
}

int32_t CacheSetup(void* memory, size_t size) {
  TablebaseCloseFiles();
  Entries = nullptr;
  DataAreas = nullptr;
  EntryCount = 0;
  FreeHead = LruHead = LruTail = 0;
  LoadCount.store(0, std::memory_order_relaxed);
  ClearBuckets();
  if (!memory || size < CacheEntryHeaderSize) return 0;
  size_t count = size / CacheEntrySize;
  if (count > static_cast<size_t>(INT32_MAX - 1)) count = INT32_MAX - 1;
  Entries = static_cast<CacheEntry*>(memory);
  DataAreas = static_cast<unsigned char*>(memory) + count * CacheEntryHeaderSize;
  EntryCount = static_cast<int32_t>(count);
  CacheReset();
  return 1;
}

void CacheUnlockChain() { ChainLock.store(0, std::memory_order_release); }

int32_t CacheEntryCount() { return EntryCount; }

int64_t CacheLoadCount() { return LoadCount.load(std::memory_order_relaxed); }

// Takes an entry for a new block: a free one, else the least recently used
// one, unlinked from both lists. Never waits for a bucket while holding the
// chain lock: the victim is noted, the chain lock let go, the victim's
// bucket taken, and the victim checked again.
static int32_t TakeEntry() {
  for (;;) {
    SpinLockAcquire(ChainLock);
    if (FreeHead) {
      int32_t number = FreeHead;
      FreeHead = EntryAt(number).LruNext;
      EntryAt(number).LruNext = 0;
      SpinLockRelease(ChainLock);
      return number;
    }
    int32_t victim = LruTail;
    if (!victim) {
      // Every entry is being loaded by another reader: wait for one.
      SpinLockRelease(ChainLock);
      SpinLockYield();
      continue;
    }
    CacheEntry& entry = EntryAt(victim);
    int32_t victimClass = entry.Class, victimSide = entry.Side, victimBlock = entry.Block;
    SpinLockRelease(ChainLock);

    CacheBucket& bucket = TableSides[victimClass][victimSide].Buckets[victimBlock % CacheBucketCount];
    SpinLockAcquire(bucket.Lock);
    SpinLockAcquire(ChainLock);
    // Only an entry still on the LRU list is stable enough to compare.
    if (LruTail != victim || entry.Class != victimClass || entry.Side != victimSide || entry.Block != victimBlock) {
      SpinLockRelease(ChainLock);
      SpinLockRelease(bucket.Lock);
      continue;
    }
    LruUnlink(victim);
    SpinLockRelease(ChainLock);
    ChainUnlink(bucket, victim);
    SpinLockRelease(bucket.Lock);
    return victim;
  }
}

// Reads the block into the entry's data area; false on any file or decoder
// error. Holds the table's file lock while it touches the file.
static bool LoadBlock(TableSide& table, int32_t block, unsigned char* data) {
  SpinLockAcquire(table.FileLock);
  if (!table.File) {
    table.File = TableFileOpen(table.Path);
    if (!table.File) {
      // Perhaps out of handles: close every table file and try once more.
      SpinLockRelease(table.FileLock);
      TablebaseCloseFiles();
      SpinLockAcquire(table.FileLock);
      if (!table.File) table.File = TableFileOpen(table.Path);
      if (!table.File) {
        SpinLockRelease(table.FileLock);
        return false;
      }
    }
  }
  if (table.Header) {
    BlockDecoder* decoder = nullptr;
    int32_t slot = DecoderPoolTake(&decoder);
    if (slot < 0) {
      SpinLockRelease(table.FileLock);
      return false;
    }
    bool ok = ReadCompressedBlockBytes(decoder, table.Header, table.File, static_cast<uint32_t>(block)) == kDatacompOk;
    SpinLockRelease(table.FileLock);
    // The block's bytes are in the work area now; decoding needs no file.
    if (ok) ok = DecodeBlock(decoder, table.Header, data, TableBlockSize) == kDatacompOk;
    DecoderPoolReturn(slot);
    return ok;
  }
  uint64_t start = static_cast<uint64_t>(block) * TableBlockSize;
  bool ok = TableFileSeek(table.File, start) == 0;
  int64_t got = ok ? TableFileRead(table.File, data, TableBlockSize) : -1;
  SpinLockRelease(table.FileLock);
  // Only the table's last block may be short; a file cut after registration
  // lacks entries, which must not read as draws.
  uint64_t owed = start < table.Length ? table.Length - start : 0;
  if (owed > TableBlockSize) owed = TableBlockSize;
  if (got < 0 || static_cast<uint64_t>(got) < owed) return false;
  // The rest of the last block holds no position.
  if (got < TableBlockSize) std::memset(data + got, 0, static_cast<size_t>(TableBlockSize - got));
  return true;
}

int32_t CacheReadByte(int32_t tableClass, int32_t side, int32_t block, int32_t offset) {
  assert(EntryCount > 0);
  assert(tableClass > 0 && tableClass < TableClassSlots && (side == 0 || side == 1));
  assert(block >= 0 && offset >= 0 && offset < TableBlockSize);
  TableSide& table = TableSides[tableClass][side];
  assert(table.Buckets != nullptr);
  CacheBucket& bucket = table.Buckets[block % CacheBucketCount];

  SpinLockAcquire(bucket.Lock);
  for (int32_t number = bucket.Head; number; number = EntryAt(number).ChainNext) {
    if (EntryAt(number).Block != block) continue;
    // A bucket chain holds only its own table's blocks.
    assert(EntryAt(number).Class == tableClass && EntryAt(number).Side == side);
    SpinLockAcquire(ChainLock);
    if (LruHead != number) {
      LruUnlink(number);
      LruPushHead(number);
    }
    SpinLockRelease(ChainLock);
    if (bucket.Head != number) {
      ChainUnlink(bucket, number);
      ChainPushFront(bucket, number);
    }
    int32_t value = static_cast<signed char>(DataOf(number)[offset]);
    SpinLockRelease(bucket.Lock);
    return value;
  }
  SpinLockRelease(bucket.Lock);

  int32_t number = TakeEntry();
  CacheEntry& entry = EntryAt(number);
  entry.Class = tableClass;
  entry.Side = side;
  entry.Block = block;
  unsigned char* data = DataOf(number);
  if (!LoadBlock(table, block, data)) {
    // The table is unreadable: drop it and give the entry back.
    SpinLockAcquire(ChainLock);
    table.Registered.store(0, std::memory_order_relaxed);
    entry.LruNext = FreeHead;
    FreeHead = number;
    SpinLockRelease(ChainLock);
    return CacheReadFailed;
  }
  LoadCount.fetch_add(1, std::memory_order_relaxed);

  SpinLockAcquire(bucket.Lock);
  SpinLockAcquire(ChainLock);
  LruPushHead(number);
  SpinLockRelease(ChainLock);
  ChainPushFront(bucket, number);
  int32_t value = static_cast<signed char>(data[offset]);
  SpinLockRelease(bucket.Lock);
  return value;
}

int32_t CacheCheckConsistency() {
  if (EntryCount == 0) return Entries == nullptr ? 1 : 0;
  // 1 free, 2 in the LRU list, 3 also found in its bucket chain.
  unsigned char* seen = new unsigned char[static_cast<size_t>(EntryCount) + 1]();
  bool ok = true;
  int32_t steps = 0;
  for (int32_t n = FreeHead; n && ok; n = EntryAt(n).LruNext) {
    if (n < 1 || n > EntryCount || seen[n] || ++steps > EntryCount) ok = false;
    else seen[n] = 1;
  }
  int32_t previous = 0;
  for (int32_t n = LruHead; n && ok; n = EntryAt(n).LruNext) {
    if (n < 1 || n > EntryCount || seen[n] || ++steps > EntryCount || EntryAt(n).LruPrevious != previous) ok = false;
    else seen[n] = 2;
    previous = n;
  }
  if (ok && LruTail != previous) ok = false;
  for (int32_t c = 0; c < TableClassSlots && ok; ++c)
    for (int32_t s = 0; s < 2 && ok; ++s) {
      CacheBucket* buckets = TableSides[c][s].Buckets;
      if (!buckets) continue;
      for (int32_t b = 0; b < CacheBucketCount && ok; ++b) {
        int32_t before = 0;
        for (int32_t n = buckets[b].Head; n && ok; n = EntryAt(n).ChainNext) {
          CacheEntry& entry = EntryAt(n);
          if (n < 1 || n > EntryCount || seen[n] != 2 || entry.Class != c || entry.Side != s ||
              entry.Block % CacheBucketCount != b || entry.ChainPrevious != before)
            ok = false;
          else seen[n] = 3;
          before = n;
        }
      }
    }
  // With no read in progress every entry is free or cached.
  for (int32_t n = 1; n <= EntryCount && ok; ++n)
    if (seen[n] != 1 && seen[n] != 3) ok = false;
  delete[] seen;
  return ok ? 1 : 0;
}

int32_t CacheLruBlocks(int32_t tableClass, int32_t side, int32_t* blocks, int32_t capacity) {
  int32_t count = 0;
  for (int32_t n = LruHead; n && count < capacity; n = EntryAt(n).LruNext) {
    const CacheEntry& entry = EntryAt(n);
    if (entry.Class == tableClass && entry.Side == side) blocks[count++] = entry.Block;
  }
  return count;
}
