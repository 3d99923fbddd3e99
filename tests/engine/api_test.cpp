// The exported interface: exports of the shared library, initialisation
// results, time controls, identity texts and the parameter list.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "engine/engine.h"

namespace {

std::vector<std::string> ShownTexts;
int32_t RecordText(const char* text) {
  ShownTexts.push_back(text);
  return 0;
}

EngineCallbacks TextRecorder() {
  EngineCallbacks callbacks{};
  callbacks.Size = 28;
  callbacks.ShowText = RecordText;
  return callbacks;
}

}  // namespace

TEST(EngineExports, SharedLibraryExportsExactlyTheEighteenFunctions) {
  const char* bin = std::getenv("OBRANTULE_BIN");
  ASSERT_NE(bin, nullptr);
  const std::string command = std::string("nm -D --defined-only '") + bin + "/Obrantule.dll'";
  FILE* pipe = popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::set<std::string> exported;
  char line[512];
  while (std::fgets(line, sizeof line, pipe) != nullptr) {
    char address[64], kind[8], name[400];
    if (std::sscanf(line, "%63s %7s %399s", address, kind, name) == 3) exported.insert(name);
  }
  ASSERT_EQ(pclose(pipe), 0);
  const std::set<std::string> expected = {
      "ObrantuleInit",          "ObrantuleQuit",           "ObrantuleSetPosition",    "ObrantuleSetStartPosition",
      "ObrantuleEnterMove",     "ObrantuleSetTime",        "ObrantuleSetInfinite",    "ObrantuleSetDepth",
      "ObrantuleSetBlitz",      "ObrantuleAnalyse",        "ObrantuleStopAnalyse",    "ObrantulePonderingOff",
      "ObrantuleNextBest",      "ObrantuleClearHashtable", "ObrantuleGetVersion",     "ObrantuleGetAuthor",
      "ObrantuleGetParamList",  "ObrantuleSetParam"};
  EXPECT_EQ(exported, expected);
}

TEST(EngineInit, ReportsTheTableSizeClass) {
  EngineCallbacks callbacks = TextRecorder();
  const int32_t cases[][2] = {{64, 30720}, {30, 30720}, {29, 15360}, {16, 15360}, {15, 9216},
                              {10, 9216},  {9, 6144},   {1, 6144},   {0, 6144}};
  for (const auto& c : cases) {
    ShownTexts.clear();
    EXPECT_EQ(ObrantuleInit(c[0], &callbacks, "", 5), c[1]) << c[0] << " MB";
    EXPECT_EQ(ShownTexts.size(), 1u);  // once, at the end
    EXPECT_EQ(TablebasePieceLimit, 5);
    EXPECT_EQ(FixedDepth, 0);
    EXPECT_EQ(ObrantuleQuit(), 0);
    EXPECT_EQ(MainHashTable, nullptr);
  }
  EXPECT_EQ(ObrantuleInit(30, &callbacks, "", 0), 30720);
  EXPECT_EQ(MainHashMask, (1u << 20) - 1);
  EXPECT_EQ(SecondHashMask, (1u << 19) - 1);
  EXPECT_EQ(PawnCacheMask, (1u << 17) - 1);
  ObrantuleInit(8, nullptr, "", 0);
}

TEST(EngineInit, SetsUpTheStartPosition) {
  ObrantuleInit(8, nullptr, "", 0);
  EXPECT_EQ(GameBoard[SqE1], King);
  EXPECT_EQ(GameBoard[SqD8], -Queen);
  EXPECT_EQ(SideToMove, White);
  EXPECT_EQ(GameMoveCount, 0);
  EXPECT_EQ(BothSidesHavePieces, 1);
}

TEST(EngineTexts, PositionTextAndNewBoardAndHashClearAreShown) {
  EngineCallbacks callbacks = TextRecorder();
  ObrantuleInit(8, &callbacks, "", 0);
  ShownTexts.clear();
  ObrantuleSetStartPosition();
  ObrantuleSetPosition("8/8/8/8/8/8/8/K6k w");
  ObrantuleClearHashtable();
  const std::vector<std::string> expected = {"New Board", "8/8/8/8/8/8/8/K6k w", "Hash clear", "Hash clear"};
  EXPECT_EQ(ShownTexts, expected);
  ObrantuleInit(8, nullptr, "", 0);
}

