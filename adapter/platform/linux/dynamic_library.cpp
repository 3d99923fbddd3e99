// Dynamic loading through the dynamic linker.
#include <dlfcn.h>

#include "../platform.h"

const char PlatformSeparator = '/';
// Linux file names keep their case, so the module path is used as it is.
const int32_t PlatformFoldsPathCase = 0;

void* PlatformLoadLibrary(const char* path) {
  // RTLD_LOCAL keeps the engine's symbols out of the global scope, where they
  // could shadow another copy of the engine loaded by a different adapter.
  return dlopen(path, RTLD_NOW | RTLD_LOCAL);
}

void* PlatformFindSymbol(void* module, const char* name) {
  if (module == nullptr) return nullptr;
  return dlsym(module, name);
}

void PlatformFreeLibrary(void* module) {
  if (module != nullptr) dlclose(module);
}

void* PlatformLoadBitmap(const char*, int32_t) {
  // Shared objects carry no bitmap resources.
  return nullptr;
}
