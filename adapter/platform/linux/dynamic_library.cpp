// Dynamic loading and the module's own path, through the dynamic linker.
#include <dlfcn.h>

#include <cstring>

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

int32_t PlatformModulePath(char* buffer, int32_t capacity) {
  Dl_info info;
  if (capacity <= 0) return 0;
  buffer[0] = '\0';
  if (dladdr(reinterpret_cast<void*>(&PlatformModulePath), &info) == 0 || info.dli_fname == nullptr)
    return 0;
  size_t length = strlen(info.dli_fname);
  if (length > size_t(capacity - 1)) length = size_t(capacity - 1);
  memcpy(buffer, info.dli_fname, length);
  buffer[length] = '\0';
  return int32_t(length);
}

void* PlatformLoadBitmap(const char*, int32_t) {
  // Shared objects carry no bitmap resources.
  return nullptr;
}
