// Dynamic loading, the module's own path and its resources, through the
// Windows loader.
#include <windows.h>

#include <cstring>

#include "../platform.h"

const char PlatformSeparator = '\\';
// Windows file names ignore case, so module paths are compared lower-cased.
const int32_t PlatformFoldsPathCase = 1;

void* PlatformLoadLibrary(const char* path) { return reinterpret_cast<void*>(LoadLibraryA(path)); }

void* PlatformFindSymbol(void* module, const char* name) {
  if (module == nullptr) return nullptr;
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module), name));
}

void PlatformFreeLibrary(void* module) {
  if (module != nullptr) FreeLibrary(static_cast<HMODULE>(module));
}

// The module that holds this code; its reference count is left alone.
HMODULE PlatformOwnModule() {
  HMODULE module = nullptr;
  if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                          reinterpret_cast<LPCSTR>(&PlatformOwnModule), &module))
    return nullptr;
  return module;
}

int32_t PlatformModulePath(char* buffer, int32_t capacity) {
  if (capacity <= 0) return 0;
  buffer[0] = '\0';
  HMODULE module = PlatformOwnModule();
  if (module == nullptr) return 0;
  DWORD length = GetModuleFileNameA(module, buffer, DWORD(capacity));
  // A full buffer means the path was cut: an unusable path is no path.
  if (length == 0 || length >= DWORD(capacity)) {
    buffer[0] = '\0';
    return 0;
  }
  return int32_t(length);
}

void* PlatformLoadBitmap(const char* moduleName, int32_t resource) {
  HMODULE module = GetModuleHandleA(moduleName);
  if (module == nullptr) return nullptr;
  return reinterpret_cast<void*>(LoadBitmapA(module, MAKEINTRESOURCEA(resource)));
}
