// Probe rate of the tablebase prober: cache hits, and random positions over
// whole tables that do not fit the cache, plain and compressed.
//
//   obrantule-bench-tbprobe [SECONDS_PER_FIGURE]
//
// Rates are per second of the probing thread's processor time. The tables are synthetic (bytes shaped like distance-to-mate data) and are
// written to a scratch directory first, so the operating system's file cache
// holds them: the figures are the prober's own cost, not the disk's.
#include <sys/stat.h>
#include <unistd.h>

#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "block_cache.h"
#include "datacomp_writer.h"
#include "material_trie.h"
#include "tablebase_classes.h"
#include "tablebase_probe.h"
#include "tablebase_registry.h"
#include "bench_help.h"

namespace {

constexpr int32_t Knkp = 7;

uint64_t NextRandom(uint64_t& seed) {
  seed ^= seed >> 12;
  seed ^= seed << 25;
  seed ^= seed >> 27;
  return seed * 0x2545F4914F6CDD1DULL;
}

// Processor time of this thread (user and system): the other work on a busy
// machine does not count against the prober.
double Now() {
  timespec now;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

// Bytes with the texture of a distance-to-mate table: runs of equal values,
// half of them draws, the rest wins and losses of short to middling length.
std::vector<uint8_t> TableLikeBytes(uint32_t length, uint64_t seed) {
  std::vector<uint8_t> bytes(length);
  uint32_t i = 0;
  while (i < length) {
    uint32_t run = 1 + static_cast<uint32_t>(NextRandom(seed) % 12);
    uint64_t pick = NextRandom(seed);
    uint8_t value = 0;
    if (pick % 4 == 1) value = static_cast<uint8_t>(127 - 1 - (pick >> 8) % 40);
    if (pick % 4 == 2) value = static_cast<uint8_t>(static_cast<int8_t>(-126 + (pick >> 8) % 40));
    for (uint32_t k = 0; k < run && i < length; ++k) bytes[i++] = value;
  }
  return bytes;
}

bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && ok;
}

struct Position {
  int32_t Counts[10];
  int32_t White[24];
  int32_t Black[24];
  int32_t Side;
};

// A random knkp position: white king and knight, black king and pawn.
Position RandomPosition(uint64_t& seed) {
  Position p = {};
  ClassMaterial(Knkp, p.Counts);
  for (;;) {
    int32_t wk = static_cast<int32_t>(NextRandom(seed) % 64), bk = static_cast<int32_t>(NextRandom(seed) % 64);
    int32_t n = static_cast<int32_t>(NextRandom(seed) % 64), pawn = 8 + static_cast<int32_t>(NextRandom(seed) % 48);
    if (std::abs(wk % 8 - bk % 8) <= 1 && std::abs(wk / 8 - bk / 8) <= 1) continue;
    if (n == wk || n == bk || pawn == wk || pawn == bk || pawn == n) continue;
    p.White[0] = wk;
    p.White[8] = n;
    p.Black[0] = bk;
    p.Black[4] = pawn;
    p.Side = static_cast<int32_t>(NextRandom(seed) & 1);
    return p;
  }
}

// Runs probe(i) for about `seconds`; answers probes per second.
template <typename Probe>
double Rate(double seconds, Probe probe) {
  double start = Now(), end = start;
  uint64_t done = 0;
  while ((end = Now()) - start < seconds) {
    for (int32_t i = 0; i < 4096; ++i) probe(done++);
  }
  return static_cast<double>(done) / (end - start);
}

volatile int32_t Sink;

void Measure(const char* title, double seconds) {
  uint32_t length = TablebaseClasses[Knkp].ExpectedSize[0];
  std::printf("%s\n", title);

  // Hits: random entries of 64 blocks (the cache holds 126).
  uint64_t seed = 7;
  for (uint32_t b = 0; b < 64; ++b) Sink = ReadTableValue(Knkp, 0, b * 8192u);
  int64_t loads = CacheLoadCount();
  double rate = Rate(seconds, [&](uint64_t) {
    uint32_t index = static_cast<uint32_t>(NextRandom(seed) % (64 * 8192u));
    Sink = ReadTableValue(Knkp, 0, index);
  });
  std::printf("  cache hits, ReadTableValue:         %12.0f probes/s (%lld blocks loaded)\n", rate,
              static_cast<long long>(CacheLoadCount() - loads));

  // Hits through the whole probe: 64 fixed positions.
  std::vector<Position> few;
  for (int32_t i = 0; i < 64; ++i) few.push_back(RandomPosition(seed));
  int32_t out;
  for (const Position& p : few) TBProbeList(p.Counts, p.White, p.Black, p.Side, 0, &out);
  loads = CacheLoadCount();
  rate = Rate(seconds, [&](uint64_t i) {
    const Position& p = few[i & 63];
    TBProbeList(p.Counts, p.White, p.Black, p.Side, 0, &out);
    Sink = out;
  });
  std::printf("  cache hits, TBProbeList:            %12.0f probes/s (%lld blocks loaded)\n", rate,
              static_cast<long long>(CacheLoadCount() - loads));

  // Misses: random entries over the whole table (602 blocks of each side).
  loads = CacheLoadCount();
  uint64_t count = 0;
  rate = Rate(seconds, [&](uint64_t) {
    Sink = ReadTableValue(Knkp, static_cast<int32_t>(count & 1), static_cast<uint32_t>(NextRandom(seed) % length));
    ++count;
  });
  std::printf("  random entries, ReadTableValue:     %12.0f probes/s (%.1f%% of them loaded a block)\n", rate,
              100.0 * static_cast<double>(CacheLoadCount() - loads) / static_cast<double>(count));

  // Random positions through the whole probe.
  std::vector<Position> many;
  for (int32_t i = 0; i < 65536; ++i) many.push_back(RandomPosition(seed));
  loads = CacheLoadCount();
  count = 0;
  rate = Rate(seconds, [&](uint64_t i) {
    const Position& p = many[i & 65535];
    TBProbeList(p.Counts, p.White, p.Black, p.Side, 0, &out);
    Sink = out;
    ++count;
  });
  std::printf("  random positions, TBProbeList:      %12.0f probes/s (%.1f%% of them loaded a block)\n", rate,
              100.0 * static_cast<double>(CacheLoadCount() - loads) / static_cast<double>(count));
}

}  // namespace

