// The host's bench must search the engine bench's positions, or the two node
// counts stop being comparable.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>

#include "../../host/bench_positions.h"

TEST(HostBench, PositionsMatchTheEngineBench) {
  std::ifstream in(std::string(OBRANTULE_SOURCE_DIR) + "/tools/dev/benchpositions.cpp");
  if (!in) GTEST_SKIP() << "engine bench positions not present";
  std::stringstream text;
  text << in.rdbuf();
  std::string source = text.str();
  std::regex entry("\\{\"([^\"]+)\", \"([^\"]+)\"\\}");
  int32_t index = 0;
  for (auto it = std::sregex_iterator(source.begin(), source.end(), entry); it != std::sregex_iterator(); ++it) {
    ASSERT_LT(index, BenchEntryCount);
    EXPECT_EQ((*it)[1].str(), BenchEntries[index].Name);
    EXPECT_EQ((*it)[2].str(), BenchEntries[index].Fen);
    ++index;
  }
  EXPECT_EQ(index, BenchEntryCount);
}
