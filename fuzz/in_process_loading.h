// Dynamic loading for the fuzz programs, which link the plug-in and the
// engine in: force-included (-include) into a source that calls dlopen and
// dlsym, it sends those calls to an in-process table of entry points.
#pragma once

#include <dlfcn.h>

// Any path ending in "Obrantule.eng" opens the linked-in plug-in; dlsym then
// finds its host entry points and TBProbeBoard by name.
extern "C" void* InProcessOpen(const char* path, int mode);
extern "C" void* InProcessSymbol(void* module, const char* name);
extern "C" int InProcessClose(void* module);

#define dlopen InProcessOpen
#define dlsym InProcessSymbol
#define dlclose InProcessClose
