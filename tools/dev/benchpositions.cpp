// The bench search: one bench position to a fixed depth through the engine's
// exports, from a cleared state.

#include "benchpositions.h"

#include <chrono>
#include <cstring>

#include "engine/api.h"
#include "engine/search.h"

namespace {

BenchResult* Current;

int32_t OBRANTULE_CALL KeepNodes(int32_t nodes, int32_t) {
  if (Current != nullptr) Current->ReportedNodes = uint32_t(nodes);  // a 32-bit count, read as the host reads it
  return 0;
}
int32_t OBRANTULE_CALL QuietDepth(int32_t, int32_t) { return 0; }
int32_t OBRANTULE_CALL QuietMove(const char*, int32_t, int32_t) { return 0; }
int32_t OBRANTULE_CALL QuietText(const char*) { return 0; }
int32_t OBRANTULE_CALL KeepMainline(const char* line, int32_t score) {
  if (Current != nullptr) {
    std::strncpy(Current->BestLine, line, sizeof(Current->BestLine) - 1);
    Current->BestLine[sizeof(Current->BestLine) - 1] = '\0';
    Current->Score = score;
  }
  return 0;
}

}  // namespace

void BenchSearch(const BenchPosition& position, int32_t depth, BenchResult* result) {
  // Initialised once for the bench, and again whenever someone else has
  // initialised the engine in between (the tests do).
  if (Callbacks.ShowMainline != KeepMainline || TableSizeClass != 30) {
    static EngineCallbacks callbacks;
    callbacks.Size = int32_t(sizeof(EngineCallbacks));
    callbacks.ShowNodes = KeepNodes;
    callbacks.ShowDepth = QuietDepth;
    callbacks.ShowMove = QuietMove;
    callbacks.ShowMainline = KeepMainline;
    callbacks.ShowText = QuietText;
    callbacks.TBProbeList = nullptr;
    ObrantuleInit(BenchHashMB, &callbacks, "", 0);
  }
  result->BestLine[0] = '\0';
  result->Score = 0;
  result->ReportedNodes = 0;
  Current = result;
  // Setting a position from text empties the tables: every search starts cold.
  ObrantuleSetPosition(position.Fen);
  ObrantuleSetDepth(depth);
  const auto start = std::chrono::steady_clock::now();
  ObrantuleAnalyse(0);
  const auto stop = std::chrono::steady_clock::now();
  Current = nullptr;
  result->Nodes = NodeCount;
  result->Milliseconds = std::chrono::duration_cast<std::chrono::milliseconds>(stop - start).count();
}
