#include "searchtest.h"

#include <cstring>
#include <mutex>

#include <gtest/gtest.h>

#include "engine/root.h"

Reports Reported;

namespace {

std::mutex ReportLock;

int32_t OBRANTULE_CALL RecordNodes(int32_t nodes, int32_t) {
  std::lock_guard<std::mutex> hold(ReportLock);
  Reported.Nodes.push_back(nodes);
  return 0;
}
int32_t OBRANTULE_CALL RecordDepth(int32_t depth, int32_t) {
  std::lock_guard<std::mutex> hold(ReportLock);
  Reported.Depths.push_back(depth);
  return 0;
}
int32_t OBRANTULE_CALL RecordMove(const char* move, int32_t, int32_t) {
  std::lock_guard<std::mutex> hold(ReportLock);
  Reported.Moves.push_back(move);
  return 0;
}
int32_t OBRANTULE_CALL RecordMainline(const char* line, int32_t score) {
  std::lock_guard<std::mutex> hold(ReportLock);
  Reported.Mainlines.emplace_back(line, score);
  return 0;
}
int32_t OBRANTULE_CALL IgnoreText(const char*) { return 0; }

}  // namespace

void EnsureEngine() {
  // Initialised here, or again when the bench has initialised it its own way.
  if (Callbacks.ShowMainline == RecordMainline) return;
  EngineCallbacks callbacks;
  callbacks.Size = int32_t(sizeof callbacks);
  callbacks.ShowNodes = RecordNodes;
  callbacks.ShowDepth = RecordDepth;
  callbacks.ShowMove = RecordMove;
  callbacks.ShowMainline = RecordMainline;
  callbacks.ShowText = IgnoreText;
  callbacks.TBProbeList = nullptr;
  ASSERT_GT(ObrantuleInit(8, &callbacks, "", 0), 0);
}

void LoadPosition(const char* text, const std::vector<const char*>& moves) {
  EnsureEngine();
  SetUpFromText(text);
  for (const char* move : moves) {
    char buffer[8];
    std::strncpy(buffer, move, sizeof buffer - 1);
    buffer[sizeof buffer - 1] = '\0';
    ASSERT_EQ(EnterGameMove(buffer), 0) << move;
  }
  InstallGamePosition();
}

std::string AnalyseToDepth(const char* text, int32_t depth, const std::vector<const char*>& moves) {
  EnsureEngine();
  ObrantuleSetPosition(text);
  for (const char* move : moves) {
    char buffer[8];
    std::strncpy(buffer, move, sizeof buffer - 1);
    buffer[sizeof buffer - 1] = '\0';
    EXPECT_EQ(ObrantuleEnterMove(buffer), 0) << move;
  }
  ObrantuleSetDepth(depth);
  Reported.Clear();
  EXPECT_EQ(ObrantuleAnalyse(0), 0);
  return Reported.Mainlines.empty() ? std::string() : Reported.Mainlines.back().first;
}

void NoTablebases() {
  Callbacks.TBProbeList = nullptr;
  TablebasePieceLimit = 0;
}

std::string FirstMove(const std::string& line) { return line.substr(0, line.find(' ')); }
