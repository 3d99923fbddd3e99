// libFuzzer target for the settings file: the input is the whole of
// "ChssBase.ini". The prober's reader takes its keys (also into buffers of
// exactly the capacity it is given), then the tablebase set-up runs on it
// and is shut down again. "@TABLES@" in the input stands for fuzz-tables
// beside the program (kqk plain, krk compressed), so that seeds find tables.
//
// Allocations above 1 GB fail here (as on a machine without the memory), so a
// huge CacheSizeKB meets the set-up's own handling of a failed allocation.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "fuzz_tables.h"
#include "tablebase_registry.h"
#include "tablebase_settings.h"

extern "C" const char* __asan_default_options() { return "allocator_may_return_null=1:max_allocation_size_mb=1024"; }

namespace {

std::string SettingsPath;

void ReadKey(const char* key, size_t capacity) {
  std::unique_ptr<char[]> text(new char[capacity]);
  ReadIniValue(SettingsPath.c_str(), "Tablebase", key, text.get(), capacity);
  (void)strlen(text.get());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  SettingsPath = FuzzTableDirectory() + "/settings-" + std::to_string(getpid()) + ".ini";
  setenv("OBRANTULE_SETTINGS", SettingsPath.c_str(), 1);
  atexit([] { unlink(SettingsPath.c_str()); });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  const std::string token = "@TABLES@";
  for (size_t at = text.find(token); at != std::string::npos; at = text.find(token, at))
    text.replace(at, token.size(), FuzzTableDirectory());
  FILE* file = fopen(SettingsPath.c_str(), "wb");
  if (file == nullptr) abort();
  fwrite(text.data(), 1, text.size(), file);
  fclose(file);
  for (const char* key : {"Path", "CacheSizeKB", "path"})
    for (size_t capacity : {size_t(1), size_t(2), size_t(16), size_t(SettingTextLength + 1)}) ReadKey(key, capacity);
  TablebaseInit("");
  TablebaseShutdown();
  return 0;
}
