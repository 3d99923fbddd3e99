// The report functions: record fields, message numbers and their depth
// thresholds, principal-variation parsing and repeated stops.
#include <gtest/gtest.h>

#include <string>

#include "test_host.h"

namespace {

class Progress : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(host.Load());
    ASSERT_EQ(host.Connect(), 0);
    host.ClearEngineLog();
  }
  std::vector<int32_t> Messages() const {
    std::vector<int32_t> messages;
    for (const HostPost& post : Posts) messages.push_back(post.Message);
    return messages;
  }
  TestInstallation host{"full"};
};

}  // namespace

TEST_F(Progress, DepthReportsArePostedEveryTime) {
  host.Eng.ShowDepth(1, 0);
  host.Eng.ShowDepth(0x10002, 0x7fff1);  // only the low halves are stored
  ASSERT_EQ(Messages(), (std::vector<int32_t>{MessageDepth, MessageDepth}));
  EXPECT_EQ(Posts[0].Analysis.Depth, 1);
  EXPECT_EQ(Posts[1].Analysis.Depth, 2);
  EXPECT_EQ(Posts[1].Analysis.DepthValue, int16_t(0xfff1));
  EXPECT_EQ(Posts[1].Value16, 1616);
  EXPECT_EQ(Posts[1].Value8, 808);
  EXPECT_EQ(Posts[1].Record, &host.Analysis);
}

TEST_F(Progress, NodeReportsArePostedFromDepthFour) {
  for (int32_t depth = 1; depth <= 3; ++depth) {
    host.Eng.ShowDepth(depth, 0);
    host.Eng.ShowNodes(1000 * depth, 0);
    EXPECT_EQ(host.Stats.Nodes, 1000 * depth);
  }
  EXPECT_EQ(Messages(), (std::vector<int32_t>{MessageDepth, MessageDepth, MessageDepth}));
  host.Eng.ShowDepth(4, 0);
  host.Eng.ShowNodes(123456, 9);
  ASSERT_EQ(Posts.back().Message, MessageNodes);
  EXPECT_EQ(Posts.back().Record, &host.Stats);
  EXPECT_EQ(Posts.back().Value16, 166);
  EXPECT_EQ(Posts.back().Value8, 88);
  EXPECT_EQ(Posts.back().Stats.Nodes, 123456);
  EXPECT_EQ(Posts.back().Stats.NodesValue2, 9);
  EXPECT_EQ(Posts.back().Stats.TablebaseHits, 0);
}

TEST_F(Progress, MoveReportsArePostedFromDepthSix) {
  host.Eng.ShowDepth(5, 0);
  host.Eng.ShowMove("e2e4", 3, 20);
  EXPECT_EQ(host.Analysis.CurrentMove, 28 * 64 + 12);
  EXPECT_EQ(host.Analysis.MoveNumber, 3);
  EXPECT_EQ(host.Analysis.MoveTotal, 20);
  EXPECT_EQ(Messages(), std::vector<int32_t>{MessageDepth});
  host.Eng.ShowDepth(6, 0);
  host.Eng.ShowMove("g7g8N", 1, 2);
  ASSERT_EQ(Posts.back().Message, MessageCurrentMove);
  EXPECT_EQ(Posts.back().Analysis.CurrentMove, 54 | 62 << 6 | 7 << 12);
  // The empty text of a failing first move converts to no move.
  host.Eng.ShowMove("", 1, 2);
  EXPECT_EQ(Posts.back().Analysis.CurrentMove, 0);
}

TEST_F(Progress, TextToMoveCodeStopsAtTheFirstCharacterOutOfRange) {
  struct Case {
    const char* Text;
    int Code;
  } cases[] = {
      {"e2e4", 1804},
      {"e7e8q", 52 | 60 << 6},             // lower case is no promotion letter
      {"e7e8Q", 52 | 60 << 6 | 4 << 12},
      {"a2a1R", 8 | 0 << 6 | 5 << 12},
      {"h7h8B", 55 | 63 << 6 | 6 << 12},
      {"e2", 4 | 1 << 3},
      {"e9e4", 4},
      {"e2x4", 4 | 1 << 3},
      {"i2i4", 0},
      {"E2E4", 0},
      {"--", 0},
  };
  host.Eng.ShowDepth(6, 0);
  for (const Case& c : cases) {
    host.Eng.ShowMove(c.Text, 1, 1);
    EXPECT_EQ(host.Analysis.CurrentMove, c.Code) << c.Text;
  }
}

