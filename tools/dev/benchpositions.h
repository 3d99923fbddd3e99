// The bench search of obrantule-dev, over the positions of
// bench/bench_positions.h.
#pragma once

#include <cstdint>

#include "bench/bench_positions.h"

struct BenchResult {
  int64_t Nodes;  // the engine's count, every node of the search
  // The count sent with the last reported line: all a host ever sees, since
  // the search reports nothing after its last change of line.
  int64_t ReportedNodes;
  int64_t Milliseconds;
  char BestLine[160];
  int32_t Score;
};

// Initialises the engine (no tablebases) once; searches one bench position to
// `depth` from a cleared state.
void BenchSearch(const BenchPosition& position, int32_t depth, BenchResult* result);
