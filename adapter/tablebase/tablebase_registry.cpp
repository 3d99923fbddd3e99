#include "tablebase_registry.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "block_cache.h"
#include "datacomp.h"
#include "decoder_pool.h"
#include "material_trie.h"
#include "position_index.h"
#include "table_file.h"
#include "tablebase_classes.h"
#include "tablebase_settings.h"

TableSide TableSides[TableClassSlots][2];

static SpinLockWord SetupLock;
static int32_t ReferenceCount;
static int32_t RegistrationResult;
static char* CacheMemory;
static size_t CacheMemorySize;
static int32_t CompressedTableCount;
static bool IndexTablesReady;

#if defined(_WIN32)
static const char DirectorySeparator = '\\';
#else
static const char DirectorySeparator = '/';
#endif

bool ClassIsSymmetric(int32_t tableClass) { return (TablebaseClasses[tableClass].Flags & TablebaseSymmetric) != 0; }

TableSide& TableSideOf(int32_t tableClass, int32_t side) {
  return TableSides[tableClass][ClassIsSymmetric(tableClass) ? 0 : side];
}

void TablebaseCloseFiles() {
  for (int32_t c = 0; c < TableClassSlots; ++c)
    for (int32_t s = 0; s < 2; ++s) {
      TableSide& table = TableSides[c][s];
      SpinLockAcquire(table.FileLock);
      if (table.File) {
        TableFileClose(table.File);
        table.File = nullptr;
      }
      SpinLockRelease(table.FileLock);
    }
}

static void ReleaseRegistry() {
  for (int32_t c = 0; c < TableClassSlots; ++c)
    for (int32_t s = 0; s < 2; ++s) {
      TableSide& table = TableSides[c][s];
      table.Registered.store(0, std::memory_order_relaxed);
      delete[] table.Path;
      table.Path = nullptr;
      table.Length = 0;
      delete table.Header;
      table.Header = nullptr;
      delete[] table.Buckets;
      table.Buckets = nullptr;
    }
  DecoderPoolRelease();
  CompressedTableCount = 0;
}

static std::string TablePath(const char* directory, const char* name) {
  std::string path = directory;
  if (!path.empty()) path += DirectorySeparator;
  return path + name;
}

// Reads and checks a compressed table's header; answers the table's length
// in entries, or -1 when the file is no table of 8192-entry blocks.
static int64_t CompressedLength(TableFile* file, CompressedHeader** header) {
  *header = nullptr;
  CompressedHeader* decoded = new (std::nothrow) CompressedHeader;
  if (!decoded || ReadCompressedHeader(file, decoded) != kDatacompOk || decoded->BlockSize != TableBlockSize ||
      decoded->BlockCount < 1) {
    delete decoded;
    return -1;
  }
  *header = decoded;
  return static_cast<int64_t>(CompressedDataLength(decoded));
}

bool RegisterTable(const char* directory, int32_t tableClass, int32_t side) {
  if (tableClass < 1 || tableClass >= TableClassSlots || side < 0 || side > 1) return false;
  if (ClassIsSymmetric(tableClass)) side = 0;
  TableSide& table = TableSides[tableClass][side];
  if (table.Registered.load(std::memory_order_relaxed)) return true;

  std::string name = TablebaseClasses[tableClass].Name;
  const char* tag = side == 0 ? "nbw" : "nbb";
  std::string path = TablePath(directory, (name + "." + tag).c_str());
  CompressedHeader* header = nullptr;
  int64_t length;
  TableFile* file = TableFileOpen(path.c_str());
  if (file) {
    length = TableFileLength(file);
  } else {
    const std::string compressedNames[3] = {name + "." + tag + ".emd", name + "_" + tag + ".emd",
                                            name + tag + ".emd"};
    for (const std::string& candidate : compressedNames) {
      path = TablePath(directory, candidate.c_str());
      file = TableFileOpen(path.c_str());
      if (file) break;
    }
    if (!file) return false;
    length = CompressedLength(file, &header);
  }
  TableFileClose(file);

  // A file that does not match is left out; the other tables still count.
  uint32_t expected = TablebaseClasses[tableClass].ExpectedSize[side];
  if (length <= 0 || length > static_cast<int64_t>(UINT32_MAX) ||
      (expected != 0 && static_cast<uint64_t>(length) != expected) || !InsertClass(tableClass)) {
    delete header;
    return false;
  }
  char* pathCopy = new (std::nothrow) char[path.size() + 1];
  CacheBucket* buckets = new (std::nothrow) CacheBucket[CacheBucketCount];
  if (!pathCopy || !buckets) {
    delete[] pathCopy;
    delete[] buckets;
    delete header;
    return false;
  }
  std::memcpy(pathCopy, path.c_str(), path.size() + 1);
  for (int32_t b = 0; b < CacheBucketCount; ++b) {
    buckets[b].Lock.store(0, std::memory_order_relaxed);
    buckets[b].Head = 0;
  }
  table.Length = static_cast<uint32_t>(length);
  TablebaseClasses[tableClass].ExpectedSize[side] = table.Length;
  table.Path = pathCopy;
  table.Buckets = buckets;
  table.Header = header;
  if (header) ++CompressedTableCount;
  table.Registered.store(1, std::memory_order_relaxed);
  return true;
}

