// obrantule bench: the engine's bench positions searched to a fixed depth
// through the whole host, plug-in and engine chain, each from cleared tables.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "engine_link.h"
#include "game_record.h"
#include "bench/bench_positions.h"
#include "host_main.h"
#include "search_session.h"
#include "tablebase_settings.h"

namespace {

std::string BenchLine;
int32_t BenchScore = 0;

void KeepMainline(const MainlineReport& report) {
  BenchLine.clear();
  for (const ChessMove& move : report.Line) BenchLine += MoveToText(move) + " ";
  BenchScore = report.Score;
}

}  // namespace

int RunBench(int argc, char** argv) {
  int32_t depth = BenchDefaultDepth;
  bool tablebases = false;
  const char usage[] =
      "usage: obrantule bench [DEPTH] [--tablebases]\n"
      "  DEPTH         search depth 1..20 (default %d)\n"
      "  --tablebases  use the default tablebases (left out by default, so that the node\n"
      "                counts equal those of obrantule-dev bench)\n";
  for (int i = 0; i < argc; ++i) {
    char* end = nullptr;
    long value = strtol(argv[i], &end, 10);
    if (strcmp(argv[i], "--help") == 0 || strcmp(argv[i], "-h") == 0) {
      printf(usage, int(BenchDefaultDepth));
      return 0;
    } else if (strcmp(argv[i], "--tablebases") == 0) {
      tablebases = true;
    } else if (end != argv[i] && *end == '\0' && value >= 1 && value <= 20) {
      depth = int32_t(value);
    } else {
      fprintf(stderr, "bench: bad argument '%.40s'\n", argv[i]);
      fprintf(stderr, usage, int(BenchDefaultDepth));
      return 2;
    }
  }
  // Without tablebases unless asked: the node counts are then the engine's alone.
  if (!tablebases) SetTablebaseSettingPath("/nonexistent/obrantule-bench-without-tablebases");
  else LocateDefaultTablebases();
  std::string error;
  if (!LoadPlugin(&error)) {
    fprintf(stderr, "bench: %s\n", error.c_str());
    return 1;
  }
  int32_t code = ConnectPlugin(BenchHashMB);
  if (code != 0) {
    fprintf(stderr, "bench: %s\n", ConnectErrorText(code).c_str());
    return 1;
  }
  int64_t totalNodes = 0, totalMs = 0;
  const SearchPrinter printer = {nullptr, nullptr, KeepMainline, nullptr};
  int32_t count = BenchPositionCount;
  for (int32_t k = 0; k < count; ++k) {
    ChessPosition position;
    ParseFen(BenchPositions[k].Fen, &position, &error);
    GameRecord record{};
    // Sent as position text, which empties the engine's tables first.
    FillGameRecord(&record, position, false, {});
    record.TimeMode = TimeModeDepth;
    record.Depth = uint16_t(depth);
    BenchLine.clear();
    BenchScore = 0;
    HostStats.Nodes = 0;
    auto start = std::chrono::steady_clock::now();
    StartSearch(record, position, SearchLimits(), printer);
    WaitForSearch();
    int64_t ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
    int64_t nodes = uint32_t(HostStats.Nodes);
    totalNodes += nodes;
    totalMs += ms;
    printf("%2d %-18s nodes %10lld  time %6lld ms  score %6d  line %s\n", k + 1, BenchPositions[k].Name,
           (long long)nodes, (long long)ms, BenchScore, BenchLine.c_str());
    fflush(stdout);
  }
  DisconnectPlugin();
  printf("Nodes searched: %lld\n", (long long)totalNodes);
  printf("Nodes/second: %lld\n", (long long)(totalMs > 0 ? totalNodes * 1000 / totalMs : 0));
  return 0;
}
