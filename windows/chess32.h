// The stand-in for the host's library Chess32.dll: Func3 and Func13 as the
// adapter imports them, and a record of every post for the check program.
#pragma once

#include <cstdint>

#include "../adapter/host/host_records.h"

#if defined(CHESS32_BUILD)
#define CHESS32_API __declspec(dllexport)
#else
#define CHESS32_API __declspec(dllimport)
#endif

// One Func3 call and what its record held at that moment.
struct RecordedPost {
  int32_t Message;
  int32_t Value16;
  int32_t Value8;
  int32_t Depth;           // AnalysisRecord: depth field
  int32_t Score;           // AnalysisRecord: principal variation score
  int32_t MainlineLength;  // AnalysisRecord: moves in the principal variation
  HostMoveCode Mainline[MainlineCapacity];
  int32_t Nodes;           // StatsRecord: node count
};

enum : int32_t { RecordedPostCapacity = 4096 };

extern "C" {
CHESS32_API int32_t HOSTCALL Func3(int32_t message, int32_t value16, int32_t value8, void* record);
CHESS32_API int32_t HOSTCALL Func13(HostParamTable* table, int32_t hostValue);
// The posts recorded so far (at most RecordedPostCapacity are kept; count
// tells how many were made) and how often Func13 was called.
CHESS32_API const RecordedPost* HOSTCALL Chess32Posts(int32_t* count);
CHESS32_API int32_t HOSTCALL Chess32EditCalls();
CHESS32_API void HOSTCALL Chess32Forget();
}
