// The tablebase set-up and file registry: which table files exist for which
// class and side to move, their open handles, compressed headers and cache
// buckets; the reference-counted set-up and shutdown shared by every host
// connection of the process.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "spin_lock.h"
#include "tablebase_classes.h"

struct TableFile;
struct CompressedHeader;

enum : int32_t {
  TableClassSlots = static_cast<int32_t>(TablebaseClassCount),  // class numbers 0..145
  CacheBucketCount = 32,
  DefaultCacheSizeKB = 1024,
};

// One bucket of a table's block cache: the cached blocks whose number is
// congruent to the bucket number, most recently used first.
struct CacheBucket {
  SpinLockWord Lock;
  int32_t Head;  // entry number (1-based), 0 when empty
};

// The registry's record of one table: one class with one side to move.
// Symmetric classes use only the white-to-move record.
struct TableSide {
  // 1 while probes may use the table; the cache clears it to drop a table
  // whose file went bad. Read without locks by every probe.
  std::atomic<int32_t> Registered;
  // Owned copy of the file name. Kept (not freed) when the table is dropped,
  // since another reader may be opening it at that moment.
  char* Path;
  // Entries in the table (the file's length, or the decoded length).
  uint32_t Length;
  SpinLockWord FileLock;
  TableFile* File;           // under FileLock; opened on the first block read
  CompressedHeader* Header;  // null for an uncompressed table
  CacheBucket* Buckets;      // CacheBucketCount of them; null when never registered
};

extern TableSide TableSides[TableClassSlots][2];

extern "C" {
// Registers the tables and sizes the block cache for the first connection;
// later connections only count. Answers 0 (no table) or the piece count
// (3, 4, 5) of the largest class registered.
int32_t TablebaseInit(const char* directory);
// The last connection's shutdown releases files, cache and registry.
void TablebaseShutdown();
// Closes every open table file; they are reopened on demand.
void TablebaseCloseFiles();
}

// Registers the tables found in a list of directories separated by "," or
// ";"; the first directory holding a table wins. Answers as TablebaseInit.
int32_t RegisterTablebases(const char* pathList);
// Registers one table side from one directory; true when it is registered
// afterwards. A file that is missing, of the wrong size, with a bad
// compressed header, or that cannot be recorded leaves the side unregistered.
bool RegisterTable(const char* directory, int32_t tableClass, int32_t side);
// The registry record used for a class and side (symmetric classes share
// the white-to-move one).
TableSide& TableSideOf(int32_t tableClass, int32_t side);
// Whether a class has only the white-to-move table.
bool ClassIsSymmetric(int32_t tableClass);
