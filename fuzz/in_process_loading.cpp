// The linked-in plug-in's entry points by name (see in_process_loading.h).
#include <cstring>

#include "../adapter/host/adapter_state.h"
#include "../adapter/tablebase/tablebase_probe.h"

namespace {

int PluginToken;

struct NamedEntry {
  const char* Name;
  void* Address;
};

const NamedEntry PluginEntries[] = {
    {"Eng1", reinterpret_cast<void*>(&Eng1)},   {"Eng2", reinterpret_cast<void*>(&Eng2)},
    {"Eng3", reinterpret_cast<void*>(&Eng3)},   {"Eng4", reinterpret_cast<void*>(&Eng4)},
    {"Eng5", reinterpret_cast<void*>(&Eng5)},   {"Eng6", reinterpret_cast<void*>(&Eng6)},
    {"Eng7", reinterpret_cast<void*>(&Eng7)},   {"Eng8", reinterpret_cast<void*>(&Eng8)},
    {"Eng9", reinterpret_cast<void*>(&Eng9)},   {"Eng10", reinterpret_cast<void*>(&Eng10)},
    {"Eng11", reinterpret_cast<void*>(&Eng11)}, {"Eng12", reinterpret_cast<void*>(&Eng12)},
    {"Eng13", reinterpret_cast<void*>(&Eng13)}, {"Eng14", reinterpret_cast<void*>(&Eng14)},
    {"Eng15", reinterpret_cast<void*>(&Eng15)}, {"Eng19", reinterpret_cast<void*>(&Eng19)},
    {"TBProbeBoard", reinterpret_cast<void*>(&TBProbeBoard)},
    {"TBProbeList", reinterpret_cast<void*>(&TBProbeList)},
};

bool EndsWith(const char* text, const char* tail) {
  size_t length = strlen(text), tailLength = strlen(tail);
  return length >= tailLength && strcmp(text + length - tailLength, tail) == 0;
}

}  // namespace

extern "C" void* InProcessOpen(const char* path, int) {
  return path != nullptr && EndsWith(path, "Obrantule.eng") ? &PluginToken : nullptr;
}

extern "C" void* InProcessSymbol(void* module, const char* name) {
  if (module != &PluginToken) return nullptr;
  for (const NamedEntry& entry : PluginEntries)
    if (strcmp(entry.Name, name) == 0) return entry.Address;
  return nullptr;
}

extern "C" int InProcessClose(void*) { return 0; }
