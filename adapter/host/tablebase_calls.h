// The tablebase prober's entry points as the adapter calls and exports them.
#pragma once

#include <atomic>
#include <cstdint>

#include "host_records.h"

#if defined(_WIN32)
#define TABLEBASE_EXPORT __declspec(dllexport)
#else
#define TABLEBASE_EXPORT __attribute__((visibility("default")))
#endif

extern "C" {
// Registers the tables and sizes the block cache (reference-counted);
// answers 0 or the piece count (3, 4, 5) of the largest class found.
int32_t TablebaseInit(const char* directory);
void TablebaseShutdown();
void TablebaseCloseFiles();

// board: 64 bytes, a1 = 0; side 0 white, 1 black; 1 when *out was set.
TABLEBASE_EXPORT int32_t HOSTCALL TBProbeBoard(const uint8_t* board, int32_t side, int32_t epSquare, int32_t* out);
TABLEBASE_EXPORT int32_t HOSTCALL TBProbeList(const int32_t* counts, const int32_t* whiteList, const int32_t* blackList,
                             int32_t side, int32_t epSquare, int32_t* out);
}

// Probes answered since the last reset.
extern std::atomic<int32_t> TablebaseProbeCount;
