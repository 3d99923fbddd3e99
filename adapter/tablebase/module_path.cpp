#include "module_path.h"

#include <cstring>

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#include <unistd.h>
#endif

namespace {

enum { PathCapacity = 4096 };

// Taken once, while the module is loaded; read-only afterwards.
char LoadedPath[PathCapacity];
bool PathTaken = false;

void RememberPath() {
  if (PathTaken) return;
  PathTaken = true;
#if defined(_WIN32)
  HMODULE module = nullptr;
  if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                          reinterpret_cast<LPCSTR>(&RememberPath), &module))
    return;
  // Windows names the module by its full path.
  DWORD length = GetModuleFileNameA(module, LoadedPath, PathCapacity);
  if (length == 0 || length >= PathCapacity) LoadedPath[0] = 0;
#else
  Dl_info info;
  if (dladdr(reinterpret_cast<void*>(&RememberPath), &info) == 0 || !info.dli_fname) return;
  const char* name = info.dli_fname;
  char path[PathCapacity] = "";
  if (name[0] != '/') {
    // The loader keeps the name it was given; it is relative to the
    // directory that is current now.
    if (!getcwd(path, sizeof path)) return;
    while (name[0] == '.' && name[1] == '/') name += 2;
    if (std::strlen(path) + 1 >= sizeof path) return;
    std::strcat(path, "/");
  }
  if (std::strlen(path) + std::strlen(name) >= sizeof path) return;
  std::strcat(path, name);
  std::memcpy(LoadedPath, path, sizeof path);
#endif
}

// Runs when the module is loaded, before the host can change directory.
__attribute__((constructor)) void RememberPathAtLoad() { RememberPath(); }

}  // namespace

int ModulePath(char* text, size_t capacity) {
  if (capacity == 0) return 0;
  text[0] = 0;
  RememberPath();
  size_t length = std::strlen(LoadedPath);
  if (length == 0 || length >= capacity) return 0;
  std::memcpy(text, LoadedPath, length + 1);
  return 1;
}

int ModuleDirectory(char* text, size_t capacity) {
  char path[PathCapacity];
  if (capacity == 0) return 0;
  text[0] = 0;
  if (!ModulePath(path, sizeof path)) return 0;
  const char* last = nullptr;
  for (const char* p = path; *p; ++p)
    if (*p == '/' || *p == '\\') last = p;
  size_t length = last ? static_cast<size_t>(last - path) + 1 : 0;
  if (length == 0 || length >= capacity) return 0;
  std::memcpy(text, path, length);
  text[length] = 0;
  return 1;
}
