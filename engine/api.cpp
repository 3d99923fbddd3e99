// The exported functions of the engine library.
#include "api.h"

#include <cstring>

#include "board.h"
#include "gamemove.h"
#include "hashtable.h"
#include "movelist.h"
#include "playable.h"
#include "root.h"
#include "searchstate.h"
#include "tables.h"

EngineCallbacks Callbacks;
uint32_t MoveTimeBudget;
int32_t HardTimeLimit;
int32_t FixedDepth;
std::atomic<int32_t> StopFlag{0};
std::atomic<int32_t> PonderOffFlag{0};
int32_t AnalyseMode;
int32_t TablebasePieceLimit;
int32_t TableSizeClass;
int32_t EngineReady;

namespace {

// One descriptor stands behind the list, but the count offers none of it.
ParamItem ParamItems[1] = {{24, 0, 0, -200, 200, "Contempt"}};

}  // namespace

ParamList EngineParamList = {12, 0, ParamItems};

void CallShowText(const char* text) {
  if (Callbacks.ShowText != nullptr) Callbacks.ShowText(text);
}
void CallShowNodes(int32_t nodes, int32_t second) {
  if (Callbacks.ShowNodes != nullptr) Callbacks.ShowNodes(nodes, second);
}
void CallShowDepth(int32_t depth, int32_t second) {
  if (Callbacks.ShowDepth != nullptr) Callbacks.ShowDepth(depth, second);
}
void CallShowMove(const char* move, int32_t place, int32_t count) {
  if (Callbacks.ShowMove != nullptr) Callbacks.ShowMove(move, place, count);
}
void CallShowMainline(const char* line, int32_t score) {
  if (Callbacks.ShowMainline != nullptr) Callbacks.ShowMainline(line, score);
}

OBRANTULE_EXPORT int32_t OBRANTULE_CALL ObrantuleInit(int32_t hashSizeMB, const EngineCallbacks* callbacks,
                                                      const char* /*directory*/, int32_t tablebasePieceLimit) {
  if (callbacks != nullptr) Callbacks = *callbacks;
  else std::memset(&Callbacks, 0, sizeof Callbacks);
  FixedDepth = 0;
  BothSidesHavePieces = 1;
  EngineReady = 0;
  const int32_t sizeClass = AllocateTables(hashSizeMB);
  if (sizeClass >= 0) {
    BuildTables();
    TablebasePieceLimit = tablebasePieceLimit;
    for (int32_t s = 21; s <= 98; ++s) MoveCount[s] = 0;
    SideToMove = White;
    EpSquare[0] = 0;
    MoveListTop = 0;
    Ply = 0;
    ResetRootState();
    TableSizeClass = sizeClass;
    EngineReady = 1;
  }
  FixedDepth = 0;
  CallShowText("");
  return sizeClass < 0 ? -1 : sizeClass * 1024;
}

OBRANTULE_EXPORT int32_t OBRANTULE_CALL ObrantuleQuit() {
  EngineReady = 0;
  FreeTables();
  return 0;
}

OBRANTULE_EXPORT int32_t OBRANTULE_CALL ObrantuleSetPosition(const char* text) {
  if (text == nullptr) text = "";  // no text: an empty board, which is no playable position
  CallShowText(text);
  return SetUpFromText(text);
}

OBRANTULE_EXPORT void OBRANTULE_CALL ObrantuleSetStartPosition() {
  CallShowText("New Board");
  SetUpStart();
}

OBRANTULE_EXPORT int32_t OBRANTULE_CALL ObrantuleEnterMove(char* text) {
  // A move that matches nothing is refused inside; the export answers 0.
  if (EngineReady) EnterGameMove(text);
  return 0;
}

OBRANTULE_EXPORT void OBRANTULE_CALL ObrantuleSetTime(int32_t moves, int32_t seconds) {
  FixedDepth = 0;
  if (moves < 0) moves = 0;  // moves + 2 is a divisor
  // 64 bits, so that no count of seconds or moves can overflow.
  int64_t secs = seconds;
  if (moves > 20 && secs > 60) secs = int64_t(double(secs) * 1.5);
  MoveTimeBudget = uint32_t(secs / (int64_t(moves) + 2));
  HardTimeLimit = int32_t(secs / 2);
  if (secs < 15) MoveTimeBudget = 1;
  if (secs < 6) MoveTimeBudget = 0;
}

OBRANTULE_EXPORT void OBRANTULE_CALL ObrantuleSetInfinite() {
  FixedDepth = 0;
  MoveTimeBudget = 200000;
  HardTimeLimit = 200000;
}

OBRANTULE_EXPORT void OBRANTULE_CALL ObrantuleSetDepth(int32_t depth) {
  FixedDepth = depth;
  MoveTimeBudget = 200000;
  HardTimeLimit = 200000;
}

OBRANTULE_EXPORT void OBRANTULE_CALL ObrantuleSetBlitz(int32_t seconds, int32_t increment) {
  FixedDepth = 0;
  // 64 bits, so that no count of seconds can overflow.
  if (increment >= 2) {
    MoveTimeBudget = uint32_t(int64_t(seconds) / 25 + increment);
  } else {
    MoveTimeBudget = uint32_t(int64_t(seconds) / 40 + increment);
    if (seconds < 15) MoveTimeBudget = 1;
    if (seconds < 6) MoveTimeBudget = 0;
  }
  HardTimeLimit = int32_t((int64_t(seconds) + increment) / 2);
}

OBRANTULE_EXPORT int32_t OBRANTULE_CALL ObrantuleAnalyse(int32_t mode) {
  StopFlag.store(0, std::memory_order_relaxed);
  PonderOffFlag.store(0, std::memory_order_relaxed);
  AnalyseMode = mode;
  // Nothing to search: no report at all, as the host expects when there is no move.
  if (!EngineReady || PositionUnusable) return 0;
  CallShowDepth(1, 0);
  RunRoot(mode);
  return 0;
}

OBRANTULE_EXPORT void OBRANTULE_CALL ObrantuleStopAnalyse() { StopFlag.store(1, std::memory_order_relaxed); }

OBRANTULE_EXPORT void OBRANTULE_CALL ObrantulePonderingOff() { PonderOffFlag.store(1, std::memory_order_relaxed); }

OBRANTULE_EXPORT void OBRANTULE_CALL ObrantuleNextBest() {}

OBRANTULE_EXPORT int32_t OBRANTULE_CALL ObrantuleClearHashtable() {
  ClearTables(-100);
  return 0;
}

OBRANTULE_EXPORT const char* OBRANTULE_CALL ObrantuleGetVersion() { return "Obrantule3.06N"; }

OBRANTULE_EXPORT const char* OBRANTULE_CALL ObrantuleGetAuthor() { return "Orvel Tamstra"; }

OBRANTULE_EXPORT ParamList* OBRANTULE_CALL ObrantuleGetParamList() { return &EngineParamList; }

OBRANTULE_EXPORT void OBRANTULE_CALL ObrantuleSetParam(int32_t index, int32_t value) {
  if (index >= 0 && index < EngineParamList.Count) EngineParamList.Items[index].Value = value;
}
