// The engine library's interface: the 18 exports, the callback table and the
// parameter list that cross to the adapter, time controls and run flags.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "call_convention.h"

#if defined(_WIN32)
#define OBRANTULE_EXPORT extern "C" __declspec(dllexport)
#else
#define OBRANTULE_EXPORT extern "C" __attribute__((visibility("default")))
#endif

typedef int32_t(OBRANTULE_CALL* ShowNodesFn)(int32_t nodes, int32_t second);
typedef int32_t(OBRANTULE_CALL* ShowDepthFn)(int32_t depth, int32_t second);
typedef int32_t(OBRANTULE_CALL* ShowMoveFn)(const char* move, int32_t place, int32_t count);
typedef int32_t(OBRANTULE_CALL* ShowMainlineFn)(const char* line, int32_t score);
typedef int32_t(OBRANTULE_CALL* ShowTextFn)(const char* text);
typedef int32_t(OBRANTULE_CALL* TBProbeListFn)(int32_t* counts, int32_t* whiteList, int32_t* blackList,
                                               int32_t side, int32_t epSquare, int32_t* result);

// Size word (28 on the 32-bit build) then six function slots.
struct EngineCallbacks {
  int32_t Size;
  ShowNodesFn ShowNodes;
  ShowDepthFn ShowDepth;
  ShowMoveFn ShowMove;
  ShowMainlineFn ShowMainline;
  ShowTextFn ShowText;
  TBProbeListFn TBProbeList;
};

struct ParamItem {
  int32_t Size;  // 24 on the 32-bit build
  int32_t Type;
  int32_t Value;
  int32_t Minimum;
  int32_t Maximum;
  const char* Name;
};

struct ParamList {
  int32_t Size;  // 12 on the 32-bit build
  int32_t Count;
  ParamItem* Items;
};

#if UINTPTR_MAX == 0xFFFFFFFFu
// The 32-bit layouts the adapter relies on, byte for byte.
static_assert(sizeof(EngineCallbacks) == 28, "callback table layout");
static_assert(offsetof(EngineCallbacks, ShowNodes) == 4, "callback table layout");
static_assert(offsetof(EngineCallbacks, ShowDepth) == 8, "callback table layout");
static_assert(offsetof(EngineCallbacks, ShowMove) == 12, "callback table layout");
static_assert(offsetof(EngineCallbacks, ShowMainline) == 16, "callback table layout");
static_assert(offsetof(EngineCallbacks, ShowText) == 20, "callback table layout");
static_assert(offsetof(EngineCallbacks, TBProbeList) == 24, "callback table layout");
static_assert(sizeof(ParamItem) == 24, "parameter item layout");
static_assert(offsetof(ParamItem, Type) == 4, "parameter item layout");
static_assert(offsetof(ParamItem, Value) == 8, "parameter item layout");
static_assert(offsetof(ParamItem, Minimum) == 12, "parameter item layout");
static_assert(offsetof(ParamItem, Maximum) == 16, "parameter item layout");
static_assert(offsetof(ParamItem, Name) == 20, "parameter item layout");
static_assert(sizeof(ParamList) == 12, "parameter list layout");
static_assert(offsetof(ParamList, Count) == 4, "parameter list layout");
static_assert(offsetof(ParamList, Items) == 8, "parameter list layout");
#endif

// The engine's copy of the table handed to ObrantuleInit (slots may be null
// until then; the Call helpers below skip null slots).
extern EngineCallbacks Callbacks;
void CallShowText(const char* text);
void CallShowNodes(int32_t nodes, int32_t second);
void CallShowDepth(int32_t depth, int32_t second);
void CallShowMove(const char* move, int32_t place, int32_t count);
void CallShowMainline(const char* line, int32_t score);

// Time control.
extern uint32_t MoveTimeBudget;  // seconds planned for this move
extern int32_t HardTimeLimit;    // seconds after which the search stops
extern int32_t FixedDepth;       // 0 none, else the depth to search to

// Run flags. StopFlag and PonderOffFlag are written from another thread.
extern std::atomic<int32_t> StopFlag;
extern std::atomic<int32_t> PonderOffFlag;
extern int32_t AnalyseMode;
extern int32_t TablebasePieceLimit;
extern int32_t TableSizeClass;  // size class returned by AllocateTables
// 1 between a successful ObrantuleInit and ObrantuleQuit: before and after,
// analysis and game moves are refused (the tables do not exist).
extern int32_t EngineReady;

extern ParamList EngineParamList;

OBRANTULE_EXPORT int32_t OBRANTULE_CALL ObrantuleInit(int32_t hashSizeMB, const EngineCallbacks* callbacks,
                                                      const char* directory, int32_t tablebasePieceLimit);
OBRANTULE_EXPORT int32_t OBRANTULE_CALL ObrantuleQuit();
OBRANTULE_EXPORT int32_t OBRANTULE_CALL ObrantuleSetPosition(const char* text);
OBRANTULE_EXPORT void OBRANTULE_CALL ObrantuleSetStartPosition();
OBRANTULE_EXPORT int32_t OBRANTULE_CALL ObrantuleEnterMove(char* text);
OBRANTULE_EXPORT void OBRANTULE_CALL ObrantuleSetTime(int32_t moves, int32_t seconds);
OBRANTULE_EXPORT void OBRANTULE_CALL ObrantuleSetInfinite();
OBRANTULE_EXPORT void OBRANTULE_CALL ObrantuleSetDepth(int32_t depth);
OBRANTULE_EXPORT void OBRANTULE_CALL ObrantuleSetBlitz(int32_t seconds, int32_t increment);
OBRANTULE_EXPORT int32_t OBRANTULE_CALL ObrantuleAnalyse(int32_t mode);
OBRANTULE_EXPORT void OBRANTULE_CALL ObrantuleStopAnalyse();
OBRANTULE_EXPORT void OBRANTULE_CALL ObrantulePonderingOff();
OBRANTULE_EXPORT void OBRANTULE_CALL ObrantuleNextBest();
OBRANTULE_EXPORT int32_t OBRANTULE_CALL ObrantuleClearHashtable();
OBRANTULE_EXPORT const char* OBRANTULE_CALL ObrantuleGetVersion();
OBRANTULE_EXPORT const char* OBRANTULE_CALL ObrantuleGetAuthor();
OBRANTULE_EXPORT ParamList* OBRANTULE_CALL ObrantuleGetParamList();
OBRANTULE_EXPORT void OBRANTULE_CALL ObrantuleSetParam(int32_t index, int32_t value);
