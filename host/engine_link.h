// The host's side of the plug-in: loads Obrantule.eng as the GUI would,
// keeps the records it hands over, and receives the plug-in's posts through
// the host library functions Func3 and Func13, which this program exports.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "../adapter/host/host_records.h"

struct PluginEntries {
  int32_t(HOSTCALL* Eng1)(void*, int32_t, int32_t, void*, void*, int32_t, int32_t, int32_t, int32_t);
  void(HOSTCALL* Eng2)();
  void(HOSTCALL* Eng3)();
  int32_t(HOSTCALL* Eng4)();
  int32_t(HOSTCALL* Eng5)();
  const char*(HOSTCALL* Eng6)();
  const char*(HOSTCALL* Eng7)();
  int32_t(HOSTCALL* Eng9)(void*);
  void(HOSTCALL* Eng10)();
  HostParamTable*(HOSTCALL* Eng13)();
  void(HOSTCALL* Eng14)(int32_t);
  void(HOSTCALL* Eng15)();
  int32_t(HOSTCALL* TBProbeBoard)(const uint8_t*, int32_t, int32_t, int32_t*);
};

extern PluginEntries Plugin;
extern AnalysisRecord HostAnalysis;
extern StatsRecord HostStats;
extern InfoRecord HostInfo;

// The directory of this program, without a trailing "/" ("." when unknown):
// the plug-in and the settings file are looked for beside it.
std::string ProgramDirectory();

// Loads the plug-in: OBRANTULE_PLUGIN names it, else Obrantule.eng beside
// this program. False with a message when it cannot be loaded.
bool LoadPlugin(std::string* error);
// Eng1 with the host's records; answers Eng1's code (0 success).
int32_t ConnectPlugin(int32_t hashMB);
void DisconnectPlugin();
std::string ConnectErrorText(int32_t code);

// Receives every Func3 post (on the thread that runs Eng9).
typedef void (*PostSink)(int32_t message, void* record);
void SetPostSink(PostSink sink);

// Values Func13 writes into the parameter table when the host is asked to
// edit it: (entry index, value).
void SetParameterEdits(const std::vector<std::pair<int32_t, int32_t>>& edits);
