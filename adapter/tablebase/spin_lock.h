// Spin locks of the tablebase code: a 32-bit word, 0 free and 1 taken.
//
// Taking a lock exchanges 1 into the word until the old value was 0 and gives
// the processor away between attempts; the holders only ever do short list
// surgery or one block read, so a sleeping lock would cost more than it saves.
#pragma once

#include <atomic>
#include <cstdint>

typedef std::atomic<int32_t> SpinLockWord;

// Gives up the rest of the time slice (a zero-length sleep).
void SpinLockYield();

inline void SpinLockAcquire(SpinLockWord& word) {
  while (word.exchange(1, std::memory_order_acquire) != 0) SpinLockYield();
}

inline void SpinLockRelease(SpinLockWord& word) { word.store(0, std::memory_order_release); }