static int32_t PieceLimitOf(int32_t largestClass) {
  if (largestClass <= 0) return 0;
  if (largestClass <= 5) return 3;
  if (largestClass <= 35) return 4;
  return 5;
}

int32_t RegisterTablebases(const char* pathList) {
  TablebaseCloseFiles();
  CacheUnlockChain();
  DecoderPoolUnlock();
  for (int32_t c = 0; c < TableClassSlots; ++c)
    for (int32_t s = 0; s < 2; ++s) TableSides[c][s].FileLock.store(0, std::memory_order_relaxed);
  if (!IndexTablesReady) {
    BuildIndexTables();
    ResetMaterialTrie();
    IndexTablesReady = true;
  }
  // Cached blocks refer to the tables about to be released.
  CacheReset();
  ReleaseRegistry();

  if (!pathList) pathList = "";
  const char* start = pathList;
  for (;;) {
    const char* end = start;
    while (*end && *end != ',' && *end != ';') ++end;
    std::string directory(start, end);
    for (int32_t c = 1; c < TableClassSlots; ++c) {
      RegisterTable(directory.c_str(), c, 0);
      if (!ClassIsSymmetric(c)) RegisterTable(directory.c_str(), c, 1);
    }
    if (!*end) break;
    start = end + 1;
  }

  if (CompressedTableCount > 0 && !DecoderPoolCreate()) {
    // Without work areas no compressed table can be read.
    for (int32_t c = 0; c < TableClassSlots; ++c)
      for (int32_t s = 0; s < 2; ++s)
        if (TableSides[c][s].Header) TableSides[c][s].Registered.store(0, std::memory_order_relaxed);
  }

  int32_t largest = 0;
  for (int32_t c = 1; c < TableClassSlots; ++c)
    if (TableSides[c][0].Registered.load(std::memory_order_relaxed) ||
        TableSides[c][1].Registered.load(std::memory_order_relaxed))
      largest = c;
  return PieceLimitOf(largest);
}

int32_t TablebaseInit(const char* directory) {
  SpinLockAcquire(SetupLock);
  if (ReferenceCount == 0) {
    char text[SettingTextLength + 1];
    ReadTablebaseSetting("Path", text, sizeof text);
    std::string path = text[0] ? std::string(text) : std::string(directory ? directory : "") + "Tablebase";
    RegistrationResult = RegisterTablebases(path.c_str());

    ReadTablebaseSetting("CacheSizeKB", text, sizeof text);
    int64_t sizeKB = SettingNumber(text);
    if (sizeKB < DefaultCacheSizeKB) sizeKB = DefaultCacheSizeKB;
    CacheMemory = nullptr;
    CacheMemorySize = 0;
    if (static_cast<uint64_t>(sizeKB) <= SIZE_MAX / 1024) {
      size_t size = static_cast<size_t>(sizeKB) * 1024;
      CacheMemory = new (std::nothrow) char[size];
      if (CacheMemory) CacheMemorySize = size;
    }
    // Without cache entries no table can be read: none is usable.
    CacheSetup(CacheMemory, CacheMemorySize);
    if (CacheEntryCount() == 0) RegistrationResult = 0;
  }
  ++ReferenceCount;
  int32_t result = RegistrationResult;
  SpinLockRelease(SetupLock);
  return result;
}

void TablebaseShutdown() {
  SpinLockAcquire(SetupLock);
  // An unmatched shutdown must not leave the count below zero: the next
  // set-up would then believe the tables were already registered.
  if (ReferenceCount > 0 && --ReferenceCount == 0) {
    TablebaseCloseFiles();
    CacheSetup(nullptr, 0);
    delete[] CacheMemory;
    CacheMemory = nullptr;
    CacheMemorySize = 0;
    RegistrationResult = 0;
    ReleaseRegistry();
    FreeIndexTables();
    FreeMaterialTrie();
    IndexTablesReady = false;
  }
  SpinLockRelease(SetupLock);
}
