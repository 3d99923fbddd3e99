// A test host for the adapter: loads a private copy of Obrantule.eng beside a
// fake engine library, and records every Func3 and Func13 call.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "../../adapter/host/engine_binding.h"
#include "../../adapter/host/host_records.h"
#include "../common/test_support.h"

struct HostPost {
  int32_t Message;
  int32_t Value16;
  int32_t Value8;
  void* Record;
  AnalysisRecord Analysis;  // copy of the record as posted (when it is one)
  StatsRecord Stats;
};

struct HostEdit {
  HostParamTable* Table;
  int32_t Value;
};

extern std::vector<HostPost> Posts;
extern std::vector<HostEdit> Edits;
// Called inside Func3 after recording, to act as a host would at that moment.
extern std::function<void(int32_t message)> OnPost;
// Applied by Func13 to the table's current values: (entry index, new value).
extern std::vector<std::pair<int32_t, int32_t>> EditsToMake;

struct AdapterEntries {
  int32_t (*Eng1)(void*, int32_t, int32_t, void*, void*, int32_t, int32_t, int32_t, int32_t);
  void (*Eng2)();
  void (*Eng3)();
  int32_t (*Eng4)();
  int32_t (*Eng5)();
  const char* (*Eng6)();
  const char* (*Eng7)();
  int32_t (*Eng8)();
  int32_t (*Eng9)(void*);
  void (*Eng10)();
  void (*Eng11)();
  int32_t (*Eng12)();
  HostParamTable* (*Eng13)();
  void (*Eng14)(int32_t);
  void (*Eng15)();
  void* (*Eng19)(int32_t);
  ShowNodesFunction ShowNodes;
  ShowDepthFunction ShowDepth;
  ShowMoveFunction ShowMove;
  ShowMainlineFunction ShowMainline;
  ShowTextFunction ShowText;
};

// One private installation: a temporary directory (optionally below a
// sub-path such as "engines/x") holding Obrantule.eng and, unless the
// variant is empty, a fake engine library as Obrantule.dll.
class TestInstallation {
 public:
  TestInstallation(const std::string& fakeVariant, const std::string& subPath = "");
  ~TestInstallation();
  // Loads the adapter (and the fake engine's controls); false on failure.
  // The path, when given, is the one handed to the loader.
  bool Load(const std::string& path = "");
  // Adds the fake engine library after the adapter was loaded.
  void AddEngine(const std::string& fakeVariant);
  std::string Directory() const { return directory_; }
  std::string EngineLog() const;
  void ClearEngineLog();
  void SetInitResult(int32_t result);
  void SetAnalyseHook(void (*hook)(const EngineCallbacks*));
  // Makes Analyse run until it is stopped (see the fake engine).
  void SetWaitForStop(int32_t on);
  int32_t EngineSearching() const;
  // Hash clears the engine has made so far (safe from any thread).
  int32_t EngineClearCount() const;
  // Opens the connection with the harness's records; returns Eng1's result.
  int32_t Connect(int32_t memoryMB = 64);

  AdapterEntries Eng{};
  AnalysisRecord Analysis{};
  StatsRecord Stats{};
  InfoRecord Info{};

 private:
  void* Control(const char* name) const;
  ScratchDirectory root_;
  std::string directory_;
  void* adapter_ = nullptr;
  void* engine_ = nullptr;
};

// Resets the recorded host calls.
void ResetHost();

// The lines of the fake engine's log.
std::vector<std::string> Lines(const std::string& log);
