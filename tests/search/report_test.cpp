// Move text and the principal-variation report.
#include <gtest/gtest.h>

#include <algorithm>

#include "engine/report.h"
#include "engine/root.h"
#include "engine/search.h"
#include "searchtest.h"

namespace {

// Writes a line of moves (from, to, flag) into row 0 of the table.
void SetLine(const std::vector<std::vector<int32_t>>& moves) {
  int32_t k = 0;
  for (const auto& m : moves) {
    PVTable[0][k] = MoveEntry{0, uint8_t(m[0]), uint8_t(m[1]), 0, uint8_t(m.size() > 2 ? m[2] : 0), 0};
    ++k;
  }
  PVTable[0][k].From = 0;
}

// Reports the line of row 0 from the current position: the texts sent.
std::vector<std::string> Report(const std::vector<std::vector<int32_t>>& moves) {
  SetLine(moves);
  Reported.Clear();
  ReportPV();
  std::vector<std::string> lines;
  for (const auto& line : Reported.Mainlines) lines.push_back(line.first);
  EXPECT_EQ(Reported.Nodes.size(), lines.size());
  return lines;
}

const char* const Start = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

}  // namespace

TEST(Report, MoveTextIsLowerCaseWithUpperCasePromotion) {
  MoveList[SwapSlot] = MoveEntry{0, 85, 95, 0, Queen, 0};
  EXPECT_STREQ(MoveText(SwapSlot), "e7e8Q");
  MoveList[SwapSlot].Flag = Bishop;
  EXPECT_STREQ(MoveText(SwapSlot), "e7e8B");
  MoveList[SwapSlot] = MoveEntry{0, 25, 27, 0, CastleKingSide, 0};
  EXPECT_STREQ(MoveText(SwapSlot), "e1g1");
  MoveList[SwapSlot] = MoveEntry{0, 0, 27, 0, 0, 0};
  EXPECT_STREQ(MoveText(SwapSlot), "--g1");
}

TEST(Report, SendsNodesThenTheLineWithATrailingBlank) {
  LoadPosition(Start);
  SetLine({{35, 55}, {85, 65}});
  BestScore = 27;
  NodeCount = 1234;
  Reported.Clear();
  ReportPV();
  ASSERT_EQ(Reported.Nodes.size(), 1u);
  EXPECT_EQ(Reported.Nodes[0], 1234);
  ASSERT_EQ(Reported.Mainlines.size(), 1u);
  EXPECT_EQ(Reported.Mainlines[0].first, "e2e4 e7e5 ");
  EXPECT_EQ(Reported.Mainlines[0].second, 27);
}

TEST(Report, MateScoresAreShownNearerToZero) {
  LoadPosition(Start);
  SetLine({{35, 55}});
  const std::pair<int32_t, int32_t> cases[] = {
      {31999, 29999}, {-31998, -29998}, {31899, 31899}, {-31899, -31899}, {31900, 29900}, {0, 0}};
  for (const auto& c : cases) {
    BestScore = c.first;
    Reported.Clear();
    ReportPV();
    ASSERT_EQ(Reported.Mainlines.size(), 1u);
    EXPECT_EQ(Reported.Mainlines[0].second, c.second) << c.first;
  }
}

TEST(Report, LongLinesAreCutAfterTwentyTwoMoves) {
  LoadPosition(Start);
  // The knights go out and back: a legal line of any length.
  std::vector<std::vector<int32_t>> line;
  const int32_t dance[4][2] = {{27, 46}, {97, 76}, {46, 27}, {76, 97}};
  for (int32_t k = 0; k < 30; ++k) line.push_back({dance[k % 4][0], dance[k % 4][1]});
  const std::vector<std::string> lines = Report(line);
  ASSERT_EQ(lines.size(), 1u);
  const std::string& text = lines[0];
  EXPECT_EQ(std::count(text.begin(), text.end(), ' '), 22);
  EXPECT_EQ(text.substr(0, 20), "g1f3 g8f6 f3g1 f6g8 ");
  EXPECT_EQ(Ply, 0);
  EXPECT_TRUE(PositionIsConsistent());
}

TEST(Report, EmptyAndIllegalLinesAreCutOrNotSent) {
  LoadPosition(Start);
  using Lines = std::vector<std::string>;
  EXPECT_EQ(Report({}), Lines{});
  // A first move that is no move of the position: nothing at all.
  EXPECT_EQ(Report({{35, 65}, {85, 65}}), Lines{});
  // A legal start followed by a stale tail: the line stops before the tail.
  EXPECT_EQ(Report({{35, 55}, {85, 65}, {55, 65}, {27, 46}}), Lines{"e2e4 e7e5 "});
  // A move that leaves the own king attacked stops the line too (Kf2 is
  // attacked by the rook on e2).
  LoadPosition("4k3/8/8/8/8/8/4r3/4K3 w - - 0 1");
  EXPECT_EQ(Report({{25, 35}, {95, 85}}), Lines{"e1e2 e8e7 "});
  EXPECT_EQ(Report({{25, 36}}), Lines{});
  // The replay leaves the position as it was.
  EXPECT_EQ(Ply, 0);
  EXPECT_TRUE(PositionIsConsistent());
}

TEST(Report, UnderpromotionsDeepInTheLineAreKept) {
  // The promotion at the fifth move of the line is replayed with its own piece,
  // although the generator lists only the queen that deep.
  LoadPosition("8/5P2/8/8/8/8/k7/7K w - - 0 1");
  EXPECT_EQ(Report({{28, 27}, {31, 22}, {27, 28}, {22, 31}, {86, 96, Knight}}),
            std::vector<std::string>{"h1g1 a2b1 g1h1 b1a2 f7f8N "});
}
