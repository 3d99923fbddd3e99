// The host library's functions, imported from Chess32.dll by name.
#include "../platform.h"

extern "C" {
__declspec(dllimport) int32_t HOSTCALL Func3(int32_t message, int32_t value16, int32_t value8, void* record);
__declspec(dllimport) int32_t HOSTCALL Func13(HostParamTable* table, int32_t hostValue);
}

HostPostFunction PlatformHostPostFunction() { return &Func3; }

HostEditParamsFunction PlatformHostEditParamsFunction() { return &Func13; }
