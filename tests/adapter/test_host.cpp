#include "test_host.h"

#include <dlfcn.h>

#include <cstring>
#include <filesystem>
#include <sstream>

std::vector<HostPost> Posts;
std::vector<HostEdit> Edits;
std::function<void(int32_t)> OnPost;
std::vector<std::pair<int32_t, int32_t>> EditsToMake;

// The host library's functions, exported from this program so the adapter
// finds them as it would find the host's.
extern "C" __attribute__((visibility("default"))) int32_t Func3(int32_t message, int32_t value16, int32_t value8,
                                                                void* record) {
  HostPost post{};
  post.Message = message;
  post.Value16 = value16;
  post.Value8 = value8;
  post.Record = record;
  if (message == MessageNodes)
    memcpy(&post.Stats, record, sizeof(StatsRecord));
  else
    memcpy(&post.Analysis, record, sizeof(AnalysisRecord));
  Posts.push_back(post);
  if (OnPost) OnPost(message);
  return 0;
}

extern "C" __attribute__((visibility("default"))) int32_t Func13(HostParamTable* table, int32_t value) {
  Edits.push_back(HostEdit{table, value});
  for (const auto& edit : EditsToMake)
    if (edit.first < table->Count) table->Entries[edit.first].Value = edit.second;
  return 0;
}

void ResetHost() {
  Posts.clear();
  Edits.clear();
  OnPost = nullptr;
  EditsToMake.clear();
}

std::vector<std::string> Lines(const std::string& log) {
  std::vector<std::string> lines;
  std::istringstream in(log);
  std::string line;
  while (std::getline(in, line)) lines.push_back(line);
  return lines;
}

namespace fs = std::filesystem;

TestInstallation::TestInstallation(const std::string& fakeVariant, const std::string& subPath) {
  directory_ = subPath.empty() ? root_.Path() : root_.Subdirectory(subPath);
  fs::copy_file(ADAPTER_MODULE, directory_ + "/Obrantule.eng");
  if (!fakeVariant.empty()) AddEngine(fakeVariant);
  ResetHost();
}

void TestInstallation::AddEngine(const std::string& fakeVariant) {
  std::string library = directory_ + "/Obrantule.dll";
  fs::copy_file(std::string(FAKE_ENGINE_DIR) + "/fake_" + fakeVariant + ".so", library);
  // Held open for the test's controls; the adapter's own load of the same
  // path then shares this instance.
  engine_ = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
}

TestInstallation::~TestInstallation() {
  if (Eng.Eng5 != nullptr && Eng.Eng5() != 0) Eng.Eng2();
  if (adapter_ != nullptr) dlclose(adapter_);
  if (engine_ != nullptr) dlclose(engine_);
  ResetHost();
}

template <typename F>
static void Bind(void* module, const char* name, F& slot) {
  slot = reinterpret_cast<F>(dlsym(module, name));
}

bool TestInstallation::Load(const std::string& path) {
  adapter_ = dlopen((path.empty() ? directory_ + "/Obrantule.eng" : path).c_str(), RTLD_NOW | RTLD_LOCAL);
  if (adapter_ == nullptr) return false;
  Bind(adapter_, "Eng1", Eng.Eng1);
  Bind(adapter_, "Eng2", Eng.Eng2);
  Bind(adapter_, "Eng3", Eng.Eng3);
  Bind(adapter_, "Eng4", Eng.Eng4);
  Bind(adapter_, "Eng5", Eng.Eng5);
  Bind(adapter_, "Eng6", Eng.Eng6);
  Bind(adapter_, "Eng7", Eng.Eng7);
  Bind(adapter_, "Eng8", Eng.Eng8);
  Bind(adapter_, "Eng9", Eng.Eng9);
  Bind(adapter_, "Eng10", Eng.Eng10);
  Bind(adapter_, "Eng11", Eng.Eng11);
  Bind(adapter_, "Eng12", Eng.Eng12);
  Bind(adapter_, "Eng13", Eng.Eng13);
  Bind(adapter_, "Eng14", Eng.Eng14);
  Bind(adapter_, "Eng15", Eng.Eng15);
  Bind(adapter_, "Eng19", Eng.Eng19);
  Bind(adapter_, "ShowNodes", Eng.ShowNodes);
  Bind(adapter_, "ShowDepth", Eng.ShowDepth);
  Bind(adapter_, "ShowMove", Eng.ShowMove);
  Bind(adapter_, "ShowMainline", Eng.ShowMainline);
  Bind(adapter_, "ShowText", Eng.ShowText);
  return Eng.Eng1 != nullptr && Eng.Eng19 != nullptr && Eng.ShowText != nullptr;
}

void* TestInstallation::Control(const char* name) const {
  return engine_ != nullptr ? dlsym(engine_, name) : nullptr;
}

std::string TestInstallation::EngineLog() const {
  auto log = reinterpret_cast<const char* (*)()>(Control("FakeEngineLog"));
  return log != nullptr ? log() : "";
}

void TestInstallation::ClearEngineLog() {
  auto clear = reinterpret_cast<void (*)()>(Control("FakeEngineClearLog"));
  if (clear != nullptr) clear();
}

void TestInstallation::SetInitResult(int32_t result) {
  reinterpret_cast<void (*)(int32_t)>(Control("FakeEngineSetInitResult"))(result);
}

void TestInstallation::SetAnalyseHook(void (*hook)(const EngineCallbacks*)) {
  reinterpret_cast<void (*)(void (*)(const EngineCallbacks*))>(Control("FakeEngineSetAnalyseHook"))(hook);
}

void TestInstallation::SetWaitForStop(int32_t on) {
  reinterpret_cast<void (*)(int32_t)>(Control("FakeEngineSetWaitForStop"))(on);
}

int32_t TestInstallation::EngineSearching() const {
  return reinterpret_cast<int32_t (*)()>(Control("FakeEngineSearching"))();
}

int32_t TestInstallation::EngineClearCount() const {
  return reinterpret_cast<int32_t (*)()>(Control("FakeEngineClearCount"))();
}

int32_t TestInstallation::Connect(int32_t memoryMB) {
  Analysis.HostValue8 = 808;
  Analysis.HostValue12 = 1212;
  Analysis.HostValue16 = 1616;
  Stats.HostValue8 = 88;
  Stats.HostValue16 = 166;
  return Eng.Eng1(&Analysis, 2, 3, &Stats, &Info, memoryMB, 7, 8, 9);
}
