// TEMPORARY STAND-IN for the tablebase prober until adapter/tablebase
// provides the real entry points: no table is ever registered, so every
// probe answers 0. Delete this file when the prober lands.
#include "tablebase_calls.h"

std::atomic<int32_t> TablebaseProbeCount{0};

int32_t TablebaseInit(const char*) { return 0; }
void TablebaseShutdown() {}
void TablebaseCloseFiles() {}

int32_t HOSTCALL TBProbeBoard(const uint8_t*, int32_t, int32_t, int32_t*) { return 0; }

int32_t HOSTCALL TBProbeList(const int32_t*, const int32_t*, const int32_t*, int32_t, int32_t, int32_t*) {
  return 0;
}
