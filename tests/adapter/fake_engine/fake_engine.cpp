// A stand-in engine library for the adapter's tests: it exports the engine's
// entry points by name, records every call as a line of text, and lets the
// test script what Analyse reports through the callbacks.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>

#include "../../../adapter/host/engine_binding.h"

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

std::string Log;
int32_t InitResult = 30720;
EngineCallbacks Callbacks;
void (*AnalyseHook)(const EngineCallbacks*) = nullptr;
ParamItem Items[3] = {
    {24, 0, 10, -50, 50, "Contempt"},
    {24, 0, 3, 0, 9, "Aggression"},
    {24, 0, 0, 0, 1, "Unused"},
};
[[maybe_unused]] ParamList Params = {12, 2, Items};

std::atomic<int32_t> Stopped{0};
std::atomic<int32_t> PonderedOff{0};
std::atomic<int32_t> Searching{0};
std::atomic<int32_t> Clears{0};  // hash clears so far, readable from any thread
int32_t FixedDepth = 0;
int32_t WaitForStop = 0;

// Without a hook, and with FAKE_ENGINE_LINE set, Analyse pretends to search:
// one report per depth with that line, up to the fixed depth or 29, pausing
// between depths when analysing, and ending early on a stop.
// FAKE_ENGINE_NODE_STEP sets the nodes added per depth (default 1000); the
// count is reported as the engine does, a 32-bit value that wraps.
void PretendSearch(int32_t mode, const char* line) {
  int32_t last = mode == 0 && FixedDepth > 0 ? FixedDepth : 29;
  const char* stepText = getenv("FAKE_ENGINE_NODE_STEP");
  uint32_t step = stepText != nullptr ? uint32_t(strtoul(stepText, nullptr, 0)) : 1000u;
  std::string first(line, strcspn(line, " "));
  for (int32_t depth = 1; depth <= last; ++depth) {
    if (Stopped.load()) return;
    Callbacks.ShowDepth(depth, 0);
    Callbacks.ShowMove(first.c_str(), 1, 20);
    Callbacks.ShowNodes(int32_t(step * uint32_t(depth)), 0);
    Callbacks.ShowMainline(line, 10 + depth);
    if (mode != 0) std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

std::mutex LogLock;

// Stop requests come from another thread than the search's.
void Record(const std::string& line) {
  std::lock_guard<std::mutex> guard(LogLock);
  Log += line + "\n";
}

std::string Number(int32_t value) { return std::to_string(value); }

// Analyses as the real engine does with its flags: they were cleared and
// the first report made; then it runs until a stop, counting ponder-offs
// (each one a ponder hit), and reports how it ended. A stop that never
// comes ends it after many polls.
void SearchUntilStopped() {
  std::this_thread::yield();
  Callbacks.ShowDepth(1, 0);
  Searching.store(1);
  int32_t hits = 0;
  bool stopped = false;
  for (int32_t poll = 0; poll < 20000000; ++poll) {
    if (Stopped.load() != 0) {
      stopped = true;
      break;
    }
    if (PonderedOff.exchange(0) != 0) ++hits;
    if (poll % 1024 == 0) Callbacks.ShowNodes(poll, 0);
    std::this_thread::yield();
  }
  // A ponder-off that came just before the stop still counts.
  if (PonderedOff.exchange(0) != 0) ++hits;
  Searching.store(0);
  Record("AnalyseEnd " + Number(hits) + (stopped ? " stopped" : " unstopped"));
}

}  // namespace

// Test controls.
FAKE_EXPORT const char* FakeEngineLog() { return Log.c_str(); }
FAKE_EXPORT int32_t FakeEngineClearCount() { return Clears.load(); }
FAKE_EXPORT void FakeEngineClearLog() { Log.clear(); }
FAKE_EXPORT void FakeEngineSetInitResult(int32_t result) { InitResult = result; }
FAKE_EXPORT void FakeEngineSetAnalyseHook(void (*hook)(const EngineCallbacks*)) { AnalyseHook = hook; }
FAKE_EXPORT const EngineCallbacks* FakeEngineCallbacks() { return &Callbacks; }
FAKE_EXPORT void FakeEngineSetWaitForStop(int32_t on) { WaitForStop = on; }
FAKE_EXPORT int32_t FakeEngineSearching() { return Searching.load(); }

// The engine's entry points.
FAKE_EXPORT int32_t ObrantuleInit(int32_t hashMB, EngineCallbacks* callbacks, const char* directory,
                                  int32_t tablebaseLimit) {
  memcpy(&Callbacks, callbacks, sizeof(Callbacks));
  Record("Init " + Number(hashMB) + " " + Number(callbacks->Size) + " [" + directory + "] " +
         Number(tablebaseLimit));
  return InitResult;
}
FAKE_EXPORT int32_t ObrantuleQuit() { Record("Quit"); return 0; }
FAKE_EXPORT void ObrantuleStopAnalyse() {
  Stopped.store(1);
  Record("StopAnalyse");
}
FAKE_EXPORT int32_t ObrantuleAnalyse(int32_t mode) {
  Record("Analyse " + Number(mode));
  // A slow start leaves room for requests between the adapter's last look
  // at them and the clearing of the flags.
  if (WaitForStop != 0) std::this_thread::yield();
  Stopped.store(0);
  PonderedOff.store(0);
  const char* line = getenv("FAKE_ENGINE_LINE");
  if (WaitForStop != 0) SearchUntilStopped();
  else if (AnalyseHook != nullptr) AnalyseHook(&Callbacks);
  else if (line != nullptr) PretendSearch(mode, line);
  return 0;
}
FAKE_EXPORT void ObrantulePonderingOff() {
  PonderedOff.store(1);
  Record("PonderingOff");
}
FAKE_EXPORT void ObrantuleSetTime(int32_t moves, int32_t seconds) {
  FixedDepth = 0;
  Record("SetTime " + Number(moves) + " " + Number(seconds));
}
FAKE_EXPORT void ObrantuleSetInfinite() {
  FixedDepth = 0;
  Record("SetInfinite");
}
FAKE_EXPORT void ObrantuleSetDepth(int32_t depth) {
  FixedDepth = depth;
  Record("SetDepth " + Number(depth));
}
FAKE_EXPORT void ObrantuleSetBlitz(int32_t seconds, int32_t increment) {
  FixedDepth = 0;
  Record("SetBlitz " + Number(seconds) + " " + Number(increment));
}
FAKE_EXPORT int32_t ObrantuleSetPosition(const char* text) { Record(std::string("SetPosition ") + text); return 0; }
FAKE_EXPORT void ObrantuleSetStartPosition() { Record("SetStartPosition"); }
#ifndef FAKE_WITHOUT_ENTER_MOVE
FAKE_EXPORT int32_t ObrantuleEnterMove(const char* text) { Record(std::string("EnterMove ") + text); return 0; }
#endif
FAKE_EXPORT const char* ObrantuleGetVersion() { Record("GetVersion"); return "Fake 1.0"; }
FAKE_EXPORT const char* ObrantuleGetAuthor() { Record("GetAuthor"); return "Fake Author"; }

#ifndef FAKE_REQUIRED_ONLY
FAKE_EXPORT void ObrantuleNextBest() { Record("NextBest"); }
FAKE_EXPORT int32_t ObrantuleClearHashtable() {
  Clears.fetch_add(1);
  Record("ClearHashtable");
  return 0;
}
FAKE_EXPORT int32_t ObrantuleGetElo() { return 2550; }
FAKE_EXPORT ParamList* ObrantuleGetParamList() { return &Params; }
FAKE_EXPORT void ObrantuleSetParam(int32_t index, int32_t value) {
  Record("SetParam " + Number(index) + " " + Number(value));
}
#endif
