// The host's bench must search the engine bench's positions, or the two node
// counts stop being comparable.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "../../host/bench_positions.h"

TEST(HostBench, PositionsMatchTheEngineBench) {
  std::ifstream in(std::string(OBRANTULE_SOURCE_DIR) + "/tools/dev/benchpositions.cpp");
  if (!in) GTEST_SKIP() << "engine bench positions not present";
  std::stringstream text;
  text << in.rdbuf();
  std::string source = text.str();
  // Entries read {"name", "fen"}.
  int32_t index = 0;
  for (size_t at = source.find("{\""); at != std::string::npos; at = source.find("{\"", at + 1)) {
    size_t nameEnd = source.find('"', at + 2);
    size_t fenStart = source.find("\", \"", nameEnd);
    if (nameEnd == std::string::npos || fenStart != nameEnd) continue;
    size_t fenEnd = source.find('"', fenStart + 4);
    ASSERT_NE(fenEnd, std::string::npos);
    ASSERT_LT(index, BenchEntryCount);
    EXPECT_EQ(source.substr(at + 2, nameEnd - at - 2), BenchEntries[index].Name);
    EXPECT_EQ(source.substr(fenStart + 4, fenEnd - fenStart - 4), BenchEntries[index].Fen);
    ++index;
  }
  EXPECT_EQ(index, BenchEntryCount);
}
