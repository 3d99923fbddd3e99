// obrantule-dev perft DEPTH [FEN [MOVE...]]: leaf-node counts per legal root
// move, for checking move generation against known counts.
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "command.h"
#include "engine/engine.h"
#include "engine/perft.h"
#include "engine/root.h"
#include "position_args.h"

namespace {

int PerftCommand(int argc, char** argv) {
  if (argc < 1) {
    std::fprintf(stderr, "usage: obrantule-dev perft DEPTH [FEN [MOVE...]]\n");
    return 2;
  }
  char* end = nullptr;
  long depth = std::strtol(argv[0], &end, 10);
  if (end == argv[0] || *end != '\0' || depth < 1 || depth > PerftMaxDepth) {
    std::fprintf(stderr, "obrantule-dev perft: DEPTH must be a number from 1 to %d\n", PerftMaxDepth);
    return 2;
  }
  if (!SetUpDevPosition(argc - 1, argv + 1, "perft")) return 1;

  const auto started = std::chrono::steady_clock::now();
  InstallGamePosition();
  PerftOverflow = 0;
  ListStart[0] = 0;
  MoveListTop = 0;
  GenerateMoves();
  int32_t rootEnd = GeneratedCount;
  MoveListTop = rootEnd;
  ListStart[1] = rootEnd;
  uint64_t total = 0;
  for (int32_t i = 0; i < rootEnd; ++i) {
    MakeMove(i);
    if (!MoverKingAttacked()) {
      const uint64_t count = Perft(int32_t(depth) - 1);
      UnmakeMove(i);
      std::printf("%s: %llu\n", MoveText(i), static_cast<unsigned long long>(count));
      total += count;
    } else {
      UnmakeMove(i);
    }
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  std::printf("Nodes: %llu\n", static_cast<unsigned long long>(total));
  std::fprintf(stderr, "time %.3f s, %.0f leaf nodes/s\n", seconds, seconds > 0 ? double(total) / seconds : 0.0);
  if (PerftOverflow) {
    std::fprintf(stderr, "obrantule-dev perft: the move list overflowed; the count is incomplete\n");
    return 1;
  }
  return 0;
}

}  // namespace

OBRANTULE_DEV_COMMAND(perft, "perft DEPTH [FEN [MOVE...]]", PerftCommand);
