// Several threads probing tables far larger than the cache while another
// closes the files again and again: every answer must be the file's byte.
// Run under ThreadSanitizer as well (scripts/test-extra.sh).
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "block_cache.h"
#include "position_index.h"
#include "table_fixture.h"
#include "tablebase_probe.h"
#include "tablebase_registry.h"

namespace {

constexpr int32_t Kpkp = 6;
constexpr int32_t Knkp = 7;
constexpr int32_t Krk = 4;
constexpr int32_t Kqk = 5;

struct Table {
  int32_t Class;
  int32_t Side;
};

// Probes until told to stop; answers the number of wrong answers.
int64_t ProbeUntil(const std::atomic<int32_t>& stop, uint64_t seed, const std::vector<Table>& tables,
                   std::atomic<int64_t>& probes) {
  int64_t wrong = 0;
  while (stop.load(std::memory_order_relaxed) == 0) {
    for (int32_t i = 0; i < 64; ++i) {
      const Table& table = tables[NextRandom(seed) % tables.size()];
      uint32_t length = TableLength(table.Class, table.Side);
      if (i & 1) {
        // A random entry read directly.
        uint32_t index = static_cast<uint32_t>(NextRandom(seed) % length);
        if (ProbeScore(ReadTableValue(table.Class, table.Side, index)) !=
            ScoreOfByte(PatternByte(table.Class, table.Side, index)))
          ++wrong;
      } else {
        // A random position through the probe.
        ClassPosition p = RandomClassPosition(table.Class, seed);
        int32_t expected = ExpectedProbe(p.Counts, p.White, p.Black, table.Side, NoEnPassant);
        int32_t out = 999;
        if (TBProbeList(p.Counts, p.White, p.Black, table.Side, 0, &out) != 1 || out != expected) ++wrong;
      }
    }
    probes.fetch_add(64);
  }
  return wrong;
}

void RunProbers(int32_t cacheEntries, int32_t threads, double seconds) {
  ScratchDirectory scratch;
  std::vector<Table> tables;
  for (int32_t c : {Kpkp, Knkp})
    for (int32_t side = 0; side < 2; ++side) {
      WritePatternTable(scratch.Path(), c, side);
      tables.push_back({c, side});
    }
  for (int32_t c : {Krk, Kqk})
    for (int32_t side = 0; side < 2; ++side) {
      WriteCompressedPatternTable(scratch.Path(), c, side, TableFileName(c, side, ".emd"));
      tables.push_back({c, side});
    }
  TablebaseSession session(scratch);
  ASSERT_EQ(session.Init(scratch.Path()), 4);
  std::vector<char> memory(static_cast<size_t>(cacheEntries) * CacheEntrySize);
  ASSERT_EQ(CacheSetup(memory.data(), memory.size()), 1);
  ASSERT_EQ(CacheEntryCount(), cacheEntries);

  // The run lasts at least SECONDS and until enough probes and closes have
  // overlapped, so a slow or loaded machine makes it longer, never a failure.
  const auto minimum = std::chrono::steady_clock::now() +
                       std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::duration<double>(seconds));
  std::atomic<int32_t> stop{0};
  std::atomic<int64_t> probes{0};
  std::atomic<int64_t> wrong{0};
  std::atomic<int64_t> closes{0};
  std::vector<std::thread> workers;
  for (int32_t t = 0; t < threads; ++t)
    workers.emplace_back([&, t] { wrong.fetch_add(ProbeUntil(stop, 0x1234567ULL * (t + 1), tables, probes)); });
  workers.emplace_back([&] {
    while (stop.load(std::memory_order_relaxed) == 0) {
      TablebaseCloseFiles();
      closes.fetch_add(1);
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
  });
  while (std::chrono::steady_clock::now() < minimum || probes.load() <= 1000 || closes.load() <= 10)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  stop.store(1, std::memory_order_relaxed);
  for (std::thread& worker : workers) worker.join();

  EXPECT_EQ(wrong.load(), 0);
  EXPECT_GT(probes.load(), 1000);
  EXPECT_GT(closes.load(), 10);
  for (const Table& table : tables) EXPECT_TRUE(TableSides[table.Class][table.Side].Registered.load());
  EXPECT_EQ(CacheCheckConsistency(), 1);
  CacheSetup(nullptr, 0);
}

TEST(Concurrency, ProbersAndAFileCloserWithFewEntries) { RunProbers(3, 4, 1.5); }

TEST(Concurrency, ProbersAndAFileCloserWithManyEntries) { RunProbers(40, 3, 1.5); }

}  // namespace
