// The bench positions of the host's bench: the same positions, depth and
// hash size as obrantule-dev bench, so the two can be compared.
#pragma once

#include <cstdint>

struct BenchEntry {
  const char* Name;
  const char* Fen;
};

extern const BenchEntry BenchEntries[];
extern const int32_t BenchEntryCount;
