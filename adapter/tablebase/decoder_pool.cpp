#include "decoder_pool.h"

#include <new>

#include "datacomp.h"
#include "spin_lock.h"

static BlockDecoder* Slots[DecoderPoolSize];  // null while lent out
static BlockDecoder* Owned[DecoderPoolSize];  // every work area, for the release
static bool PoolCreated;
static SpinLockWord PoolLock;

bool DecoderPoolCreate() {
  DecoderPoolRelease();
  for (int32_t i = 0; i < DecoderPoolSize; ++i) {
    Owned[i] = new (std::nothrow) BlockDecoder;
    if (!Owned[i]) {
      DecoderPoolRelease();
      return false;
    }
    Slots[i] = Owned[i];
  }
  PoolCreated = true;
  return true;
}

void DecoderPoolRelease() {
  for (int32_t i = 0; i < DecoderPoolSize; ++i) {
    delete Owned[i];
    Owned[i] = Slots[i] = nullptr;
  }
  PoolCreated = false;
}

void DecoderPoolUnlock() { PoolLock.store(0, std::memory_order_release); }

int32_t DecoderPoolTake(BlockDecoder** decoder) {
  if (!PoolCreated) return -1;
  for (;;) {
    SpinLockAcquire(PoolLock);
    for (int32_t i = 0; i < DecoderPoolSize; ++i)
      if (Slots[i]) {
        *decoder = Slots[i];
        Slots[i] = nullptr;
        SpinLockRelease(PoolLock);
        return i;
      }
    SpinLockRelease(PoolLock);
    SpinLockYield();
  }
}

void DecoderPoolReturn(int32_t slot) {
  SpinLockAcquire(PoolLock);
  Slots[slot] = Owned[slot];
  SpinLockRelease(PoolLock);
}
