// Millisecond tick from the monotonic clock.
#include <time.h>

#include "../platform.h"

uint32_t PlatformTickCount() {
  struct timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return uint32_t(uint64_t(now.tv_sec) * 1000u + uint64_t(now.tv_nsec) / 1000000u);
}
