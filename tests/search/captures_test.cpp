// Capture generation: the cheap scores, the margin test, queen promotions,
// and a differential check against the full generator.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <tuple>

#include "engine/captures.h"
#include "searchtest.h"

namespace {

struct Listed {
  int32_t From, To, Flag, Score;
};

std::vector<Listed> Captures(int32_t reference, int32_t bound) {
  MoveListTop = ListStart[Ply];
  GenerateCaptures(reference, bound);
  std::vector<Listed> out;
  for (int32_t i = ListStart[Ply]; i < ListStart[Ply] + GeneratedCount; ++i)
    out.push_back({MoveList[i].From, MoveList[i].To, MoveList[i].Flag, MoveList[i].Score});
  return out;
}

const Listed* Find(const std::vector<Listed>& list, int32_t from, int32_t to) {
  for (const Listed& m : list)
    if (m.From == from && m.To == to) return &m;
  return nullptr;
}

}  // namespace

TEST(Captures, ScoresVictimFirstWithoutExchangeTest) {
  // Only captures: e4xd5, Nc3xb5, Nc3xd5, Qd1xd5, Qd1xh5, Rh1xh5; then
  // Bb2xc3 alone, a less valuable victim scored by value: 325 - 350/32.
  const char* const first = "4k3/8/8/1b1q3p/4P3/2N5/8/3QK2R w - - 0 1";
  const char* const second = "4k3/8/8/3p4/8/2n5/1B6/Q3K3 w - - 0 1";
  const struct {
    const char* Text;
    size_t Count;
    int32_t From, To, Score;
  } cases[] = {{first, 6, 55, 64, 17117},           {first, 6, 43, 62, 5590},
               {first, 6, 24, 64, 16 * 1070 - 1070 / 32}, {first, 6, 24, 68, 67},
               {first, 6, 28, 68, 100 - 500 / 32},  {second, 1, 32, 43, 315}};
  for (const auto& c : cases) {
    LoadPosition(c.Text);
    const auto list = Captures(-32000, 32000);
    EXPECT_EQ(list.size(), c.Count) << c.Text;
    const Listed* move = Find(list, c.From, c.To);
    ASSERT_NE(move, nullptr) << c.From << "-" << c.To;
    EXPECT_EQ(move->Score, c.Score) << c.From << "-" << c.To;
  }
}

TEST(Captures, MarginDropsCapturesThatCannotReachTheWindow) {
  LoadPosition("4k3/8/8/3q3p/4P1P1/8/8/4K3 w - - 0 1");
  const auto list = Captures(1000, 100);
  EXPECT_EQ(Find(list, 57, 68), nullptr);  // g4xh5: 1000 - 100 >= 520
  EXPECT_NE(Find(list, 55, 64), nullptr);  // e4xd5: 1000 - 1070 < 520
  // The margin is strict: 619 - 100 = 519 < 520 keeps the pawn capture.
  EXPECT_NE(Find(Captures(619, 100), 57, 68), nullptr);
  EXPECT_EQ(Find(Captures(620, 100), 57, 68), nullptr);
}

TEST(Captures, PromotionsComeAsQueensPushFirst) {
  LoadPosition("r3k3/1P6/8/8/8/8/8/4K3 w - - 0 1");
  const auto list = Captures(-32000, 32000);
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0].From, 82);
  EXPECT_EQ(list[0].To, 92);  // push b7-b8
  EXPECT_EQ(list[1].To, 91);  // capture b7xa8
  for (const Listed& m : list) {
    EXPECT_EQ(m.Flag, Queen);
    EXPECT_EQ(m.Score, 20000);
  }
  // A blocked pawn without captures yields nothing.
  LoadPosition("1n2k3/1P6/8/8/8/8/8/4K3 w - - 0 1");
  EXPECT_TRUE(Captures(-32000, 32000).empty());
  // Black promotes the same way, and never takes a king.
  LoadPosition("4k3/8/8/8/8/8/6p1/5NK1 b - - 0 1");
  const auto black = Captures(-32000, 32000);
  ASSERT_EQ(black.size(), 1u);
  EXPECT_EQ(black[0].To, 26);  // g2xf1=Q; g1 is the king, g2-g1 is blocked
  EXPECT_EQ(black[0].Flag, Queen);
}

TEST(Captures, EnPassantScores1200) {
  LoadPosition("4k3/8/8/8/3p4/8/4P3/4K3 w - - 0 1", {"e2e4"});
  const auto list = Captures(-32000, 32000);
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].From, 54);
  EXPECT_EQ(list[0].To, 45);
  EXPECT_EQ(list[0].Score, 1200);
  EXPECT_EQ(MoveList[ListStart[0]].Extra, 55);
  EXPECT_EQ(MoveList[ListStart[0]].Captured, 1);
}

// Every capture and queen promotion of the full generator, and nothing else,
// comes out of the capture generator when the margin lets everything pass.
TEST(Captures, SameTacticalMovesAsTheFullGeneratorOverRandomPlay) {
  std::mt19937 random(12345);
  const char* starts[] = {
      "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
      "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
      "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
      "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
  };
  // The moves played stay in the first slots; every ply generates above them.
  constexpr int32_t Played = 48;
  int32_t checked = 0;
  for (const char* start : starts) {
    for (int32_t game = 0; game < 8; ++game) {
      LoadPosition(start);
      for (int32_t step = 0; step < 40; ++step) {
        typedef std::tuple<int32_t, int32_t, int32_t> Key;
        std::set<Key> full, tactical;
        ListStart[Ply] = MoveListTop = Played;
        GenerateMoves();
        const int32_t fullEnd = Played + GeneratedCount;
        for (int32_t i = Played; i < fullEnd; ++i) {
          const MoveEntry& m = MoveList[i];
          const bool promotion = IsPromotionFlag(m.Flag);
          if ((m.Captured != 0 && !promotion) || m.Flag == Queen) full.insert(Key(m.From, m.To, m.Flag));
        }
        // The capture generator writes above the full list so both can be compared.
        MoveListTop = fullEnd;
        GenerateCaptures(-32000, 32000);
        for (int32_t i = fullEnd; i < fullEnd + GeneratedCount; ++i)
          tactical.insert(Key(MoveList[i].From, MoveList[i].To, MoveList[i].Flag));
        EXPECT_EQ(full, tactical) << start << " step " << step;
        ++checked;
        std::vector<int32_t> legal;
        for (int32_t i = Played; i < fullEnd; ++i) {
          MakeMove(i);
          if (!MoverKingAttacked()) legal.push_back(i);
          UnmakeMove(i);
        }
        if (legal.empty()) break;
        MoveList[step] = MoveList[legal[random() % legal.size()]];
        MakeMove(step);
      }
      while (Ply > 0) UnmakeMove(PlyMove[Ply]);
      EXPECT_TRUE(PositionIsConsistent());
    }
  }
  EXPECT_GT(checked, 500);
}
