// The exported interface: exports of the shared library, initialisation
// results, time controls, identity texts and the parameter list.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "../common/test_support.h"
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
  const std::set<std::string> expected = {
      "ObrantuleInit",          "ObrantuleQuit",           "ObrantuleSetPosition",    "ObrantuleSetStartPosition",
      "ObrantuleEnterMove",     "ObrantuleSetTime",        "ObrantuleSetInfinite",    "ObrantuleSetDepth",
      "ObrantuleSetBlitz",      "ObrantuleAnalyse",        "ObrantuleStopAnalyse",    "ObrantulePonderingOff",
      "ObrantuleNextBest",      "ObrantuleClearHashtable", "ObrantuleGetVersion",     "ObrantuleGetAuthor",
      "ObrantuleGetParamList",  "ObrantuleSetParam"};
  EXPECT_EQ(ExportedNames(std::string(bin) + "/Obrantule.dll"), expected);
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

TEST(EngineTimeControl, BudgetsAndLimits) {
  // {moves to go, seconds} for SetTime (a negative count counts as zero),
  // {seconds, increment} for SetBlitz: budget and hard limit.
  const struct {
    bool Blitz;
    int32_t A, B, Budget, Hard;
  } cases[] = {{false, 40, 300, 10, 225}, {false, 20, 300, 13, 150}, {false, 0, 10, 1, 5}, {false, 0, 5, 0, 2},
               {false, -1, 100, 50, 50},  {false, -1000, 100, 50, 50}, {true, 300, 5, 17, 152},
               {true, 300, 0, 7, 150},    {true, 10, 1, 1, 5},         {true, 5, 1, 0, 3},   {true, 10, 3, 3, 6}};
  for (const auto& c : cases) {
    FixedDepth = 7;
    if (c.Blitz) ObrantuleSetBlitz(c.A, c.B);
    else ObrantuleSetTime(c.A, c.B);
    EXPECT_EQ(MoveTimeBudget, uint32_t(c.Budget)) << c.Blitz << " " << c.A << " " << c.B;
    EXPECT_EQ(HardTimeLimit, c.Hard) << c.Blitz << " " << c.A << " " << c.B;
    EXPECT_EQ(FixedDepth, 0);
  }
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