TEST_F(Progress, MainlineIsParsedIntoMoveCodes) {
  host.Eng.ShowDepth(2, 0);
  host.Analysis.Field122 = 77;
  host.Eng.ShowMainline("e2e4 e7e5 g1f3 ", 27);
  ASSERT_EQ(Posts.back().Message, MessageMainline);
  const AnalysisRecord& posted = Posts.back().Analysis;
  EXPECT_EQ(posted.MainlineMark, 2);
  EXPECT_EQ(posted.Field122, 0);
  EXPECT_EQ(posted.Score, 27);
  ASSERT_EQ(posted.MainlineLength, 3);
  EXPECT_EQ(posted.Mainline[0], 1804);
  EXPECT_EQ(posted.Mainline[1], 52 | 36 << 6);
  EXPECT_EQ(posted.Mainline[2], 6 | 21 << 6);
}

TEST_F(Progress, MainlineLengthAndScore) {
  // At most thirty-one moves; an empty line is still posted; the line ends
  // at a word that does not convert; mate scores beyond 16 bits keep their
  // low half, as the record holds.
  std::string longLine;
  for (int i = 0; i < 40; ++i) longLine += (i % 2 == 0 ? "g1f3 " : "g8f6 ");
  const struct {
    std::string Line;
    int32_t Score, Length, Last;
  } cases[] = {{longLine, -150, 31, 6 | 21 << 6},
               {"", 31, 0, 0},
               {"e2e4  d7d5 -- g1f3", 5, 2, 51 | 35 << 6},
               {"e2e4", 29999, 1, 1804}};
  for (const auto& c : cases) {
    Posts.clear();
    host.Analysis.MainlineLength = 5;
    for (HostMoveCode& slot : host.Analysis.Mainline) slot = 0x7777;
    host.Eng.ShowMainline(c.Line.c_str(), c.Score);
    ASSERT_EQ(Messages(), std::vector<int32_t>{MessageMainline}) << c.Line;
    EXPECT_EQ(host.Analysis.MainlineLength, c.Length) << c.Line;
    EXPECT_EQ(host.Analysis.Score, c.Score) << c.Line;
    if (c.Length > 0) {
      EXPECT_EQ(host.Analysis.Mainline[c.Length - 1], c.Last) << c.Line;
    }
    // A 0 ends a line shorter than the record holds.
    if (c.Length < MainlineCapacity) {
      EXPECT_EQ(host.Analysis.Mainline[c.Length], 0) << c.Line;
    }
  }
}

TEST_F(Progress, PendingStopIsRepeatedAndNothingIsPosted) {
  // No analysis runs: the stop is only noted.
  host.Eng.Eng3();
  EXPECT_EQ(host.EngineLog(), "");
  host.Eng.ShowDepth(8, 0);
  host.Eng.ShowNodes(5, 0);
  host.Eng.ShowMove("e2e4", 1, 1);
  host.Eng.ShowMainline("e2e4 ", 3);
  EXPECT_TRUE(Posts.empty());
  EXPECT_EQ(host.Analysis.Depth, 0);
  EXPECT_EQ(host.Stats.Nodes, 0);
  EXPECT_EQ(Lines(host.EngineLog()).size(), 4u);
  host.Eng.ShowText("Hash clear");
  EXPECT_TRUE(Posts.empty());
}

TEST_F(Progress, ReportsDuringAnAnalysisReachTheHost) {
  host.SetAnalyseHook([](const EngineCallbacks* engine) {
    engine->ShowDepth(1, 0);
    engine->ShowMove("d2d4", 1, 20);
    engine->ShowNodes(20, 0);
    engine->ShowMainline("d2d4 ", 12);
  });
  GameRecord game{};
  game.StartsFromInitial = 1;
  game.TimeMode = TimeModeDepth;
  game.Depth = 1;
  host.Eng.Eng9(&game);
  EXPECT_EQ(Messages(), (std::vector<int32_t>{MessageAnalysisStart, MessageDepth, MessageMainline}));
  EXPECT_EQ(host.Analysis.Mainline[0], 3 | 1 << 3 | 3 << 6 | 3 << 9);
  EXPECT_EQ(host.Stats.Nodes, 20);
  EXPECT_EQ(host.Analysis.Seconds, 0u);  // well under half a second
}
