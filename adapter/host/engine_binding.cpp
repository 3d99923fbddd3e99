// Binding the engine library: loaded from beside the adapter, its entry
// points looked up by name.
#include "engine_binding.h"

#include <cstddef>
#include <cstring>

#include "../platform/platform.h"
#include "adapter_state.h"

namespace {

// One entry point: its name after "Obrantule", whether the engine must have
// it, and where EngineEntryTable keeps it.
struct EntryPoint {
  const char* Operation;
  int32_t Required;
  size_t Slot;
};

#define ENTRY(field, required) {#field, required, offsetof(EngineEntryTable, field)}
const EntryPoint EntryPoints[] = {
    ENTRY(Init, 1),         ENTRY(Quit, 1),        ENTRY(StopAnalyse, 1),      ENTRY(Analyse, 1),
    ENTRY(PonderingOff, 1), ENTRY(NextBest, 0),    ENTRY(ClearHashtable, 0),   ENTRY(SetTime, 1),
    ENTRY(SetInfinite, 1),  ENTRY(SetDepth, 1),    ENTRY(SetBlitz, 1),         ENTRY(SetPosition, 1),
    ENTRY(SetStartPosition, 1), ENTRY(EnterMove, 1), ENTRY(GetVersion, 1),     ENTRY(GetAuthor, 1),
    ENTRY(GetElo, 0),       ENTRY(SetParam, 0),    ENTRY(GetParamList, 0),
};
#undef ENTRY

// A slot added to EngineEntryTable needs its line here.
static_assert(sizeof(EngineEntryTable) == (1 + sizeof EntryPoints / sizeof EntryPoints[0]) * sizeof(void*),
              "one line for every entry point of EngineEntryTable");
static_assert(sizeof(void*) == sizeof(EngineInitFunction), "entry points are stored as plain addresses");

// Every slot holds a function pointer the size of an address; the bytes are
// copied, so no slot is written through a pointer of another type.
void SetEntry(EngineEntryTable* engine, const EntryPoint& entry, void* address) {
  memcpy(reinterpret_cast<char*>(engine) + entry.Slot, &address, sizeof address);
}

}  // namespace

void* FindEngineEntry(void* module, const char* operation) {
  char name[64];
  strcpy(name, "Obrantule");
  strncat(name, operation, sizeof(name) - strlen(name) - 1);
  return PlatformFindSymbol(module, name);
}

int32_t BindEngine(EngineEntryTable* engine, const char* modulePath) {
  char path[ModulePathCapacity];
  size_t length = strlen(modulePath);
  if (length >= sizeof(path)) return 0;
  memcpy(path, modulePath, length + 1);
  // The engine sits beside the adapter: ".../Obrantule.eng" -> ".../Obrantule.dll".
  if (length > 2) memcpy(path + length - 3, "dll", 3);
  engine->Module = PlatformLoadLibrary(path);
  if (engine->Module == nullptr) return 0;
  for (const EntryPoint& entry : EntryPoints) {
    void* address = FindEngineEntry(engine->Module, entry.Operation);
    SetEntry(engine, entry, address);
    if (address == nullptr && entry.Required) {
      UnbindEngine(engine);
      return 0;
    }
  }
  return 1;
}

void UnbindEngine(EngineEntryTable* engine) {
  PlatformFreeLibrary(engine->Module);
  engine->Module = nullptr;
  for (const EntryPoint& entry : EntryPoints) SetEntry(engine, entry, nullptr);
}
