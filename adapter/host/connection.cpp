// The host's connection: module attach, connection start and end, stop and
// ponder requests, identity queries.
#include <cctype>
#include <cstring>

#include "../platform/platform.h"
#include "adapter_state.h"
#include "tablebase_calls.h"

AdapterState Adapter;

void* FindEngineEntry(void* module, const char* operation);

namespace {

const char FallbackAuthor[] = "Orvel Tamstra";
const char FallbackVersion[] = "Obrantule";

void FoldCase(char* text) {
  for (; *text != '\0'; ++text) *text = char(tolower(static_cast<unsigned char>(*text)));
}

// Runs when the module is attached to the process: remembers where it lives.
__attribute__((constructor)) void AttachModule() {
  PlatformModulePath(Adapter.ModulePath, ModulePathCapacity);
  if (PlatformFoldsPathCase) FoldCase(Adapter.ModulePath);
  char marker[] = "/engines/";
  marker[0] = marker[8] = PlatformSeparator;
  const char* path = Adapter.ModulePath;
  const char* tail = nullptr;
  for (const char* p = strstr(path, marker); p != nullptr; p = strstr(p + 1, marker)) tail = p + 9;
  if (tail == nullptr) {
    const char* last = strrchr(path, PlatformSeparator);
    tail = last != nullptr ? last + 1 : path;
  }
  Adapter.ModuleTail = int32_t(tail - path);
  StoreFlag(Adapter.PonderAllowed, 1);
}

void ReleaseConnection() { PlatformExchange(&Adapter.Initialised, 0); }

// Asks an unbound engine library for one of its texts by loading it for the
// moment; the answer is kept in cache.
void ReadIdentityText(const char* operation, char* cache) {
  char path[ModulePathCapacity + 8];
  strcpy(path, Adapter.ModulePath);
  if (PlatformFoldsPathCase) FoldCase(path);
  // The last ".eng" names the module itself; an earlier one may belong to a
  // directory name such as ".engines".
  char* found = nullptr;
  for (char* p = strstr(path, ".eng"); p != nullptr; p = strstr(p + 1, ".eng")) found = p;
  if (found == nullptr) return;
  strcpy(found, ".dll");
  void* module = PlatformLoadLibrary(path);
  if (module == nullptr) return;
  EngineGetTextFunction get = reinterpret_cast<EngineGetTextFunction>(FindEngineEntry(module, operation));
  if (get != nullptr) {
    const char* text = get();
    if (text != nullptr) {
      strncpy(cache, text, IdentityTextCapacity - 1);
      cache[IdentityTextCapacity - 1] = '\0';
    }
  }
  PlatformFreeLibrary(module);
}

const char* IdentityText(EngineGetTextFunction bound, const char* operation, char* cache,
                         const char* fallback) {
  if (cache[0] != '\0') return cache;
  if (bound != nullptr) return bound();
  ReadIdentityText(operation, cache);
  return cache[0] != '\0' ? cache : fallback;
}

}  // namespace

void PostToHost(int32_t message, int32_t value16, int32_t value8, void* record) {
  if (Adapter.Post != nullptr) Adapter.Post(message, value16, value8, record);
}

void RequestStop() {
  StoreFlag(Adapter.StopRequested, 1);
  EngineVoidFunction stop = Adapter.Engine.StopAnalyse;
  if (stop != nullptr) stop();
}

