// The host's requests to a running analysis (stop, ponder off, next best)
// and their hand-over to the engine.
//
// The engine clears its own stop and ponder flags when its analysis begins
// and reports at once after that. A request that reaches the engine before
// that moment would be wiped out, so requests are first recorded in the one
// word Adapter.Requests, and every change of that word is an atomic
// read-modify-write: either a request is recorded before the engine's first
// report, which then passes it on from the engine's own thread, or after it,
// and the requesting thread passes it on itself. A thread that calls into
// the engine is counted in the same word, and Eng9 does not return (nor can
// Eng2 unload the engine) until every such call has left.
#include "../platform/platform.h"
#include "adapter_state.h"

namespace {

const int32_t RunningBits = ThinkingBit | EngineStartedBit;

thread_local int32_t InsideEng9 = 0;

// Records a request flag (none for 0); answers 1 when the analysis is
// running and the caller must pass the request on itself, then call
// EngineCallDone. A ponder-off counts only once, and only while thinking.
int32_t RecordRequest(int32_t flag) {
  int32_t state = Adapter.Requests.load(std::memory_order_relaxed);
  int32_t next;
  int32_t passOn;
  do {
    if (flag == PonderOffBit && ((state & ThinkingBit) == 0 || (state & PonderOffBit) != 0)) return 0;
    passOn = (state & RunningBits) == RunningBits ? 1 : 0;
    next = (state | flag) + (passOn ? EngineCallerUnit : 0);
  } while (!Adapter.Requests.compare_exchange_weak(state, next, std::memory_order_acq_rel,
                                                   std::memory_order_relaxed));
  return passOn;
}

void EngineCallDone() { Adapter.Requests.fetch_sub(EngineCallerUnit, std::memory_order_acq_rel); }

}  // namespace

int32_t BeginThinking() {
  int32_t state = Adapter.Requests.load(std::memory_order_relaxed);
  do {
    if ((state & ThinkingBit) != 0) return 0;
    // Requests of an earlier analysis do not carry over; callers of one are
    // all gone when it ends.
  } while (!Adapter.Requests.compare_exchange_weak(state, ThinkingBit, std::memory_order_acq_rel,
                                                   std::memory_order_relaxed));
  InsideEng9 = 1;
  return 1;
}

void EndThinking() {
  // No other thread starts a call into the engine from here on; those that
  // did are waited for.
  Adapter.Requests.fetch_and(~EngineStartedBit, std::memory_order_acq_rel);
  while ((Adapter.Requests.load(std::memory_order_acquire) & ~RequestFlagMask) != 0) PlatformYield();
  Adapter.Requests.fetch_and(~RequestFlagMask, std::memory_order_acq_rel);
  InsideEng9 = 0;
}

int32_t ThinkingOnThisThread() { return InsideEng9; }

void RequestStop() {
  if (!RecordRequest(StopBit)) return;
  EngineVoidFunction stop = Adapter.Engine.StopAnalyse;
  if (stop != nullptr) stop();
  EngineCallDone();
}

int32_t NoteReport() {
  int32_t state = Adapter.Requests.load(std::memory_order_relaxed);
  if ((state & EngineStartedBit) == 0) {
    // The first report: the engine has cleared its flags, so what came
    // before is passed on now. A ponder-off that already made the analysis
    // start without pondering is not passed on again.
    state = Adapter.Requests.fetch_or(EngineStartedBit, std::memory_order_acq_rel);
    if ((state & PonderOffBit) != 0 && Adapter.PonderOffAtStart == 0 && Adapter.Engine.PonderingOff != nullptr)
      Adapter.Engine.PonderingOff();
  }
  if ((state & StopBit) == 0) return 0;
  // A stop is repeated at every report until the engine has ended.
  EngineVoidFunction stop = Adapter.Engine.StopAnalyse;
  if (stop != nullptr) stop();
  return 1;
}

extern "C" {

void HOSTCALL Eng3() { RequestStop(); }

int32_t HOSTCALL Eng4() { return (Adapter.Requests.load(std::memory_order_relaxed) & ThinkingBit) != 0 ? 1 : 0; }

void HOSTCALL Eng10() {
  if (!RecordRequest(PonderOffBit)) return;
  EngineVoidFunction ponderingOff = Adapter.Engine.PonderingOff;
  if (ponderingOff != nullptr) ponderingOff();
  EngineCallDone();
}

void HOSTCALL Eng11() {
  if (!RecordRequest(0)) return;
  EngineVoidFunction nextBest = Adapter.Engine.NextBest;
  if (nextBest != nullptr) nextBest();
  EngineCallDone();
}

}  // extern "C"
