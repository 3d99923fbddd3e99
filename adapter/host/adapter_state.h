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

// The request word of the running analysis (AdapterState::Requests): four
// flags and, above them, the number of calls other threads are making into
// the running engine at the moment.
enum : int32_t {
  ThinkingBit = 1,       // Eng9 runs
  StopBit = 2,           // a stop was asked for (Eng3)
  PonderOffBit = 4,      // pondering was ended (Eng10); ponder allowed while clear
  EngineStartedBit = 8,  // the engine has begun to analyse: it reported for the first time
  RequestFlagMask = 15,
  EngineCallerUnit = 16,
};

// The connection gate (AdapterState::Gate): open from the end of a
// successful Eng1 until Eng2 begins, plus the number of calls inside.
enum : int32_t {
  GateOpenBit = 1 << 30,
  GateUserMask = GateOpenBit - 1,
};

struct AdapterState {
  std::atomic<int32_t> Initialised;
  // Changed only by atomic read-modify-write operations, so a request and
  // the engine's start are always ordered one way or the other (see
  // analysis_requests.cpp).
  std::atomic<int32_t> Requests;
  std::atomic<int32_t> Gate;
  // 1 while Eng9 or Eng15 is using the engine's tables (a short spin lock
  // for Eng15, held by Eng9 for the whole analysis).
  std::atomic<int32_t> EngineInUse;
  // A hash clear asked for while an analysis ran; made before the next.
  std::atomic<int32_t> HashClearPending;
  // 1 while Eng14 or Eng9 works on the parameter table's flags.
  std::atomic<int32_t> ParamsLock;
  // Eng9's thread only: the analysis began with pondering already ended.
  int32_t PonderOffAtStart;
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
  // The bound engine's answers, copied (see Eng6, Eng7).
  char AuthorCopy[IdentityTextCapacity];
  char VersionCopy[IdentityTextCapacity];
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

// Plain-word read of a cross-thread flag.
inline int32_t LoadFlag(const std::atomic<int32_t>& flag) { return flag.load(std::memory_order_relaxed); }

// Posts a record to the host with Func3, when the host offers it.
void PostToHost(int32_t message, int32_t value16, int32_t value8, void* record);

// Parameter table (engine_parameters.cpp).
void BuildHostParamTable();
void FreeHostParamTable();
void PushEngineParameters();

// 1 when a host board (64 piece bytes, a1 first) is a position the engine
// can be given with that side to move (playable_board.cpp).
int32_t BoardIsPlayable(const uint8_t* board, int32_t whiteToMove);

// Move code conversions (position_translation.cpp).
void MoveCodeToText(uint32_t code, char* text);  // text: at least 6 bytes
HostMoveCode TextToMoveCode(const char* text);

// The hand-over of requests between the host's threads and the running
// analysis (analysis_requests.cpp).
int32_t BeginThinking();  // Eng9: 0 when an analysis already runs
void EndThinking();       // waits for the calls other threads make into the engine
void RequestStop();       // what Eng3 does
int32_t NoteReport();     // each report's entry on the engine's thread: 1 while a stop is pending
// Whether this thread is inside Eng9 (Eng2 from a report must not wait for itself).
int32_t ThinkingOnThisThread();

// Use of the engine's tables between Eng9 and Eng15 (connection.cpp).
void AcquireEngineUse();        // waits for Eng15's short hold to end
int32_t TryAcquireEngineUse();  // 0 when an analysis holds it
void ReleaseEngineUse();
void ApplyPendingHashClear();   // with the engine in use

// The connection gate (connection.cpp): 1 when the connection is open, and
// the caller must then LeaveConnection.
int32_t EnterConnection();
void LeaveConnection();

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
