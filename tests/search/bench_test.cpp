// The bench signature: the summed node counts of the bench positions (every
// node, and the counts reported with the last lines). Any
// change of search behaviour changes it, so a change of this number must be
// deliberate (and the README's signature updated with it).
#include <gtest/gtest.h>

#include "benchpositions.h"
#include "searchtest.h"

namespace {

struct BenchTotals {
  int64_t Nodes;
  int64_t Reported;
};

BenchTotals BenchNodes(int32_t depth) {
  BenchTotals total{0, 0};
  for (int32_t k = 0; k < BenchPositionCount; ++k) {
    BenchResult result;
    BenchSearch(BenchPositions[k], depth, &result);
    EXPECT_GT(result.ReportedNodes, 0) << BenchPositions[k].Name;
    EXPECT_LE(result.ReportedNodes, result.Nodes) << BenchPositions[k].Name;
    total.Nodes += result.Nodes;
    total.Reported += result.ReportedNodes;
  }
  return total;
}

}  // namespace

TEST(Bench, SignatureAtDepthFour) {
  BenchTotals total = BenchNodes(4);
  EXPECT_EQ(total.Nodes, 165071);
  EXPECT_EQ(total.Reported, 119800);
}

TEST(BenchSlow, SignatureAtTheDefaultDepth) {
  ASSERT_EQ(BenchDefaultDepth, 8);
  BenchTotals total = BenchNodes(BenchDefaultDepth);
  EXPECT_EQ(total.Nodes, 22877006);
  EXPECT_EQ(total.Reported, 12291101);
}
