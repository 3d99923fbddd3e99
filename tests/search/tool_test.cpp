// obrantule-dev search and bench as programs: their output contract.
#include <gtest/gtest.h>

#include <string>

#include "../common/test_support.h"

namespace {

std::string RunDevTool(const std::string& arguments, int* status) { return RunProgram("obrantule-dev", arguments, status); }

}  // namespace

TEST(SearchTool, PrintsEveryReportAndTheBestMoveLast) {
  int status = -1;
  const std::string out = RunDevTool("search --depth 3 startpos e2e4 e7e5", &status);
  EXPECT_EQ(status, 0);
  EXPECT_NE(out.find("ShowDepth 1 0\n"), std::string::npos);
  EXPECT_NE(out.find("ShowMove \""), std::string::npos);
  EXPECT_NE(out.find("ShowNodes "), std::string::npos);
  EXPECT_NE(out.find("\nall nodes "), std::string::npos);
  const size_t mainline = out.rfind("ShowMainline \"");
  ASSERT_NE(mainline, std::string::npos);
  const std::string first = out.substr(mainline + 14, out.find(' ', mainline + 14) - mainline - 14);
  EXPECT_EQ(LastLine(out), "bestmove " + first);
}

TEST(SearchTool, NoLineAtMateAndRefusedMoves) {
  int status = -1;
  std::string out = RunDevTool("search --depth 2 \"3R2k1/5ppp/8/8/8/8/5PPP/6K1 b - - 0 1\"", &status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(out.find("ShowMainline"), std::string::npos);
  EXPECT_EQ(LastLine(out), "bestmove (none)");
  out = RunDevTool("search --depth 2 startpos e2e5", &status);
  EXPECT_NE(status, 0);
  EXPECT_NE(out.find("not a move"), std::string::npos);
  out = RunDevTool("search --depth 0", &status);
  EXPECT_NE(status, 0);
}

TEST(SearchTool, BenchEndsWithItsTwoLines) {
  int status = -1;
  const std::string out = RunDevTool("bench 2", &status);
  EXPECT_EQ(status, 0);
  EXPECT_NE(out.find("Nodes searched: "), std::string::npos);
  EXPECT_EQ(LastLine(out).rfind("Nodes/second: ", 0), 0u);
}
