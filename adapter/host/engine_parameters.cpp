// The engine's adjustable parameters as the host's parameter table: built at
// connection start, edited by the host, sent back before each analysis.
#include <cstdlib>
#include <cstring>

#include "../platform/platform.h"
#include "adapter_state.h"

void BuildHostParamTable() {
  Adapter.Params = nullptr;
  if (Adapter.Engine.GetParamList == nullptr) return;
  const ParamList* list = Adapter.Engine.GetParamList();
  if (list == nullptr) return;
  int32_t count = list->Count > 0 ? list->Count : 0;
  HostParamTable* table = static_cast<HostParamTable*>(calloc(1, sizeof(HostParamTable)));
  HostParamEntry* entries =
      count > 0 ? static_cast<HostParamEntry*>(calloc(size_t(count), sizeof(HostParamEntry))) : nullptr;
  if (table == nullptr || (count > 0 && entries == nullptr)) {
    free(table);
    free(entries);
    return;
  }
  table->Size = int32_t(sizeof(HostParamTable));
  table->Zero = 0;
  table->Count = count;
  table->Entries = entries;
  for (int32_t i = 0; i < count; ++i) {
    const ParamItem& item = list->Items[i];
    HostParamEntry& entry = entries[i];
    const char* name = item.Name != nullptr ? item.Name : "";
    size_t length = strlen(name) + 1;
    entry.Size = int32_t(sizeof(HostParamEntry));
    entry.Changed = 1;
    entry.Two = 2;
    entry.NameLength = int32_t(length);
    entry.Name = static_cast<char*>(malloc(length));
    if (entry.Name != nullptr) memcpy(entry.Name, name, length);
    entry.Four = 4;
    entry.ValueSent = item.Value;
    entry.Value = item.Value;
    entry.Minimum = item.Minimum;
    entry.Maximum = item.Maximum;
  }
  Adapter.Params = table;
}

// The table lives for one connection; freed when it ends.
void FreeHostParamTable() {
  HostParamTable* table = Adapter.Params;
  Adapter.Params = nullptr;
  if (table == nullptr) return;
  for (int32_t i = 0; i < table->Count; ++i) free(table->Entries[i].Name);
  free(table->Entries);
  free(table);
}

namespace {

// Eng14 marks changed entries while Eng9 may be sending them: both hold this
// short lock for their pass over the flags (never across a host call).
void LockParams() {
  int32_t free = 0;
  while (!Adapter.ParamsLock.compare_exchange_weak(free, 1, std::memory_order_acq_rel)) {
    free = 0;
    PlatformYield();
  }
}

void UnlockParams() { Adapter.ParamsLock.store(0, std::memory_order_release); }

void SendParameters() {
  HostParamTable* table = Adapter.Params;
  if (table == nullptr) return;
  EngineSetParamFunction setParam = Adapter.Engine.SetParam;
  if (Adapter.ParamsChanged == 1) {
    for (int32_t i = 0; i < table->Count; ++i) {
      HostParamEntry& entry = table->Entries[i];
      if (entry.Changed != 0 && setParam != nullptr) {
        setParam(i, entry.Value);
        entry.Changed = 0;
      }
    }
    Adapter.ParamsPushedAll = 0;
  } else if (Adapter.ParamsPushedAll == 0) {
    if (setParam != nullptr)
      for (int32_t i = 0; i < table->Count; ++i) setParam(i, table->Entries[i].Value);
    Adapter.ParamsPushedAll = 1;
  }
}

}  // namespace

void PushEngineParameters() {
  LockParams();
  SendParameters();
  UnlockParams();
}

extern "C" {

HostParamTable* HOSTCALL Eng13() {
  if (!EnterConnection()) return nullptr;
  HostParamTable* table = Adapter.Params;
  if (table != nullptr && Adapter.Analysis != nullptr) {
    table->HostValue8 = Adapter.Analysis->HostValue8;
    table->HostValue12 = Adapter.Analysis->HostValue12;
    table->HostValue16 = Adapter.Analysis->HostValue16;
  }
  LeaveConnection();
  return table;
}

void HOSTCALL Eng14(int32_t hostValue) {
  if (!EnterConnection()) return;
  HostParamTable* table = Adapter.Params;
  if (hostValue != 0 && table != nullptr && Adapter.EditParams != nullptr) Adapter.EditParams(table, hostValue);
  LockParams();
  Adapter.ParamsChanged = 0;
  if (hostValue != 0 && table != nullptr) {
    for (int32_t i = 0; i < table->Count; ++i) {
      HostParamEntry& entry = table->Entries[i];
      entry.Changed = 0;
      if (entry.Value != entry.ValueSent) {
        entry.Changed = 1;
        Adapter.ParamsChanged = 1;
      }
    }
  }
  UnlockParams();
  LeaveConnection();
}

}  // extern "C"
