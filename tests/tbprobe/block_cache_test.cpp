// The block cache: entry count, LRU order and eviction, buckets, the short
// last block, and tables whose files go bad after registration.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "block_cache.h"
#include "datacomp.h"
#include "table_fixture.h"
#include "tablebase_probe.h"
#include "tablebase_registry.h"

namespace {

constexpr int32_t Krk = 4;
constexpr int32_t Kqk = 5;
constexpr int32_t Kpkp = 6;
constexpr int32_t Knkp = 7;

int32_t Expected(int32_t tableClass, int32_t side, uint32_t index) {
  return ScoreOfByte(PatternByte(tableClass, side, index));
}

int32_t Read(int32_t tableClass, int32_t side, uint32_t index) {
  return ProbeScore(ReadTableValue(tableClass, side, index));
}

std::vector<int32_t> LruBlocks(int32_t tableClass, int32_t side) {
  std::vector<int32_t> blocks(4096);
  blocks.resize(static_cast<size_t>(CacheLruBlocks(tableClass, side, blocks.data(), 4096)));
  return blocks;
}

bool Contains(const std::vector<int32_t>& blocks, int32_t block) {
  for (int32_t b : blocks)
    if (b == block) return true;
  return false;
}

class BlockCache : public ::testing::Test {
 protected:
  void SetUp() override {
    WritePatternTable(scratch_.Path(), Kpkp, 0);
    WritePatternTable(scratch_.Path(), Kqk, 0);
    WritePatternTable(scratch_.Path(), Krk, 0);
    ASSERT_EQ(session_.Init(scratch_.Path()), 4);
    ASSERT_EQ(CacheEntryCount(), 126);
  }
  ScratchDirectory scratch_;
  TablebaseSession session_{scratch_};
};

TEST_F(BlockCache, LeastRecentlyUsedBlockIsEvictedFirst) {
  for (int32_t block = 0; block < 126; ++block)
    ASSERT_EQ(Read(Kpkp, 0, block * 8192u + 3), Expected(Kpkp, 0, block * 8192u + 3));
  EXPECT_EQ(CacheLoadCount(), 126);
  std::vector<int32_t> lru = LruBlocks(Kpkp, 0);
  ASSERT_EQ(lru.size(), 126u);
  EXPECT_EQ(lru.front(), 125);
  EXPECT_EQ(lru.back(), 0);

  // A second read of a block loads nothing and makes it the most recent.
  EXPECT_EQ(Read(Kpkp, 0, 9), Expected(Kpkp, 0, 9));
  EXPECT_EQ(CacheLoadCount(), 126);
  lru = LruBlocks(Kpkp, 0);
  EXPECT_EQ(lru.front(), 0);
  EXPECT_EQ(lru.back(), 1);

  // The 127th distinct block takes the place of the least recent one.
  EXPECT_EQ(Read(Kpkp, 0, 126 * 8192u), Expected(Kpkp, 0, 126 * 8192u));
  EXPECT_EQ(CacheLoadCount(), 127);
  lru = LruBlocks(Kpkp, 0);
  EXPECT_EQ(lru.size(), 126u);
  EXPECT_EQ(lru.front(), 126);
  EXPECT_FALSE(Contains(lru, 1));
  EXPECT_TRUE(Contains(lru, 0));
  EXPECT_EQ(lru.back(), 2);
  EXPECT_EQ(Read(Kpkp, 0, 8192 + 100), Expected(Kpkp, 0, 8192 + 100));
  EXPECT_EQ(CacheLoadCount(), 128);
  EXPECT_EQ(CacheCheckConsistency(), 1);
}

TEST_F(BlockCache, BlocksOfOneBucketAreAllFound) {
  EXPECT_EQ(Read(Kpkp, 0, 5 * 8192u + 17), Expected(Kpkp, 0, 5 * 8192u + 17));
  EXPECT_EQ(Read(Kpkp, 0, 37 * 8192u + 18), Expected(Kpkp, 0, 37 * 8192u + 18));
  EXPECT_EQ(Read(Kpkp, 0, 69 * 8192u + 19), Expected(Kpkp, 0, 69 * 8192u + 19));
  for (uint32_t block : {5u, 37u, 69u, 37u, 5u})
    for (uint32_t offset : {0u, 4000u, 8191u})
      ASSERT_EQ(Read(Kpkp, 0, block * 8192 + offset), Expected(Kpkp, 0, block * 8192 + offset));
  EXPECT_EQ(CacheLoadCount(), 3);
  EXPECT_EQ(CacheCheckConsistency(), 1);
}

TEST_F(BlockCache, TheShortLastBlockIsRead) {
  uint32_t length = TableLength(Kqk, 0);
  ASSERT_EQ(length, 25629u);
  for (uint32_t index : {length - 1, 3 * 8192u, length - 1000})
    EXPECT_EQ(Read(Kqk, 0, index), Expected(Kqk, 0, index)) << index;
  // Indices past the end of the file hold no position: no answer, no block read.
  int64_t loads = CacheLoadCount();
  EXPECT_EQ(ReadTableValue(Kqk, 0, length), TableValueUnknown);
  EXPECT_EQ(ReadTableValue(Kqk, 0, 0xFFFFFFFEu), TableValueUnknown);
  EXPECT_EQ(CacheLoadCount(), loads);
  EXPECT_TRUE(TableSides[Kqk][0].Registered.load());
}

TEST_F(BlockCache, ClosingFilesKeepsTheCachedBlocks) {
  EXPECT_EQ(Read(Krk, 0, 100), Expected(Krk, 0, 100));
  TablebaseCloseFiles();
  EXPECT_EQ(TableSides[Krk][0].File, nullptr);
  ASSERT_EQ(std::remove(scratch_.File("krk.nbw").c_str()), 0);
  EXPECT_EQ(Read(Krk, 0, 200), Expected(Krk, 0, 200));
  EXPECT_EQ(CacheLoadCount(), 1);
}

TEST_F(BlockCache, ARemovedFileDropsItsTable) {
  ASSERT_EQ(std::remove(scratch_.File("krk.nbw").c_str()), 0);
  // White Ka1, Rh2 against Kc3: the read fails, and the probe gives no
  // answer (never a draw); the table is dropped.
  int32_t counts[10] = {0, 0, 0, 1, 0, 0, 0, 0, 0, 0};
  int32_t white[24] = {0};
  white[16] = 15;
  int32_t black[24] = {18};
  int32_t out = 5;
  EXPECT_EQ(TBProbeList(counts, white, black, 0, 0, &out), 0);
  EXPECT_EQ(out, 5);
  EXPECT_FALSE(TableSides[Krk][0].Registered.load());
  EXPECT_EQ(ReadTableValue(Krk, 0, 100), TableValueUnknown);
  EXPECT_EQ(CacheCheckConsistency(), 1);
  EXPECT_EQ(TBProbeList(counts, white, black, 0, 0, &out), 0);
  // Other tables are untouched, and the entry went back to use.
  EXPECT_EQ(Read(Kqk, 0, 100), Expected(Kqk, 0, 100));
  for (int32_t block = 0; block < 130; ++block)
    ASSERT_EQ(Read(Kpkp, 0, block * 8192u), Expected(Kpkp, 0, block * 8192u));
  EXPECT_EQ(CacheCheckConsistency(), 1);
}

TEST(BlockCachePlain, FileCutAfterRegistrationDropsTheTable) {
  ScratchDirectory scratch;
  std::string path = WritePatternTable(scratch.Path(), Kqk, 0);
  TablebaseSession session(scratch);
  ASSERT_EQ(session.Init(scratch.Path()), 3);
  ASSERT_GT(TableLength(Kqk, 0), 2 * 8192u);
  // Cut in the middle of block 1: its entries are gone, not draws.
  std::vector<uint8_t> bytes = ReadFile(path);
  bytes.resize(8192 + 100);
  WriteFile(path, bytes);
  EXPECT_EQ(Read(Kqk, 0, 5), Expected(Kqk, 0, 5));
  EXPECT_EQ(ReadTableValue(Kqk, 0, 8192 + 3000), TableValueUnknown);
  EXPECT_FALSE(TableSides[Kqk][0].Registered.load());
  EXPECT_EQ(CacheCheckConsistency(), 1);
}

TEST(BlockCacheCompressed, BadBlocksDropTheTableSafely) {
  ScratchDirectory scratch;
  std::string garbled = WriteCompressedPatternTable(scratch.Path(), Kqk, 0, "kqk.nbw.emd");
  std::string truncated = WriteCompressedPatternTable(scratch.Path(), Krk, 0, "krk.nbw.emd");
  WritePatternTable(scratch.Path(), Kqk, 1);
  TablebaseSession session(scratch);
  ASSERT_EQ(session.Init(scratch.Path()), 3);
  for (int32_t c : {Kqk, Krk}) {
    ASSERT_NE(TableSides[c][0].Header, nullptr);
    uint32_t length = TableLength(c, 0);
    for (uint32_t index = 0; index < length; index += 1021)
      ASSERT_EQ(Read(c, 0, index), Expected(c, 0, index)) << index;
    ASSERT_EQ(Read(c, 0, length - 1), Expected(c, 0, length - 1));
  }
  // Damage block 2 of both files on disk, and read it again after a reset.
  uint64_t offset = 0;
  uint32_t blockLength = 0;
  ASSERT_EQ(BlockSpan(TableSides[Kqk][0].Header, 2, &offset, &blockLength), 0);
  std::vector<uint8_t> bytes = ReadFile(garbled);
  for (uint32_t i = 0; i < blockLength; ++i) bytes[offset + i] = static_cast<uint8_t>(0xFF - i * 37);
  WriteFile(garbled, bytes);
  ASSERT_EQ(BlockSpan(TableSides[Krk][0].Header, 2, &offset, &blockLength), 0);
  bytes = ReadFile(truncated);
  bytes.resize(offset + blockLength / 2);
  WriteFile(truncated, bytes);
  CacheReset();

  EXPECT_EQ(Read(Kqk, 0, 5), Expected(Kqk, 0, 5));
  // Garbage may or may not decode to some bytes; when it cannot, the table goes.
  int32_t value = ReadTableValue(Kqk, 0, 2 * 8192u + 5);
  EXPECT_EQ(TableSides[Kqk][0].Registered.load() == 0, value == TableValueUnknown);
  // A block whose bytes are missing cannot be read.
  EXPECT_EQ(Read(Krk, 0, 8192), Expected(Krk, 0, 8192));
  EXPECT_EQ(ReadTableValue(Krk, 0, 2 * 8192u + 5), TableValueUnknown);
  EXPECT_FALSE(TableSides[Krk][0].Registered.load());
  EXPECT_EQ(Read(Kqk, 1, 10), Expected(Kqk, 1, 10));
  EXPECT_EQ(CacheCheckConsistency(), 1);
}

}  // namespace