extern "C" {

int32_t HOSTCALL Eng1(void* analysisRecord, int32_t hostValue2, int32_t hostValue3, void* statsRecord,
                      void* infoRecord, int32_t memoryMB, int32_t, int32_t, int32_t) {
  if (LoadFlag(Adapter.Initialised) != 0 || LoadFlag(Adapter.Thinking) != 0 || Adapter.Analysis != nullptr ||
      PlatformExchange(&Adapter.Initialised, 1) == 1)
    return 1;
  if (!BindEngine(&Adapter.Engine, Adapter.ModulePath)) {
    ReleaseConnection();
    return 9;
  }
  if (Adapter.Engine.Init == nullptr || Adapter.Engine.Quit == nullptr) {
    UnbindEngine(&Adapter.Engine);
    ReleaseConnection();
    return 9;
  }
  char directory[ModulePathCapacity];
  const char* tail = Adapter.ModulePath + Adapter.ModuleTail;
  const char* cut = tail[0] != '\0' ? strstr(Adapter.ModulePath, tail) : nullptr;
  size_t directoryLength = cut != nullptr ? size_t(cut - Adapter.ModulePath) : strlen(Adapter.ModulePath);
  memcpy(directory, Adapter.ModulePath, directoryLength);
  directory[directoryLength] = '\0';

  EngineCallbacks callbacks;
  callbacks.Size = int32_t(sizeof(EngineCallbacks));
  callbacks.ShowNodes = ShowNodes;
  callbacks.ShowDepth = ShowDepth;
  callbacks.ShowMove = ShowMove;
  callbacks.ShowMainline = ShowMainline;
  callbacks.ShowText = ShowText;
  callbacks.TBProbeList = TBProbeList;

  void* notice = PlatformShowStartupNotice("Initializing Tablebases...");
  int32_t pieceLimit = TablebaseInit("");
  PlatformCloseStartupNotice(notice);

  int32_t result = Adapter.Engine.Init(memoryMB, &callbacks, directory, pieceLimit);
  if (result < 0) {
    Adapter.Engine.Quit();
    UnbindEngine(&Adapter.Engine);
    // Balances the TablebaseInit above, so a later connection starts afresh.
    TablebaseShutdown();
    ReleaseConnection();
    return 2;
  }
  Adapter.Analysis = static_cast<AnalysisRecord*>(analysisRecord);
  Adapter.HostValue2 = hostValue2;
  Adapter.HostValue3 = hostValue3;
  Adapter.Stats = static_cast<StatsRecord*>(statsRecord);
  Adapter.Info = static_cast<InfoRecord*>(infoRecord);
  if (Adapter.Info != nullptr) Adapter.Info->InitResult = result;
  if (Adapter.Analysis != nullptr) Adapter.Analysis->InitResult = result;
  Adapter.Post = PlatformHostPostFunction();
  Adapter.EditParams = PlatformHostEditParamsFunction();
  StoreFlag(Adapter.Thinking, 0);
  StoreFlag(Adapter.PonderAllowed, 1);
  Adapter.ParamsPushedAll = 1;
  Adapter.ParamsChanged = 0;
  BuildHostParamTable();
  return 0;
}

void HOSTCALL Eng2() {
  if (LoadFlag(Adapter.Initialised) == 0) return;
  if (Adapter.Engine.Quit != nullptr) Adapter.Engine.Quit();
  UnbindEngine(&Adapter.Engine);
  TablebaseShutdown();
  FreeHostParamTable();
  Adapter.Analysis = nullptr;
  Adapter.HostValue2 = 0;
  Adapter.HostValue3 = 0;
  Adapter.Stats = nullptr;
  Adapter.Info = nullptr;
  ReleaseConnection();
}

void HOSTCALL Eng3() { RequestStop(); }

int32_t HOSTCALL Eng4() { return LoadFlag(Adapter.Thinking); }

int32_t HOSTCALL Eng5() { return LoadFlag(Adapter.Initialised); }

const char* HOSTCALL Eng6() {
  return IdentityText(Adapter.Engine.GetAuthor, "GetAuthor", Adapter.AuthorCache, FallbackAuthor);
}

const char* HOSTCALL Eng7() {
  return IdentityText(Adapter.Engine.GetVersion, "GetVersion", Adapter.VersionCache, FallbackVersion);
}

int32_t HOSTCALL Eng8() { return Adapter.Engine.GetElo != nullptr ? Adapter.Engine.GetElo() : 2300; }

void HOSTCALL Eng10() {
  if (LoadFlag(Adapter.Thinking) == 0) return;
  StoreFlag(Adapter.PonderAllowed, 0);
  EngineVoidFunction ponderingOff = Adapter.Engine.PonderingOff;
  if (ponderingOff != nullptr) ponderingOff();
}

void HOSTCALL Eng11() {
  if (LoadFlag(Adapter.Thinking) == 0) return;
  EngineVoidFunction nextBest = Adapter.Engine.NextBest;
  if (nextBest != nullptr) nextBest();
}

int32_t HOSTCALL Eng12() { return 0x04002010; }

void HOSTCALL Eng15() {
  if (Adapter.Engine.ClearHashtable != nullptr) Adapter.Engine.ClearHashtable();
  TablebaseCloseFiles();
}

void* HOSTCALL Eng19(int32_t kind) {
  if (kind == 1) {
    if (Adapter.Logo1 == nullptr) Adapter.Logo1 = PlatformLoadBitmap("obrantule.eng", 102);
    return Adapter.Logo1;
  }
  if (kind == 2) {
    if (Adapter.Logo2 == nullptr) Adapter.Logo2 = PlatformLoadBitmap("obrantule.eng", 103);
    return Adapter.Logo2;
  }
  return nullptr;
}

int32_t HOSTCALL ShowText(const char*) { return 0; }

}  // extern "C"
