// obrantule-dev bench: searches the fixed bench positions to one depth from a
// cleared state and prints the node counts and the speed.

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "command.h"
#include "engine/api.h"
#include "benchpositions.h"

int BenchCommand(int argc, char** argv) {
  int32_t depth = BenchDefaultDepth;
  if (argc > 1) {
    std::fprintf(stderr, "usage: obrantule-dev bench [DEPTH]\n");
    return 2;
  }
  if (argc == 1) {
    char* end = nullptr;
    const long v = std::strtol(argv[0], &end, 10);
    if (end == argv[0] || *end != '\0' || v < 1 || v > 29) {
      std::fprintf(stderr, "obrantule-dev bench: DEPTH must be a number from 1 to 29\n");
      return 2;
    }
    depth = int32_t(v);
  }
  // "nodes" is the count reported with each position's last line, the one a
  // host sees (obrantule bench prints the same); "all" is every node searched.
  int64_t totalNodes = 0, totalReported = 0, totalMs = 0;
  for (int32_t k = 0; k < BenchPositionCount; ++k) {
    BenchResult result;
    BenchSearch(BenchPositions[k], depth, &result);
    totalNodes += result.Nodes;
    totalReported += result.ReportedNodes;
    totalMs += result.Milliseconds;
    std::printf("%2d %-18s nodes %10lld  all %10lld  time %6lld ms  score %6d  line %s\n", k + 1,
                BenchPositions[k].Name, (long long)result.ReportedNodes, (long long)result.Nodes,
                (long long)result.Milliseconds, result.Score, result.BestLine);
    std::fflush(stdout);
  }
  ObrantuleQuit();
  std::printf("All nodes: %lld (%lld per second)\n", (long long)totalNodes,
              (long long)(totalMs > 0 ? totalNodes * 1000 / totalMs : 0));
  std::printf("Nodes searched: %lld\n", (long long)totalReported);
  std::printf("Nodes/second: %lld\n", (long long)(totalMs > 0 ? totalReported * 1000 / totalMs : 0));
  return 0;
}

OBRANTULE_DEV_COMMAND(bench, "bench [DEPTH]", BenchCommand);
