// The adapter's connection state: one instance per loaded module.
#pragma once

#include <atomic>
#include <cstdint>

#include "engine_binding.h"
#include "host_records.h"

enum : int32_t {
  ModulePathCapacity = 511,  // 510 characters and the NUL
  IdentityTextCapacity = 256,
};

struct AdapterState {
  std::atomic<int32_t> Initialised;
  std::atomic<int32_t> Thinking;
  std::atomic<int32_t> StopRequested;
  std::atomic<int32_t> PonderAllowed;
  AnalysisRecord* Analysis;
  int32_t HostValue2;
  int32_t HostValue3;
  StatsRecord* Stats;
  InfoRecord* Info;
  uint32_t StartTick;
  int32_t LastDepth;
  char ModulePath[ModulePathCapacity];
  int32_t ModuleTail;  // index into ModulePath where the tail begins
  EngineEntryTable Engine;
  char AuthorCache[IdentityTextCapacity];
  char VersionCache[IdentityTextCapacity];
  void* Logo1;
  void* Logo2;
  HostPostFunction Post;
  HostEditParamsFunction EditParams;
  // Engine parameters (see engine_parameters.cpp).
  HostParamTable* Params;
  int32_t ParamsChanged;
  int32_t ParamsPushedAll;
};

extern AdapterState Adapter;

// Plain-word accesses of the cross-thread flags.
inline int32_t LoadFlag(const std::atomic<int32_t>& flag) { return flag.load(std::memory_order_relaxed); }
inline void StoreFlag(std::atomic<int32_t>& flag, int32_t value) { flag.store(value, std::memory_order_relaxed); }

// Posts a record to the host with Func3, when the host offers it.
void PostToHost(int32_t message, int32_t value16, int32_t value8, void* record);

// Parameter table (engine_parameters.cpp).
void BuildHostParamTable();
void FreeHostParamTable();
void PushEngineParameters();

// Move code conversions (position_translation.cpp).
void MoveCodeToText(uint32_t code, char* text);  // text: at least 6 bytes
HostMoveCode TextToMoveCode(const char* text);

// What Eng3 does; the report functions repeat it (progress_forwarding.cpp).
void RequestStop();

// The exported entry points.
#if defined(_WIN32)
#define ADAPTER_EXPORT __declspec(dllexport)
#else
#define ADAPTER_EXPORT __attribute__((visibility("default")))
#endif
extern "C" {
ADAPTER_EXPORT int32_t HOSTCALL Eng1(void* analysisRecord, int32_t hostValue2,
    int32_t hostValue3, void* statsRecord, void* infoRecord, int32_t memoryMB, int32_t unused7,
    int32_t unused8, int32_t unused9);
ADAPTER_EXPORT void HOSTCALL Eng2();
ADAPTER_EXPORT void HOSTCALL Eng3();
ADAPTER_EXPORT int32_t HOSTCALL Eng4();
ADAPTER_EXPORT int32_t HOSTCALL Eng5();
ADAPTER_EXPORT const char* HOSTCALL Eng6();
ADAPTER_EXPORT const char* HOSTCALL Eng7();
ADAPTER_EXPORT int32_t HOSTCALL Eng8();
ADAPTER_EXPORT int32_t HOSTCALL Eng9(void* gameRecord);
ADAPTER_EXPORT void HOSTCALL Eng10();
ADAPTER_EXPORT void HOSTCALL Eng11();
ADAPTER_EXPORT int32_t HOSTCALL Eng12();
ADAPTER_EXPORT HostParamTable* HOSTCALL Eng13();
ADAPTER_EXPORT void HOSTCALL Eng14(int32_t hostValue);
ADAPTER_EXPORT void HOSTCALL Eng15();
ADAPTER_EXPORT void* HOSTCALL Eng19(int32_t kind);
ADAPTER_EXPORT int32_t HOSTCALL ShowNodes(int32_t nodes, int32_t value2);
ADAPTER_EXPORT int32_t HOSTCALL ShowDepth(int32_t depth, int32_t value2);
ADAPTER_EXPORT int32_t HOSTCALL ShowMove(const char* move, int32_t value2, int32_t value3);
ADAPTER_EXPORT int32_t HOSTCALL ShowMainline(const char* line, int32_t score);
ADAPTER_EXPORT int32_t HOSTCALL ShowText(const char* text);
}
