// Dynamic loading and the module's resources, through the Windows loader.
#include <windows.h>

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

void* PlatformLoadBitmap(const char* moduleName, int32_t resource) {
  HMODULE module = GetModuleHandleA(moduleName);
  if (module == nullptr) return nullptr;
  return reinterpret_cast<void*>(LoadBitmapA(module, MAKEINTRESOURCEA(resource)));
}
