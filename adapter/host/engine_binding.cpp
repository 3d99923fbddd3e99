// Binding the engine library: loaded from beside the adapter, its entry
// points looked up by name.
#include "engine_binding.h"

#include <cstring>

#include "../platform/platform.h"
#include "adapter_state.h"

namespace {

struct EntryName {
  const char* Operation;
  int32_t Required;
};

// Lookup order of EngineEntryTable.
const EntryName EntryNames[19] = {
    {"Init", 1},         {"Quit", 1},          {"StopAnalyse", 1},  {"Analyse", 1},
    {"PonderingOff", 1}, {"NextBest", 0},      {"ClearHashtable", 0}, {"SetTime", 1},
    {"SetInfinite", 1},  {"SetDepth", 1},      {"SetBlitz", 1},     {"SetPosition", 1},
    {"SetStartPosition", 1}, {"EnterMove", 1}, {"GetVersion", 1},   {"GetAuthor", 1},
    {"GetElo", 0},       {"SetParam", 0},      {"GetParamList", 0},
};

void** EntrySlot(EngineEntryTable* engine, int32_t i) {
  void** slots[19] = {
      reinterpret_cast<void**>(&engine->Init),           reinterpret_cast<void**>(&engine->Quit),
      reinterpret_cast<void**>(&engine->StopAnalyse),    reinterpret_cast<void**>(&engine->Analyse),
      reinterpret_cast<void**>(&engine->PonderingOff),   reinterpret_cast<void**>(&engine->NextBest),
      reinterpret_cast<void**>(&engine->ClearHashtable), reinterpret_cast<void**>(&engine->SetTime),
      reinterpret_cast<void**>(&engine->SetInfinite),    reinterpret_cast<void**>(&engine->SetDepth),
      reinterpret_cast<void**>(&engine->SetBlitz),       reinterpret_cast<void**>(&engine->SetPosition),
      reinterpret_cast<void**>(&engine->SetStartPosition), reinterpret_cast<void**>(&engine->EnterMove),
      reinterpret_cast<void**>(&engine->GetVersion),     reinterpret_cast<void**>(&engine->GetAuthor),
      reinterpret_cast<void**>(&engine->GetElo),         reinterpret_cast<void**>(&engine->SetParam),
      reinterpret_cast<void**>(&engine->GetParamList),
  };
  return slots[i];
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
  for (int32_t i = 0; i < 19; ++i) {
    void* entry = FindEngineEntry(engine->Module, EntryNames[i].Operation);
    *EntrySlot(engine, i) = entry;
    if (entry == nullptr && EntryNames[i].Required) {
      UnbindEngine(engine);
      return 0;
    }
  }
  return 1;
}

void UnbindEngine(EngineEntryTable* engine) {
  PlatformFreeLibrary(engine->Module);
  engine->Module = nullptr;
  for (int32_t i = 0; i < 19; ++i) *EntrySlot(engine, i) = nullptr;
}
