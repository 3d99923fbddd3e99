// The operating-system services the adapter uses, one small interface per
// service, so that each target supplies its own calls behind the same names.
#pragma once

#include <cstdint>
#include <atomic>

#include "../host/host_records.h"

// Dynamic loading: a library by path, an entry point by name.
void* PlatformLoadLibrary(const char* path);
void* PlatformFindSymbol(void* module, const char* name);
void PlatformFreeLibrary(void* module);

// The module's own path comes from ModulePath (tablebase/module_path.h).
// Path separator of this platform and whether module paths are folded to
// lower case (on file systems that ignore case).
extern const char PlatformSeparator;
extern const int32_t PlatformFoldsPathCase;

// Millisecond tick: wraps around, only differences matter.
uint32_t PlatformTickCount();

// Atomic exchange of a 32-bit word, and giving up the processor for a moment.
int32_t PlatformExchange(std::atomic<int32_t>* word, int32_t value);
void PlatformYield();

// The start-up notice shown while the tablebases are registered.
void* PlatformShowStartupNotice(const char* text);
void PlatformCloseStartupNotice(void* notice);

// A bitmap resource of the module registered under the given name; null
// when there is none.
void* PlatformLoadBitmap(const char* moduleName, int32_t resource);

// The host library's Func3 and Func13; null when the host offers none.
HostPostFunction PlatformHostPostFunction();
HostEditParamsFunction PlatformHostEditParamsFunction();
