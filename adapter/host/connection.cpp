// The host's connection: module attach, connection start and end, the gate
// that keeps the engine bound while a call uses it, identity queries.
#include <cctype>
#include <cstring>

#include "../platform/platform.h"
#include "../tablebase/module_path.h"
#include "adapter_state.h"
#include "../tablebase/tablebase_probe.h"
#include "../tablebase/tablebase_registry.h"

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
  ModulePath(Adapter.ModulePath, ModulePathCapacity);
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

// The engine's author or version: the cached text, else the bound engine's
// answer while connected, else the text read from the library on its own.
// The bound engine's answer is handed out as a copy: the host may keep the
// pointer after the engine has been unloaded.
const char* IdentityText(EngineGetTextFunction EngineEntryTable::*entry, const char* operation, char* cache,
                         char* copy, const char* fallback) {
  int32_t open = EnterConnection();
  EngineGetTextFunction bound = open ? Adapter.Engine.*entry : nullptr;
  const char* text;
  if (cache[0] != '\0') {
    text = cache;
  } else if (bound != nullptr) {
    text = bound();
    if (text != nullptr) {
      strncpy(copy, text, IdentityTextCapacity - 1);
      copy[IdentityTextCapacity - 1] = '\0';
      text = copy;
    }
  } else {
    ReadIdentityText(operation, cache);
    text = cache[0] != '\0' ? cache : fallback;
  }
  if (open) LeaveConnection();
  return text;
}

}  // namespace

void PostToHost(int32_t message, int32_t value16, int32_t value8, void* record) {
  if (Adapter.Post != nullptr) Adapter.Post(message, value16, value8, record);
}

// Calls that use the bound engine or the connection's records pass the
// gate; Eng2 closes it and waits until every call inside has left.
int32_t EnterConnection() {
  if ((Adapter.Gate.fetch_add(1, std::memory_order_acq_rel) & GateOpenBit) != 0) return 1;
  Adapter.Gate.fetch_sub(1, std::memory_order_acq_rel);
  return 0;
}

void LeaveConnection() { Adapter.Gate.fetch_sub(1, std::memory_order_acq_rel); }

void AcquireEngineUse() {
  while (!TryAcquireEngineUse()) PlatformYield();
}

int32_t TryAcquireEngineUse() {
  int32_t free = 0;
  return Adapter.EngineInUse.compare_exchange_strong(free, 1, std::memory_order_acq_rel) ? 1 : 0;
}

void ReleaseEngineUse() { Adapter.EngineInUse.store(0, std::memory_order_release); }

void ApplyPendingHashClear() {
  if (Adapter.HashClearPending.exchange(0, std::memory_order_acq_rel) != 0 &&
      Adapter.Engine.ClearHashtable != nullptr)
    Adapter.Engine.ClearHashtable();
}

extern "C" {

int32_t HOSTCALL Eng1(void* analysisRecord, int32_t hostValue2, int32_t hostValue3, void* statsRecord,
                      void* infoRecord, int32_t memoryMB, int32_t, int32_t, int32_t) {
  if (LoadFlag(Adapter.Initialised) != 0 || Eng4() != 0 || PlatformExchange(&Adapter.Initialised, 1) == 1)
    return 1;
  // The records of the last connection are cleared before it is released.
  if (Adapter.Analysis != nullptr) {
    ReleaseConnection();
    return 1;
  }
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
  Adapter.ParamsPushedAll = 1;
  Adapter.ParamsChanged = 0;
  BuildHostParamTable();
  Adapter.HashClearPending.store(0, std::memory_order_relaxed);
  Adapter.Gate.fetch_or(GateOpenBit, std::memory_order_acq_rel);
  return 0;
}

void HOSTCALL Eng2() {
  // From a report of this thread's own analysis the close would wait for
  // itself: it is refused.
  if (ThinkingOnThisThread()) return;
  // Only the call that closes an open gate ends the connection; a
  // connection still being opened is left alone.
  if ((Adapter.Gate.fetch_and(~GateOpenBit, std::memory_order_acq_rel) & GateOpenBit) == 0) return;
  // A running analysis is stopped (again and again, so that one starting
  // just now is stopped too) and every call inside is waited for.
  while ((Adapter.Gate.load(std::memory_order_acquire) & GateUserMask) != 0) {
    RequestStop();
    PlatformYield();
  }
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

int32_t HOSTCALL Eng5() { return LoadFlag(Adapter.Initialised); }

const char* HOSTCALL Eng6() {
  return IdentityText(&EngineEntryTable::GetAuthor, "GetAuthor", Adapter.AuthorCache, Adapter.AuthorCopy, FallbackAuthor);
}

const char* HOSTCALL Eng7() {
  return IdentityText(&EngineEntryTable::GetVersion, "GetVersion", Adapter.VersionCache, Adapter.VersionCopy, FallbackVersion);
}

int32_t HOSTCALL Eng8() {
  int32_t elo = 2300;
  if (EnterConnection()) {
    if (Adapter.Engine.GetElo != nullptr) elo = Adapter.Engine.GetElo();
    LeaveConnection();
  }
  return elo;
}

int32_t HOSTCALL Eng12() { return 0x04002010; }

void HOSTCALL Eng15() {
  if (EnterConnection()) {
    // Clearing the tables under a running search would race with it: the
    // clear is then left to Eng9, which makes it as the analysis ends.
    Adapter.HashClearPending.store(1, std::memory_order_release);
    if (!ThinkingOnThisThread() && TryAcquireEngineUse()) {
      ApplyPendingHashClear();
      ReleaseEngineUse();
    }
    LeaveConnection();
  }
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
