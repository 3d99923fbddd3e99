#include "module_path.h"

#include <cstring>

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

static int CopyDirectoryOf(const char* path, char* text, size_t capacity) {
  const char* last = nullptr;
  for (const char* p = path; *p; ++p)
    if (*p == '/' || *p == '\\') last = p;
  size_t length = last ? static_cast<size_t>(last - path) + 1 : 0;
  if (length == 0 || length >= capacity) return 0;
  std::memcpy(text, path, length);
  text[length] = 0;
  return 1;
}

int ModuleDirectory(char* text, size_t capacity) {
  if (capacity == 0) return 0;
  text[0] = 0;
#if defined(_WIN32)
  HMODULE module = nullptr;
  if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                          reinterpret_cast<LPCSTR>(&ModuleDirectory), &module))
    return 0;
  char path[1024];
  DWORD length = GetModuleFileNameA(module, path, sizeof path);
  if (length == 0 || length >= sizeof path) return 0;
  return CopyDirectoryOf(path, text, capacity);
#else
  Dl_info info;
  if (dladdr(reinterpret_cast<void*>(&ModuleDirectory), &info) == 0 || !info.dli_fname) return 0;
  return CopyDirectoryOf(info.dli_fname, text, capacity);
#endif
}
