// The fixed positions of the bench: their summed node count at the default
// depth is the engine's signature.
#pragma once

#include <cstdint>

struct BenchPosition {
  const char* Name;
  const char* Fen;
};

extern const BenchPosition BenchPositions[];
extern const int32_t BenchPositionCount;

constexpr int32_t BenchDefaultDepth = 8;
constexpr int32_t BenchHashMB = 32;

struct BenchResult {
  int64_t Nodes;
  int64_t Milliseconds;
  char BestLine[160];
  int32_t Score;
};

// Initialises the engine (no tablebases) once; searches one bench position to
// `depth` from a cleared state.
void BenchSearch(const BenchPosition& position, int32_t depth, BenchResult* result);
