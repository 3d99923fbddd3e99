// The host parameter table: built from the engine's list, edited through
// Func13, changed values sent to the engine before the next analysis.
#include <gtest/gtest.h>

#include <cstring>

#include "test_host.h"

namespace {

class Parameters : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(host.Load());
    ASSERT_EQ(host.Connect(), 0);
    game.StartsFromInitial = 1;
    game.TimeMode = TimeModeDepth;
    game.Depth = 1;
  }
  // The SetParam calls of one analysis.
  std::vector<std::string> Sent() {
    host.ClearEngineLog();
    host.Eng.Eng9(&game);
    std::vector<std::string> sent;
    for (const std::string& line : Lines(host.EngineLog()))
      if (line.rfind("SetParam", 0) == 0) sent.push_back(line);
    return sent;
  }
  TestInstallation host{"full"};
  GameRecord game{};
};

}  // namespace

TEST_F(Parameters, TableCopiesTheEnginesList) {
  HostParamTable* table = host.Eng.Eng13();
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(table->Size, int32_t(sizeof(HostParamTable)));
  EXPECT_EQ(table->Zero, 0);
  EXPECT_EQ(table->HostValue8, 808);
  EXPECT_EQ(table->HostValue12, 1212);
  EXPECT_EQ(table->HostValue16, 1616);
  ASSERT_EQ(table->Count, 2);  // the item count, not the array's length
  const HostParamEntry& first = table->Entries[0];
  EXPECT_EQ(first.Size, int32_t(sizeof(HostParamEntry)));
  EXPECT_EQ(first.Changed, 1);
  EXPECT_EQ(first.Two, 2);
  EXPECT_EQ(first.NameLength, 9);
  EXPECT_STREQ(first.Name, "Contempt");
  EXPECT_EQ(first.Four, 4);
  EXPECT_EQ(first.ValueSent, 10);
  EXPECT_EQ(first.Value, 10);
  EXPECT_EQ(first.Minimum, -50);
  EXPECT_EQ(first.Maximum, 50);
  EXPECT_STREQ(table->Entries[1].Name, "Aggression");
  // The host values are refreshed on every call.
  host.Analysis.HostValue12 = 4;
  EXPECT_EQ(host.Eng.Eng13()->HostValue12, 4);
}

TEST_F(Parameters, NothingIsSentUntilTheHostEdits) {
  EXPECT_TRUE(Sent().empty());
  host.Eng.Eng14(0);  // only clears the changed flag; the host is not asked
  EXPECT_TRUE(Edits.empty());
  EXPECT_TRUE(Sent().empty());
}

TEST_F(Parameters, EditedValuesAreSentOnceThenAllAfterTheNextEdit) {
  EditsToMake = {{1, 7}};
  host.Eng.Eng14(42);
  ASSERT_EQ(Edits.size(), 1u);
  EXPECT_EQ(Edits[0].Table, host.Eng.Eng13());
  EXPECT_EQ(Edits[0].Value, 42);
  EXPECT_EQ(host.Eng.Eng13()->Entries[0].Changed, 0);
  EXPECT_EQ(host.Eng.Eng13()->Entries[1].Changed, 1);
  EXPECT_EQ(Sent(), std::vector<std::string>{"SetParam 1 7"});
  // Still flagged as changed, but no entry is marked any more.
  EXPECT_TRUE(Sent().empty());
  // After the changed flag is cleared, every value is sent once.
  host.Eng.Eng14(0);
  EXPECT_EQ(Sent(), (std::vector<std::string>{"SetParam 0 10", "SetParam 1 7"}));
  EXPECT_TRUE(Sent().empty());
}

TEST_F(Parameters, ValueChangedBackToTheFirstIsNotSent) {
  EditsToMake = {{0, 20}};
  host.Eng.Eng14(1);
  EditsToMake = {{0, 10}};
  host.Eng.Eng14(1);
  EXPECT_EQ(host.Eng.Eng13()->Entries[0].Changed, 0);
  EXPECT_TRUE(Sent().empty());
}
