// Perft counts against published values: move generation, make/unmake and
// the legality test together.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../common/test_support.h"
#include "engine/engine.h"
#include "engine/perft.h"
#include "engine/root.h"
#include "engine_test_util.h"

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
// A rook is taken on its home square and another rook (or the one that took)
// stands there later: no castling with it (counts from an independent perft).
const char* const RookTakenAtHome = "4k3/8/8/7R/8/8/7r/4K2R b K - 0 1";
const char* const RookTakenByBishop = "1k6/1b6/8/8/7R/8/8/4K2R b K - 0 1";

// Depths that keep the default run short; the full depths run as Slow tests.
// (Depth 3 of Kiwipete, Promotions and Bishops: EachRootMoveAsASearchMoveAndAsAGameMove.)
const PerftCase Shallow[] = {
    {nullptr, 1, 20},     {nullptr, 2, 400},      {nullptr, 3, 8902},      {nullptr, 4, 197281},
    {Kiwipete, 1, 48},    {Kiwipete, 2, 2039},    {RookEnding, 1, 14},     {RookEnding, 2, 191},
    {RookEnding, 3, 2812}, {RookEnding, 4, 43238}, {Promotions, 1, 6},      {Promotions, 2, 264},
    {Bishops, 1, 44},     {Bishops, 2, 1486},     {Symmetric, 1, 46},      {Symmetric, 2, 2079},
    {Symmetric, 3, 89890},
    {RookTakenAtHome, 4, 91760}, {RookTakenByBishop, 4, 85765},
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

namespace {

// Positions reached by game moves (so that en passant is set up the engine's
// way), and promotions deep in the tree.
struct GameLineCase {
  const char* Text;
  std::vector<const char*> Moves;
  int32_t Depth;
  uint64_t Nodes;
};

uint64_t CountAfterMoves(const GameLineCase& c) {
  EnsureEngine();
  if (c.Text == nullptr) SetUpStart();
  else SetUpFromText(c.Text);
  for (const char* move : c.Moves) EXPECT_EQ(Enter(move), 0) << move;
  InstallGamePosition();
  PerftOverflow = 0;
  return Perft(c.Depth);
}

const char* const PromotionRace = "n1n5/PPPk4/8/8/8/8/4Kppp/5N1N b - - 0 1";
const char* const EnPassantPin = "8/8/1k6/2b5/2p5/8/3P1K2/8 w - - 0 1";

}  // namespace

TEST(Perft, EnPassantAndPromotionLines) {
  const GameLineCase cases[] = {
      {EnPassantPin, {"d2d4"}, 4, 13931},
      {PromotionRace, {}, 4, 182838},
  };
  for (const GameLineCase& c : cases) EXPECT_EQ(CountAfterMoves(c), c.Nodes) << (c.Text ? c.Text : "start");
}

// Each root move made by the search and the same move entered as a game
// move lead to the same counts one ply shallower: the search's and the
// game's bookkeeping (castling, en passant, promotions, counters) agree.
TEST(Perft, EachRootMoveAsASearchMoveAndAsAGameMove) {
  const GameLineCase cases[] = {
      {Kiwipete, {}, 3, 97862},
      {Promotions, {}, 3, 9467},
      {Bishops, {}, 3, 62379},
      {nullptr, {"e2e4", "d7d5", "e4e5", "f7f5"}, 3, 21637},
      {EnPassantPin, {"d2d4"}, 3, 0},
      {PromotionRace, {}, 3, 0},
      {"r3k2r/8/8/8/8/8/8/R3K2R w Kq - 0 1", {}, 3, 0},
  };
  for (const GameLineCase& c : cases) {
    const std::string name = std::string(c.Text ? c.Text : "start") + (c.Moves.empty() ? "" : " + moves");
    CountAfterMoves(c);  // sets the position up
    InstallGamePosition();
    MoveListTop = ListStart[0] = 0;
    GenerateMoves();
    const int32_t end = AppendUnderPromotions(0, GeneratedCount);
    MoveListTop = ListStart[1] = end;
    std::vector<std::pair<std::string, uint64_t>> searched;
    uint64_t total = 0;
    for (int32_t i = 0; i < end; ++i) {
      MakeMove(i);
      if (!MoverKingAttacked()) {
        searched.emplace_back(MoveText(i), Perft(c.Depth - 1));
        total += searched.back().second;
      }
      UnmakeMove(i);
    }
    if (c.Nodes != 0) {
      EXPECT_EQ(total, c.Nodes) << name;
    }
    for (const auto& [move, nodes] : searched) {
      GameLineCase entered = c;
      entered.Moves.push_back(move.c_str());
      entered.Depth = c.Depth - 1;
      EXPECT_EQ(CountAfterMoves(entered), nodes) << name << " " << move;
    }
  }
}

TEST(PerftSlow, EnPassantAndPromotionLinesDeeper) {
  const GameLineCase cases[] = {
      {nullptr, {"e2e4", "d7d5", "e4e5", "f7f5"}, 4, 524138},
      {EnPassantPin, {"d2d4"}, 5, 206379},
      {PromotionRace, {}, 5, 3605103},
  };
  for (const GameLineCase& c : cases) EXPECT_EQ(CountAfterMoves(c), c.Nodes) << (c.Text ? c.Text : "start");
}

namespace {

// Runs obrantule-dev with ARGS; answers its exit status, the output in OUTPUT.
int RunDevTool(const std::string& args, std::string& output) {
  int status = -1;
  output = RunProgram("obrantule-dev", args, &status, true);
  return status;
}

}  // namespace

TEST(PerftTool, PrintsOneLinePerRootMoveAndTheTotal) {
  std::string out;
  ASSERT_EQ(RunDevTool("perft 2 startpos e2e4 d7d5 e4e5 f7f5", out), 0);
  EXPECT_NE(out.find("e5f6: 29\n"), std::string::npos) << out;
  EXPECT_NE(out.find("e1e2: "), std::string::npos);
  EXPECT_EQ(out.substr(out.size() - 11), "Nodes: 707\n") << out;
  ASSERT_EQ(RunDevTool("perft 1 8/4P3/8/8/8/8/k7/7K w - - 0 1", out), 0);
  for (const char* line : {"e7e8Q: 1\n", "e7e8R: 1\n", "e7e8B: 1\n", "e7e8N: 1\n", "h1g1: 1\n"})
    EXPECT_NE(out.find(line), std::string::npos) << line;
  EXPECT_NE(out.find("Nodes: 7\n"), std::string::npos) << out;
}

TEST(PerftTool, RefusesBadArguments) {
  std::string out;
  EXPECT_NE(RunDevTool("perft", out), 0);
  EXPECT_NE(RunDevTool("perft x", out), 0);
  EXPECT_NE(RunDevTool("perft 0", out), 0);
  EXPECT_NE(RunDevTool("perft 99", out), 0);
  EXPECT_NE(RunDevTool("perft 2 startpos e2e5", out), 0);
  EXPECT_NE(RunDevTool("perft 2 startpos e2e4 e2e4", out), 0);
  EXPECT_NE(RunDevTool("perft 2 notaposition", out), 0);
  // A pseudo-legal move that leaves the king attacked is refused too.
  EXPECT_NE(RunDevTool("perft 1 4k3/8/8/8/8/8/4r3/4K3 w - - 0 1 e1f2", out), 0);
  // No playable position (here: no white king) is a clear error, not a crash.
  EXPECT_EQ(RunDevTool("perft 1 \"4k3/8/8/8/8/8/8/7R w\"", out), 1);
  EXPECT_NE(RunDevTool("nosuchcommand", out), 0);
}

TEST(PerftSlow, KnownCountsAtFullDepths) {
  for (const PerftCase& c : Full)
    EXPECT_EQ(CountFrom(c.Text, c.Depth), c.Nodes) << (c.Text ? c.Text : "start position") << " depth " << c.Depth;
}

TEST(Perft, OddPositionsStayConsistent) {
  // Texts are not validated: missing or extra kings, pawns on the back
  // ranks, touching kings. Generation and make/unmake must stay exact.
  const char* fixed[] = {
      "PPPPPPPP/8/8/8/8/8/8/pppppppp w - - 0 1", "8/8/8/8/8/8/8/8 w - - 0 1",
      "kK6/8/8/8/8/8/8/8 b - - 0 1",             "4k3/8/8/8/8/8/8/K3K2k w - - 0 1",
      "pppppppp/PPPPPPPP/8/8/8/8/pppppppp/PPPPPPPP b - - 0 1",
  };
  for (const char* text : fixed) {
    SearchPosition(text);
    Perft(3);
    EXPECT_TRUE(PositionIsConsistent()) << text;
    EXPECT_EQ(Ply, 0);
  }
  uint32_t seed = 99;
  for (int32_t n = 0; n < 200; ++n) {
    std::string text;
    for (int32_t rank = 0; rank < 8; ++rank) {
      for (int32_t file = 0; file < 8; ++file) {
        seed = seed * 1664525u + 1013904223u;
        const char pieces[] = "PNBRQKpnbrqk";
        text += (seed >> 24) % 6 == 0 ? pieces[(seed >> 8) % 12] : '1';
      }
      if (rank < 7) text += '/';
    }
    text += (seed & 1) ? " w" : " b";
    SearchPosition(text.c_str());
    Perft(2);
    ASSERT_TRUE(PositionIsConsistent()) << text;
  }
}
