// Index computations per second over random positions of the three-, four-
// and five-piece classes, both sides to move, through the class table's
// index functions as the probe calls them; and the inverse mapping's rate.
#include <ctime>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "position_index.h"
#include "tablebase_classes.h"
#include "bench_help.h"

namespace {

struct BenchPosition {
  int32_t Class;
  int32_t Side;
  int32_t Reversed;
  int32_t First[TablebaseListSlots];
  int32_t Second[TablebaseListSlots];
};

uint64_t Seed = 0x9e3779b97f4a7c15ull;

uint32_t NextRandom() {
  Seed = Seed * 6364136223846793005ull + 1442695040888963407ull;
  return static_cast<uint32_t>(Seed >> 33);
}

// A random placement of the class's men: distinct squares, kings apart,
// pawns on ranks 2..7.
void RandomPlacement(int32_t tableClass, BenchPosition* p) {
  int32_t counts[10];
  ClassMaterial(tableClass, counts);
  for (;;) {
    int32_t used[64] = {};
    for (int32_t i = 0; i < TablebaseListSlots; i++) p->First[i] = p->Second[i] = -1;
    int32_t ok = 1;
    p->First[0] = NextRandom() % 64;
    p->Second[0] = NextRandom() % 64;
    int32_t df = std::abs((p->First[0] & 7) - (p->Second[0] & 7));
    int32_t dr = std::abs((p->First[0] >> 3) - (p->Second[0] >> 3));
    if (df <= 1 && dr <= 1) continue;
    used[p->First[0]] = used[p->Second[0]] = 1;
    for (int32_t colour = 0; colour < 2 && ok; colour++) {
      int32_t* list = colour ? p->Second : p->First;
      for (int32_t t = 1; t <= 5 && ok; t++)
        for (int32_t k = 0; k < counts[colour * 5 + t - 1]; k++) {
          int32_t s = t == 1 ? 8 + NextRandom() % 48 : NextRandom() % 64;
          if (used[s]) ok = 0;
          used[s] = 1;
          list[4 * t + k] = s;
        }
    }
    if (ok) return;
  }
}

// Processor time of this (single-threaded) program: steadier than the wall
// clock on a machine shared with other work.
double CpuSeconds() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

void BenchMen(int32_t men, int32_t positionsPerTable, int32_t rounds) {
  std::vector<BenchPosition> positions;
  for (int32_t c = 1; c < TablebaseClassCount; c++) {
    if (ClassPieceCount(c) != men) continue;
    for (int32_t side = 0; side < 2; side++)
      for (int32_t i = 0; i < positionsPerTable; i++) {
        BenchPosition p;
        p.Class = c;
        p.Side = side;
        p.Reversed = static_cast<int32_t>(NextRandom() % 2);
        RandomPlacement(c, &p);
        positions.push_back(p);
      }
  }
  // Shuffle so that consecutive calls go to different functions, as probes do.
  for (size_t i = positions.size(); i > 1; i--) std::swap(positions[i - 1], positions[NextRandom() % i]);

  uint64_t sum = 0, calls = 0;
  double start = CpuSeconds();
  for (int32_t r = 0; r < rounds; r++)
    for (const BenchPosition& p : positions) {
      const TablebaseClass& tc = TablebaseClasses[p.Class];
      TablebaseIndexFunction f = p.Side ? tc.BlackIndex : tc.WhiteIndex;
      sum += f(p.First, p.Second, TablebaseNoEnPassant, p.Reversed);
      calls++;
    }
  double forward = CpuSeconds() - start;

  uint64_t decoded = 0, decodeCalls = 0;
  int32_t white[TablebaseListSlots], black[TablebaseListSlots], ep;
  start = CpuSeconds();
  for (const BenchPosition& p : positions) {
    uint32_t range = IndexRange(p.Class, p.Side);
    for (int32_t k = 0; k < rounds; k++) {
      decoded += IndexToPosition(p.Class, p.Side, NextRandom() % range, white, black, &ep);
      decodeCalls++;
    }
  }
  double inverse = CpuSeconds() - start;
  std::printf("%d men: %10.0f index computations/s (%llu calls, %.2f s CPU)   "
              "%10.0f decodes/s (%.0f%% hold a position)   [checksum %llu]\n",
              men, calls / forward, static_cast<unsigned long long>(calls), forward,
              decodeCalls / inverse, 100.0 * decoded / decodeCalls,
              static_cast<unsigned long long>(sum % 1000003));
}

}  // namespace

int main(int argc, char** argv) {
  if (AnswerHelp(argc, argv,
      "usage: obrantule-bench-tbindex [ROUNDS]\n"
      "Tablebase position indexing speed on random 3-, 4- and 5-man positions (default 20 rounds).\n"))
    return 0;
  int32_t rounds = argc > 1 ? std::atoi(argv[1]) : 20;
  if (rounds < 1) rounds = 1;
  BuildIndexTables();
  std::printf("Random positions, both sides to move, half of them colour-exchanged; %d rounds.\n",
              rounds);
  BenchMen(3, 20000, rounds);
  BenchMen(4, 2000, rounds);
  BenchMen(5, 500, rounds);
  return 0;
}
