// The engine's reports, written into the host's records and posted to the
// host. They run inside the engine's search, on the thread of Eng9.
#include "../platform/platform.h"
#include "adapter_state.h"
#include "../tablebase/tablebase_probe.h"

namespace {

// Every report first passes on the requests that came before the engine
// began; while a stop is pending it is repeated and nothing is reported.
bool StopPending() { return NoteReport() != 0; }

void PostAnalysis(int32_t message) {
  AnalysisRecord* analysis = Adapter.Analysis;
  PostToHost(message, analysis->HostValue16, analysis->HostValue8, analysis);
}

}  // namespace

extern "C" {

int32_t HOSTCALL ShowNodes(int32_t nodes, int32_t value2) {
  if (StopPending()) return 0;
  StatsRecord* stats = Adapter.Stats;
  if (stats == nullptr) return 0;
  stats->Nodes = nodes;
  stats->NodesValue2 = value2;
  stats->TablebaseHits = TablebaseProbeCount.load(std::memory_order_relaxed);
  if (Adapter.LastDepth > 3) PostToHost(MessageNodes, stats->HostValue16, stats->HostValue8, stats);
  return 0;
}

int32_t HOSTCALL ShowDepth(int32_t depth, int32_t value2) {
  if (StopPending()) return 0;
  Adapter.LastDepth = depth;
  if (Adapter.Analysis == nullptr) return 0;
  Adapter.Analysis->Depth = uint16_t(depth);
  Adapter.Analysis->DepthValue = int16_t(value2);
  PostAnalysis(MessageDepth);
  return 0;
}

int32_t HOSTCALL ShowMove(const char* move, int32_t value2, int32_t value3) {
  if (StopPending()) return 0;
  AnalysisRecord* analysis = Adapter.Analysis;
  if (analysis == nullptr) return 0;
  analysis->CurrentMove = move != nullptr ? TextToMoveCode(move) : 0;
  analysis->MoveNumber = int16_t(value2);
  analysis->MoveTotal = int16_t(value3);
  if (Adapter.LastDepth > 5) PostAnalysis(MessageCurrentMove);
  return 0;
}

int32_t HOSTCALL ShowMainline(const char* line, int32_t score) {
  if (StopPending()) return 0;
  AnalysisRecord* analysis = Adapter.Analysis;
  if (analysis == nullptr) return 0;
  analysis->MainlineMark = 2;
  analysis->MainlineLength = 0;
  analysis->Field122 = 0;
  const char* place = line != nullptr ? line : "";
  int32_t count = 0;
  while (*place != '\0' && count < MainlineCapacity) {
    HostMoveCode code = TextToMoveCode(place);
    if (code == 0) break;
    analysis->Mainline[count++] = code;
    while (*place != '\0' && *place != ' ') ++place;
    while (*place == ' ') ++place;
  }
  // The slot after the last move ends the line for a host that reads up to a 0.
  if (count < MainlineCapacity) analysis->Mainline[count] = 0;
  analysis->MainlineLength = uint16_t(count);
  analysis->Score = int16_t(score);
  analysis->Seconds = (PlatformTickCount() + 500u - Adapter.StartTick) / 1000u;
  PostAnalysis(MessageMainline);
  return 0;
}

}  // extern "C"
