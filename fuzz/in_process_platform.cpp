// The adapter's dynamic loading and host library for the fuzz programs: the
// engine library is linked in, so whatever path the plug-in loads it from
// gives the one engine, whose exports are handed out by name.
#include <cstring>

#include "../adapter/platform/platform.h"
#include "../engine/api.h"

const char PlatformSeparator = '/';
const int32_t PlatformFoldsPathCase = 0;

extern "C" int32_t HOSTCALL Func3(int32_t message, int32_t value16, int32_t value8, void* record);
extern "C" int32_t HOSTCALL Func13(HostParamTable* table, int32_t hostValue);

namespace {

int EngineToken;

struct NamedEntry {
  const char* Name;
  void* Address;
};

const NamedEntry EngineEntries[] = {
    {"ObrantuleInit", reinterpret_cast<void*>(&ObrantuleInit)},
    {"ObrantuleQuit", reinterpret_cast<void*>(&ObrantuleQuit)},
    {"ObrantuleSetPosition", reinterpret_cast<void*>(&ObrantuleSetPosition)},
    {"ObrantuleSetStartPosition", reinterpret_cast<void*>(&ObrantuleSetStartPosition)},
    {"ObrantuleEnterMove", reinterpret_cast<void*>(&ObrantuleEnterMove)},
    {"ObrantuleSetTime", reinterpret_cast<void*>(&ObrantuleSetTime)},
    {"ObrantuleSetInfinite", reinterpret_cast<void*>(&ObrantuleSetInfinite)},
    {"ObrantuleSetDepth", reinterpret_cast<void*>(&ObrantuleSetDepth)},
    {"ObrantuleSetBlitz", reinterpret_cast<void*>(&ObrantuleSetBlitz)},
    {"ObrantuleAnalyse", reinterpret_cast<void*>(&ObrantuleAnalyse)},
    {"ObrantuleStopAnalyse", reinterpret_cast<void*>(&ObrantuleStopAnalyse)},
    {"ObrantulePonderingOff", reinterpret_cast<void*>(&ObrantulePonderingOff)},
    {"ObrantuleNextBest", reinterpret_cast<void*>(&ObrantuleNextBest)},
    {"ObrantuleClearHashtable", reinterpret_cast<void*>(&ObrantuleClearHashtable)},
    {"ObrantuleGetVersion", reinterpret_cast<void*>(&ObrantuleGetVersion)},
    {"ObrantuleGetAuthor", reinterpret_cast<void*>(&ObrantuleGetAuthor)},
    {"ObrantuleGetParamList", reinterpret_cast<void*>(&ObrantuleGetParamList)},
    {"ObrantuleSetParam", reinterpret_cast<void*>(&ObrantuleSetParam)},
};

}  // namespace

void* PlatformLoadLibrary(const char* path) { return path != nullptr ? &EngineToken : nullptr; }

void* PlatformFindSymbol(void* module, const char* name) {
  if (module != &EngineToken) return nullptr;
  for (const NamedEntry& entry : EngineEntries)
    if (strcmp(entry.Name, name) == 0) return entry.Address;
  return nullptr;
}

void PlatformFreeLibrary(void*) {}

void* PlatformLoadBitmap(const char*, int32_t) { return nullptr; }

HostPostFunction PlatformHostPostFunction() { return Func3; }

HostEditParamsFunction PlatformHostEditParamsFunction() { return Func13; }
