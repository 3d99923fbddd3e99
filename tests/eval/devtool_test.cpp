// obrantule-dev eval: its last line is the evaluation the engine computes
// for the position set up as an analysis sets it up.
#include <gtest/gtest.h>

#include <string>

#include "../common/test_support.h"
#include "evaltestsupport.h"

namespace {

std::string RunDevTool(const std::string& arguments, int& status) {
  return RunProgram("obrantule-dev", arguments, &status);
}

TEST(EvalDevTool, LastLineIsTheEvaluation) {
  const char* const texts[] = {
      "r1bqk2r/pp2bppp/2n1pn2/2pp4/3P4/2PBPN2/PP1N1PPP/R1BQK2R b KQkq - 0 1",
      "8/8/8/P7/7k/8/8/4K3 w - - 0 1",
      "7k/8/8/8/8/8/8/KBN5 b - - 0 1",
      "4k3/8/8/8/8/8/p7/1N1NK3 w - - 0 1",
      "4k3/8/8/8/8/8/8/2B1K1n1 w - - 0 1",
  };
  for (const char* text : texts) {
    SCOPED_TRACE(text);
    SetPosition(text);
    const int32_t expected = EvaluateRoot();
    int status = 0;
    const std::string output = RunDevTool(std::string("eval \"") + text + "\"", status);
    EXPECT_EQ(status, 0) << output;
    EXPECT_EQ(LastLine(output), "Evaluation: " + std::to_string(expected)) << output;
  }
}

TEST(EvalDevTool, MovesAreEnteredFirstAndBadInputIsRefused) {
  int status = 0;
  std::string output = RunDevTool("eval startpos e2e4 e7e5 g1f3", status);
  EXPECT_EQ(status, 0) << output;
  EXPECT_NE(output.find("Side to move: black"), std::string::npos) << output;
  EXPECT_EQ(LastLine(output).rfind("Evaluation: ", 0), 0u) << output;
  output = RunDevTool("eval startpos e2e5", status);
  EXPECT_NE(status, 0);
  output = RunDevTool("eval --window 5 1", status);
  EXPECT_NE(status, 0);
  output = RunDevTool("eval --window 300 301", status);
  EXPECT_EQ(status, 0) << output;
  EXPECT_NE(output.find("lazy exit"), std::string::npos) << output;
}

}  // namespace
