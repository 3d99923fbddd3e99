// obrantule bench: the engine's bench positions searched to a fixed depth
// through the whole host, plug-in and engine chain, each from cleared tables.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "engine_link.h"
#include "game_record.h"
#include "host_main.h"
#include "search_session.h"
#include "tablebase_settings.h"

namespace {

struct BenchEntry {
  const char* Name;
  const char* Fen;
};

// The same positions, depth and hash size as obrantule-dev bench, so the node
// counts can be compared.
const BenchEntry BenchEntries[] = {
    {"start", "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"},
    {"open-spanish", "r1bqkbnr/1ppp1ppp/p1n5/1B2p3/4P3/5N2/PPPP1PPP/RNBQK2R w KQkq - 0 4"},
    {"open-sicilian", "rnbqkb1r/pp2pppp/3p1n2/8/3NP3/8/PPP2PPP/RNBQKB1R w KQkq - 1 5"},
    {"middle-castles", "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1"},
    {"middle-pins", "r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10"},
    {"middle-promotion", "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1"},
    {"middle-isolani", "r1bq1rk1/pp2bppp/2n1pn2/3p4/3P4/2NB1N2/PP3PPP/R1BQ1RK1 w - - 0 9"},
    {"middle-black", "2r2rk1/pp1bqppp/2n1pn2/3p4/3P4/P1NBPN2/1PQ2PPP/R4RK1 b - - 0 14"},
    {"end-rooks", "8/5pk1/6p1/8/3R4/6P1/5PK1/3r4 w - - 0 40"},
    {"end-pawns", "8/8/1p3k2/p1p5/P1P5/1P3K2/8/8 w - - 0 50"},
    {"end-rook-pawns", "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1"},
    {"end-bishops", "8/5k2/3b2p1/1p1P3p/1P3P1P/4B1P1/6K1/8 w - - 0 45"},
    {"mate-back-rank", "6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - 0 1"},
    {"mate-smothered", "r5rk/6pp/7N/8/8/8/6PP/1Q4K1 w - - 0 1"},
    {"tb-rook", "8/8/8/4k3/8/8/8/R3K3 w - - 0 1"},
    {"tb-queen-rook", "8/8/3k4/8/8/2r5/8/3QK3 w - - 0 1"},
};

const int32_t BenchDepth = 9;
const int32_t BenchHashMB = 32;

std::string BenchLine;
int32_t BenchScore = 0;

void KeepMainline(const MainlineReport& report) {
  BenchLine.clear();
  for (const ChessMove& move : report.Line) BenchLine += MoveToText(move) + " ";
  BenchScore = report.Score;
}

}  // namespace

int RunBench(int argc, char** argv) {
  int32_t depth = BenchDepth;
  bool tablebases = false;
  for (int i = 0; i < argc; ++i) {
    char* end = nullptr;
    long value = strtol(argv[i], &end, 10);
    if (strcmp(argv[i], "--tablebases") == 0) {
      tablebases = true;
    } else if (end != argv[i] && *end == '\0' && value >= 1 && value <= 20) {
      depth = int32_t(value);
    } else {
      fprintf(stderr, "usage: obrantule bench [DEPTH 1..20] [--tablebases]\n");
      return 2;
    }
  }
  // Without tablebases unless asked: the node counts are then the engine's alone.
  if (!tablebases) SetTablebaseSettingPath("/nonexistent/obrantule-bench-without-tablebases");
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
  int32_t count = int32_t(sizeof(BenchEntries) / sizeof(BenchEntries[0]));
  for (int32_t k = 0; k < count; ++k) {
    ChessPosition position;
    ParseFen(BenchEntries[k].Fen, &position, &error);
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
    printf("%2d %-18s nodes %10lld  time %6lld ms  score %6d  line %s\n", k + 1, BenchEntries[k].Name,
           (long long)nodes, (long long)ms, BenchScore, BenchLine.c_str());
    fflush(stdout);
  }
  DisconnectPlugin();
  printf("Nodes searched: %lld\n", (long long)totalNodes);
  printf("Nodes/second: %lld\n", (long long)(totalMs > 0 ? totalNodes * 1000 / totalMs : 0));
  return 0;
}
