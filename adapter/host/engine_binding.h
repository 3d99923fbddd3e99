// The engine library as the adapter sees it: its records, its entry points
// bound by name at run time, and the callback table handed to its Init.
#pragma once

#include <cstddef>
#include <cstdint>

#include "host_records.h"

// Callbacks the engine reports through. Every integer crosses as a 32-bit
// word; the 16-bit values are the low halves. Their results are ignored.
typedef int32_t(HOSTCALL* ShowNodesFunction)(int32_t nodes, int32_t value2);
typedef int32_t(HOSTCALL* ShowDepthFunction)(int32_t depth, int32_t value2);
typedef int32_t(HOSTCALL* ShowMoveFunction)(const char* move, int32_t value2, int32_t value3);
typedef int32_t(HOSTCALL* ShowMainlineFunction)(const char* line, int32_t score);
typedef int32_t(HOSTCALL* ShowTextFunction)(const char* text);
typedef int32_t(HOSTCALL* TBProbeListFunction)(const int32_t* counts, const int32_t* whiteList,
                                               const int32_t* blackList, int32_t side,
                                               int32_t epSquare, int32_t* out);

// Size word, then the six callbacks in this order. The size word is the
// record's real size: 28 on a 32-bit target.
struct EngineCallbacks {
  int32_t Size;
  ShowNodesFunction ShowNodes;
  ShowDepthFunction ShowDepth;
  ShowMoveFunction ShowMove;
  ShowMainlineFunction ShowMainline;
  ShowTextFunction ShowText;
  TBProbeListFunction TBProbeList;
};

struct ParamItem {
  int32_t Size;
  int32_t Type;
  int32_t Value;
  int32_t Minimum;
  int32_t Maximum;
  const char* Name;
};

struct ParamList {
  int32_t Size;
  int32_t Count;
  ParamItem* Items;
};

#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(EngineCallbacks) == 28, "EngineCallbacks layout");
static_assert(offsetof(EngineCallbacks, ShowNodes) == 4, "EngineCallbacks layout");
static_assert(offsetof(EngineCallbacks, ShowDepth) == 8, "EngineCallbacks layout");
static_assert(offsetof(EngineCallbacks, ShowMove) == 12, "EngineCallbacks layout");
static_assert(offsetof(EngineCallbacks, ShowMainline) == 16, "EngineCallbacks layout");
static_assert(offsetof(EngineCallbacks, ShowText) == 20, "EngineCallbacks layout");
static_assert(offsetof(EngineCallbacks, TBProbeList) == 24, "EngineCallbacks layout");
static_assert(sizeof(ParamItem) == 24, "ParamItem layout");
static_assert(offsetof(ParamItem, Type) == 4, "ParamItem layout");
static_assert(offsetof(ParamItem, Value) == 8, "ParamItem layout");
static_assert(offsetof(ParamItem, Minimum) == 12, "ParamItem layout");
static_assert(offsetof(ParamItem, Maximum) == 16, "ParamItem layout");
static_assert(offsetof(ParamItem, Name) == 20, "ParamItem layout");
static_assert(sizeof(ParamList) == 12, "ParamList layout");
static_assert(offsetof(ParamList, Count) == 4, "ParamList layout");
static_assert(offsetof(ParamList, Items) == 8, "ParamList layout");
#endif

typedef int32_t(HOSTCALL* EngineInitFunction)(int32_t hashMB, EngineCallbacks* callbacks,
                                              const char* directory, int32_t tablebaseLimit);
typedef int32_t(HOSTCALL* EngineIntFunction)();
typedef void(HOSTCALL* EngineVoidFunction)();
typedef int32_t(HOSTCALL* EngineAnalyseFunction)(int32_t mode);
typedef void(HOSTCALL* EngineSetTimeFunction)(int32_t moves, int32_t seconds);
typedef void(HOSTCALL* EngineSetDepthFunction)(int32_t depth);
typedef void(HOSTCALL* EngineSetBlitzFunction)(int32_t seconds, int32_t increment);
typedef int32_t(HOSTCALL* EngineTextFunction)(const char* text);
typedef const char*(HOSTCALL* EngineGetTextFunction)();
typedef void(HOSTCALL* EngineSetParamFunction)(int32_t index, int32_t value);
typedef ParamList*(HOSTCALL* EngineGetParamListFunction)();

// The bound library: its handle and the 19 entry points, in lookup order.
struct EngineEntryTable {
  void* Module;
  EngineInitFunction Init;
  EngineIntFunction Quit;
  EngineVoidFunction StopAnalyse;
  EngineAnalyseFunction Analyse;
  EngineVoidFunction PonderingOff;
  EngineVoidFunction NextBest;
  EngineIntFunction ClearHashtable;
  EngineSetTimeFunction SetTime;
  EngineVoidFunction SetInfinite;
  EngineSetDepthFunction SetDepth;
  EngineSetBlitzFunction SetBlitz;
  EngineTextFunction SetPosition;
  EngineVoidFunction SetStartPosition;
  EngineTextFunction EnterMove;
  EngineGetTextFunction GetVersion;
  EngineGetTextFunction GetAuthor;
  EngineIntFunction GetElo;
  EngineSetParamFunction SetParam;
  EngineGetParamListFunction GetParamList;
};

// Loads the engine library beside this module and binds its entry points;
// 1 on success, 0 when the library or a required entry point is missing
// (the table is then left unbound).
int32_t BindEngine(EngineEntryTable* engine, const char* modulePath);
void UnbindEngine(EngineEntryTable* engine);
