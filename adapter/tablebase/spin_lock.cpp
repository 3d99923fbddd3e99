#include "spin_lock.h"

#if defined(_WIN32)
#include <windows.h>
void SpinLockYield() { Sleep(0); }
#else
#include <sched.h>
void SpinLockYield() { sched_yield(); }
#endif