TEST(EngineIdentity, VersionAuthorAndParameters) {
  EXPECT_STREQ(ObrantuleGetVersion(), "Obrantule3.06N");
  EXPECT_STREQ(ObrantuleGetAuthor(), "Orvel Tamstra");
  ParamList* list = ObrantuleGetParamList();
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->Size, 12);
  EXPECT_EQ(list->Count, 0);
  ASSERT_NE(list->Items, nullptr);
  EXPECT_EQ(list->Items[0].Size, 24);
  EXPECT_EQ(list->Items[0].Type, 0);
  EXPECT_EQ(list->Items[0].Value, 0);
  EXPECT_EQ(list->Items[0].Minimum, -200);
  EXPECT_EQ(list->Items[0].Maximum, 200);
  EXPECT_STREQ(list->Items[0].Name, "Contempt");
  ObrantuleSetParam(0, 50);
  ObrantuleSetParam(-1, 50);
  EXPECT_EQ(list->Items[0].Value, 0);
}

TEST(EngineTimeControl, MovesToGo) {
  const int32_t cases[][4] = {{40, 300, 10, 225}, {20, 300, 13, 150}, {0, 10, 1, 5}, {0, 5, 0, 2}};
  for (const auto& c : cases) {
    FixedDepth = 7;
    ObrantuleSetTime(c[0], c[1]);
    EXPECT_EQ(MoveTimeBudget, uint32_t(c[2])) << c[0] << "/" << c[1];
    EXPECT_EQ(HardTimeLimit, c[3]) << c[0] << "/" << c[1];
    EXPECT_EQ(FixedDepth, 0);
  }
}

TEST(EngineTimeControl, NegativeMoveCountCountsAsZero) {
  for (int32_t moves : {-1, -2, -3, -1000}) {
    ObrantuleSetTime(moves, 100);
    EXPECT_EQ(MoveTimeBudget, 50u);
    EXPECT_EQ(HardTimeLimit, 50);
  }
}

TEST(EngineTimeControl, Blitz) {
  const int32_t cases[][4] = {{300, 5, 17, 152}, {300, 0, 7, 150}, {10, 1, 1, 5}, {5, 1, 0, 3}, {10, 3, 3, 6}};
  for (const auto& c : cases) {
    FixedDepth = 7;
    ObrantuleSetBlitz(c[0], c[1]);
    EXPECT_EQ(MoveTimeBudget, uint32_t(c[2])) << c[0] << "+" << c[1];
    EXPECT_EQ(HardTimeLimit, c[3]) << c[0] << "+" << c[1];
    EXPECT_EQ(FixedDepth, 0);
  }
}

TEST(EngineTimeControl, DepthAndInfinite) {
  ObrantuleSetDepth(6);
  EXPECT_EQ(FixedDepth, 6);
  EXPECT_EQ(MoveTimeBudget, 200000u);
  EXPECT_EQ(HardTimeLimit, 200000);
  ObrantuleSetInfinite();
  EXPECT_EQ(FixedDepth, 0);
  EXPECT_EQ(MoveTimeBudget, 200000u);
  EXPECT_EQ(HardTimeLimit, 200000);
}

TEST(EngineFlags, StopAndPonderOffStoreOne) {
  ObrantuleInit(8, nullptr, "", 0);
  ObrantuleStopAnalyse();
  ObrantulePonderingOff();
  EXPECT_EQ(StopFlag.load(), 1);
  EXPECT_EQ(PonderOffFlag.load(), 1);
  ObrantuleSetDepth(1);
  EXPECT_EQ(ObrantuleAnalyse(0), 0);
  EXPECT_EQ(StopFlag.load(), 0);
  EXPECT_EQ(PonderOffFlag.load(), 0);
  EXPECT_EQ(AnalyseMode, 0);
}
