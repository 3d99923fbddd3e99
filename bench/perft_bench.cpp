// Perft speed: leaf nodes per second of generation + make/unmake + the
// legality test, on two fixed positions with known counts.
//
//   build/bin/obrantule-perft-bench [REPEATS]
#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "engine/engine.h"
#include "engine/perft.h"
#include "bench_help.h"
#include "engine/root.h"

namespace {

struct BenchPosition {
  const char* Name;
  const char* Text;  // nullptr: the start position
  int32_t Depth;
  uint64_t Nodes;
};

const BenchPosition Positions[] = {
    {"start position", nullptr, 5, 4865609},
    {"r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -",
     "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1", 4, 4085603},
};

}  // namespace

int main(int argc, char** argv) {
  if (AnswerHelp(argc, argv,
      "usage: obrantule-perft-bench [REPEATS]\n"
      "Move generation speed: perft 5 of the initial position and perft 4 of a middlegame, REPEATS\n"
      "times each (default 5), in leaf nodes per wall-clock and per CPU second.\n"))
    return 0;
  int repeats = argc > 1 ? std::atoi(argv[1]) : 5;
  if (repeats < 1) repeats = 1;
  if (ObrantuleInit(8, nullptr, "", 0) < 0) {
    std::fprintf(stderr, "obrantule-perft-bench: cannot allocate the engine's tables\n");
    return 1;
  }
  int status = 0;
  uint64_t allNodes = 0;
  double allSeconds = 0;
  for (const BenchPosition& p : Positions) {
    std::vector<double> rates, cpuRates;
    uint64_t nodes = 0;
    for (int r = 0; r < repeats; ++r) {
      if (p.Text == nullptr) SetUpStart();
      else SetUpFromText(p.Text);
      InstallGamePosition();
      const auto started = std::chrono::steady_clock::now();
      const std::clock_t cpuStarted = std::clock();
      nodes = Perft(p.Depth);
      const double cpuSeconds = double(std::clock() - cpuStarted) / CLOCKS_PER_SEC;
      const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
      rates.push_back(double(nodes) / seconds);
      cpuRates.push_back(double(nodes) / cpuSeconds);
      allNodes += nodes;
      allSeconds += seconds;
    }
    std::sort(rates.begin(), rates.end());
    std::sort(cpuRates.begin(), cpuRates.end());
    // Per CPU second too: on a shared machine the wall clock also counts the
    // time other processes held the core.
    std::printf("%s, depth %d: %llu leaf nodes, median %.2f M/s, best %.2f M/s, per CPU second %.2f M/s (%d runs)\n",
                p.Name, p.Depth, static_cast<unsigned long long>(nodes), rates[rates.size() / 2] / 1e6,
                rates.back() / 1e6, cpuRates[cpuRates.size() / 2] / 1e6, repeats);
    if (nodes != p.Nodes) {
      std::printf("  wrong count: expected %llu\n", static_cast<unsigned long long>(p.Nodes));
      status = 1;
    }
  }
  std::printf("Leaf nodes/second: %.0f\n", double(allNodes) / allSeconds);
  ObrantuleQuit();
  return status;
}
