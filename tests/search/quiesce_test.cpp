// The quiescence search and the move picker, called directly: stand pat,
// no stand pat in check at the first quiescence ply, the depth floor, and
// the picker's switch from best-first to list order.
#include <gtest/gtest.h>

#include "engine/eval.h"
#include "engine/search.h"
#include "searchtest.h"

TEST(Quiesce, StandPatCheckAndDepthFloor) {
  struct Case {
    const char* Text;
    int32_t Alpha, Beta, Depth;
    int32_t Expect;  // 0: the static score of the same window; 1: above it; 2: exactly 0
    int32_t Nodes;   // nodes counted (0: more than one)
  };
  const Case cases[] = {
      // No capture: the static score, one node.
      {"4k3/8/8/8/8/8/4P3/4K3 w - - 0 1", -32000, 32000, -1, 0, 1},
      // A free rook: taken at -1; at the depth floor -12 the static score
      // without generating; with the static score at beta, a cut-off.
      {"4k3/8/8/3r4/8/8/8/3QK3 w - - 0 1", -32000, 32000, -1, 1, 0},
      {"4k3/8/8/3r4/8/8/8/3QK3 w - - 0 1", -32000, 32000, -12, 0, 1},
      {"4k3/8/8/3r4/8/8/8/3QK3 w - - 0 1", -32000, -1000, -1, 0, 1},
      // In check without a capture: at -1 no stand pat, the node scores 0; at
      // -2 it stands pat like a quiet node.
      {"4r1k1/8/8/8/8/8/8/4K3 w - - 0 1", -32000, 32000, -1, 2, 1},
      {"4r1k1/8/8/8/8/8/8/4K3 w - - 0 1", -32000, 32000, -2, 0, 1},
  };
  for (const Case& c : cases) {
    LoadPosition(c.Text);
    const int32_t stat = Evaluate(c.Alpha, c.Beta);
    NodeCount = 0;
    MoveListTop = ListStart[0] = 0;
    const int32_t v = Quiesce(c.Alpha, c.Beta, c.Depth);
    const std::string what = std::string(c.Text) + " depth " + std::to_string(c.Depth);
    const int32_t expected = c.Expect == 0 ? stat : c.Expect == 2 ? 0 : v;
    EXPECT_EQ(v, expected) << what;
    if (c.Expect == 1) {
      EXPECT_GT(v, stat + 300) << what;
    }
    EXPECT_EQ(c.Nodes != 0 ? NodeCount == uint32_t(c.Nodes) : NodeCount > 1, true) << what << ": " << NodeCount << " nodes";
    EXPECT_EQ(Ply, 0);
  }
}

TEST(PickNextMove, BestFirstForTenPicksThenListOrder) {
  EnsureEngine();
  const int16_t scores[14] = {2, 90, 3, 80, 7, 70, 1, 60, 9, 50, 100, 5, 40, 7};
  Ply = 0;
  ListStart[0] = 0;
  ListStart[1] = 14;
  for (int32_t i = 0; i < 14; ++i) MoveList[i] = MoveEntry{scores[i], uint8_t(21 + i), uint8_t(41 + i), 0, 0, 0};
  // Ten by score (equal scores: the earlier entry), then the rest as listed
  // (by score it would be 11, 2, 0, 6).
  const int32_t expected[15] = {10, 1, 3, 5, 7, 9, 12, 8, 4, 13, 0, 2, 6, 11, EndOfListSlot};
  for (int32_t picked = 0; picked < 15; ++picked) {
    const int32_t m = PickNextMove(picked);
    EXPECT_EQ(m, expected[picked]) << "pick " << picked + 1;
    EXPECT_EQ(MoveList[m].Score, PickedScore);
  }
}
