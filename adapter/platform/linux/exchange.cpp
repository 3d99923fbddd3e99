// Atomic exchange and yield for the adapter's spin locks and claim words.
#include <sched.h>

#include "../platform.h"

int32_t PlatformExchange(std::atomic<int32_t>* word, int32_t value) {
  return word->exchange(value, std::memory_order_acq_rel);
}

void PlatformYield() { sched_yield(); }
