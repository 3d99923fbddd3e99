// A stand-in for the host's Chess32.dll that remembers what it was sent, so
// that the check program can compare it with what the engine reported.
#include "chess32.h"

#include <cstring>

namespace {

RecordedPost Posts[RecordedPostCapacity];
int32_t PostCount = 0;
int32_t EditCalls = 0;

}  // namespace

int32_t HOSTCALL Func3(int32_t message, int32_t value16, int32_t value8, void* record) {
  if (PostCount < RecordedPostCapacity) {
    RecordedPost& post = Posts[PostCount];
    memset(&post, 0, sizeof post);
    post.Message = message;
    post.Value16 = value16;
    post.Value8 = value8;
    if (record != nullptr && message == MessageNodes) {
      post.Nodes = static_cast<const StatsRecord*>(record)->Nodes;
    } else if (record != nullptr) {
      const AnalysisRecord* analysis = static_cast<const AnalysisRecord*>(record);
      post.Depth = analysis->Depth;
      post.Score = analysis->Score;
      post.MainlineLength = analysis->MainlineLength;
      memcpy(post.Mainline, analysis->Mainline, sizeof post.Mainline);
    }
  }
  ++PostCount;
  return 0;
}

int32_t HOSTCALL Func13(HostParamTable*, int32_t) {
  // The user changes nothing.
  ++EditCalls;
  return 0;
}

const RecordedPost* HOSTCALL Chess32Posts(int32_t* count) {
  *count = PostCount;
  return Posts;
}

int32_t HOSTCALL Chess32EditCalls() { return EditCalls; }

void HOSTCALL Chess32Forget() {
  PostCount = 0;
  EditCalls = 0;
}
