// Atomic exchange and yield for the adapter's claim words and spin locks.
#include <windows.h>

#include "../platform.h"

int32_t PlatformExchange(std::atomic<int32_t>* word, int32_t value) {
  // std::atomic<int32_t> is a plain aligned 32-bit word here, which is what
  // the interlocked call works on.
  static_assert(sizeof(std::atomic<int32_t>) == sizeof(LONG), "atomic word layout");
  return int32_t(InterlockedExchange(reinterpret_cast<volatile LONG*>(word), LONG(value)));
}

// A zero-length sleep hands the rest of the time slice to any ready thread.
void PlatformYield() { Sleep(0); }
