// Perft counts against published values: move generation, make/unmake and
// the legality test together.
#include <gtest/gtest.h>

#include "engine/engine.h"
#include "engine/perft.h"

namespace {

struct PerftCase {
  const char* Text;  // nullptr: the start position
  int32_t Depth;
  uint64_t Nodes;
};

uint64_t CountFrom(const char* text, int32_t depth) {
  static bool initialised = false;
  if (!initialised) {
    ObrantuleInit(8, nullptr, "", 0);
    initialised = true;
  }
  if (text == nullptr) SetUpStart();
  else SetUpFromText(text);
  InstallGamePosition();
  PerftOverflow = 0;
  const uint64_t nodes = Perft(depth);
  EXPECT_EQ(PerftOverflow, 0);
  EXPECT_EQ(Ply, 0);
  EXPECT_TRUE(PositionIsConsistent());
  return nodes;
}

const char* const Kiwipete = "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1";
const char* const RookEnding = "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1";
const char* const Promotions = "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1";
const char* const Bishops = "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8";
const char* const Symmetric = "r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10";

// Depths that keep the default run short; the full depths run as Slow tests.
const PerftCase Shallow[] = {
    {nullptr, 1, 20},        {nullptr, 2, 400},         {nullptr, 3, 8902},      {nullptr, 4, 197281},
    {Kiwipete, 1, 48},       {Kiwipete, 2, 2039},       {Kiwipete, 3, 97862},    {RookEnding, 1, 14},
    {RookEnding, 2, 191},    {RookEnding, 3, 2812},     {RookEnding, 4, 43238},  {Promotions, 1, 6},
    {Promotions, 2, 264},    {Promotions, 3, 9467},     {Bishops, 1, 44},        {Bishops, 2, 1486},
    {Bishops, 3, 62379},     {Symmetric, 1, 46},        {Symmetric, 2, 2079},    {Symmetric, 3, 89890},
};

const PerftCase Full[] = {
    {nullptr, 5, 4865609},  {Kiwipete, 4, 4085603},  {RookEnding, 5, 674624},
    {Promotions, 4, 422333}, {Bishops, 4, 2103487},   {Symmetric, 4, 3894594},
};

}  // namespace

TEST(Perft, KnownCountsAtShallowDepths) {
  for (const PerftCase& c : Shallow)
    EXPECT_EQ(CountFrom(c.Text, c.Depth), c.Nodes) << (c.Text ? c.Text : "start position") << " depth " << c.Depth;
}

TEST(PerftSlow, KnownCountsAtFullDepths) {
  for (const PerftCase& c : Full)
    EXPECT_EQ(CountFrom(c.Text, c.Depth), c.Nodes) << (c.Text ? c.Text : "start position") << " depth " << c.Depth;
}
