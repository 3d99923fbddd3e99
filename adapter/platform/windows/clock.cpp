// Millisecond tick of the system.
#include <windows.h>

#include "../platform.h"

uint32_t PlatformTickCount() { return uint32_t(GetTickCount()); }
