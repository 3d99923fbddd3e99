// The bench signature: the summed node count of the bench positions. Any
// change of search behaviour changes it, so a change of this number must be
// deliberate (and the README's signature updated with it).
#include <gtest/gtest.h>

#include "benchpositions.h"
#include "searchtest.h"

namespace {

int64_t BenchNodes(int32_t depth) {
  int64_t total = 0;
  for (int32_t k = 0; k < BenchPositionCount; ++k) {
    BenchResult result;
    BenchSearch(BenchPositions[k], depth, &result);
    EXPECT_GT(result.Nodes, 0) << BenchPositions[k].Name;
    total += result.Nodes;
  }
  return total;
}

}  // namespace

TEST(Bench, SignatureAtDepthFour) { EXPECT_EQ(BenchNodes(4), 165086); }

TEST(BenchSlow, SignatureAtTheDefaultDepth) {
  ASSERT_EQ(BenchDefaultDepth, 8);
  EXPECT_EQ(BenchNodes(BenchDefaultDepth), 22864159);
}
