// The start-up notice. Without a window system the text goes to standard
// error, which a host shows as the engine's log; standard output belongs to
// the host's protocol.
#include <cstdio>

#include "../platform.h"

void* PlatformShowStartupNotice(const char* text) {
  fprintf(stderr, "%s\n", text);
  fflush(stderr);
  return nullptr;
}

void PlatformCloseStartupNotice(void*) {}