int main(int argc, char** argv) {
  if (AnswerHelp(argc, argv,
      "usage: obrantule-bench-tbprobe [SECONDS]\n"
      "Tablebase probes per second of processor time on synthetic knkp tables, SECONDS per figure\n"
      "(default 2): cache hits, random entries and random positions, plain and compressed.\n"))
    return 0;
  double seconds = argc > 1 ? std::atof(argv[1]) : 2.0;
  if (seconds <= 0) seconds = 2.0;
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/obrantule-tbprobe-bench-XXXXXX";
  std::vector<char> text(pattern.begin(), pattern.end());
  text.push_back(0);
  if (!mkdtemp(text.data())) {
    std::perror("mkdtemp");
    return 1;
  }
  std::string directory = text.data();
  std::string plain = directory + "/plain", packed = directory + "/packed";
  mkdir(plain.c_str(), 0700);
  mkdir(packed.c_str(), 0700);

  uint64_t rawBytes = 0, packedBytes = 0;
  for (int32_t side = 0; side < 2; ++side) {
    std::string name = std::string(TablebaseClasses[Knkp].Name) + (side ? ".nbb" : ".nbw");
    std::vector<uint8_t> bytes = TableLikeBytes(TablebaseClasses[Knkp].ExpectedSize[side], 1234 + side);
    std::vector<uint8_t> file;
    PackOptions options;
    PackStats stats;
    if (!WriteBytes(plain + "/" + name, bytes) || PackData(bytes.data(), bytes.size(), &options, &file, &stats) != 0 ||
        !WriteBytes(packed + "/" + name + ".emd", file)) {
      std::fprintf(stderr, "cannot write the tables under %s\n", directory.c_str());
      return 1;
    }
    rawBytes += bytes.size();
    packedBytes += file.size();
  }
  std::printf("knkp tables, both sides: %.1f MB, compressed %.1f MB; cache 1024 KB (126 blocks)\n",
              static_cast<double>(rawBytes) / 1e6, static_cast<double>(packedBytes) / 1e6);

  std::string settings = directory + "/ChssBase.ini";
  for (const std::string& tables : {plain, packed}) {
    std::FILE* file = std::fopen(settings.c_str(), "w");
    if (!file) return 1;
    std::fprintf(file, "[Tablebase]\nPath=%s\nCacheSizeKB=1024\n", tables.c_str());
    std::fclose(file);
    setenv("OBRANTULE_SETTINGS", settings.c_str(), 1);
    if (TablebaseInit("") != 4) {
      std::fprintf(stderr, "the tables under %s were not registered\n", tables.c_str());
      return 1;
    }
    Measure(tables == plain ? "uncompressed" : "compressed", seconds);
    TablebaseShutdown();
  }
  std::error_code ignored;
  std::filesystem::remove_all(directory, ignored);
  return 0;
}
