#include "engine_link.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstdlib>

PluginEntries Plugin;
AnalysisRecord HostAnalysis;
StatsRecord HostStats;
InfoRecord HostInfo;

namespace {

void* PluginModule = nullptr;
PostSink Sink = nullptr;
std::vector<std::pair<int32_t, int32_t>> ParameterEdits;

template <typename F>
bool Bind(const char* name, F& slot) {
  slot = reinterpret_cast<F>(dlsym(PluginModule, name));
  return slot != nullptr;
}

}  // namespace

std::string ProgramDirectory() {
  char path[4096];
  ssize_t length = readlink("/proc/self/exe", path, sizeof(path) - 1);
  if (length <= 0) return ".";
  path[length] = '\0';
  std::string text(path);
  size_t slash = text.rfind('/');
  return slash == std::string::npos ? "." : text.substr(0, slash);
}

// The host library's functions, found by the plug-in in this program.
extern "C" __attribute__((visibility("default"))) int32_t HOSTCALL Func3(int32_t message, int32_t, int32_t,
                                                                         void* record) {
  if (Sink != nullptr) Sink(message, record);
  return 0;
}

extern "C" __attribute__((visibility("default"))) int32_t HOSTCALL Func13(HostParamTable* table, int32_t) {
  if (table == nullptr) return 0;
  for (const auto& edit : ParameterEdits)
    if (edit.first >= 0 && edit.first < table->Count) table->Entries[edit.first].Value = edit.second;
  return 0;
}

bool LoadPlugin(std::string* error) {
  const char* named = getenv("OBRANTULE_PLUGIN");
  std::string path = named != nullptr && named[0] != '\0' ? named : ProgramDirectory() + "/Obrantule.eng";
  PluginModule = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (PluginModule == nullptr) {
    const char* reason = dlerror();
    *error = "cannot load " + path + ": " + (reason != nullptr ? reason : "unknown error");
    return false;
  }
  bool ok = Bind("Eng1", Plugin.Eng1) && Bind("Eng2", Plugin.Eng2) && Bind("Eng3", Plugin.Eng3) &&
            Bind("Eng4", Plugin.Eng4) && Bind("Eng5", Plugin.Eng5) && Bind("Eng6", Plugin.Eng6) &&
            Bind("Eng7", Plugin.Eng7) && Bind("Eng9", Plugin.Eng9) && Bind("Eng10", Plugin.Eng10) &&
            Bind("Eng13", Plugin.Eng13) && Bind("Eng14", Plugin.Eng14) && Bind("Eng15", Plugin.Eng15) &&
            Bind("TBProbeBoard", Plugin.TBProbeBoard);
  if (!ok) {
    *error = path + " lacks a host entry point";
    dlclose(PluginModule);
    PluginModule = nullptr;
    return false;
  }
  return true;
}

int32_t ConnectPlugin(int32_t hashMB) {
  return Plugin.Eng1(&HostAnalysis, 0, 0, &HostStats, &HostInfo, hashMB, 0, 0, 0);
}

void DisconnectPlugin() {
  if (Plugin.Eng5 != nullptr && Plugin.Eng5() != 0) Plugin.Eng2();
}

std::string ConnectErrorText(int32_t code) {
  switch (code) {
    case 0: return "connected";
    case 1: return "the engine is already connected";
    case 2: return "the engine could not initialise (not enough memory for the hash size?)";
    case 9: return "the engine library Obrantule.dll is missing beside the plug-in or lacks an entry point";
    default: return "the plug-in answered " + std::to_string(code);
  }
}

void SetPostSink(PostSink sink) { Sink = sink; }

void SetParameterEdits(const std::vector<std::pair<int32_t, int32_t>>& edits) { ParameterEdits = edits; }
