// The search through the engine's exports: forced mates, determinism, draws,
// roots without a legal move, and tablebase answers through the callback.
#include <gtest/gtest.h>

#include <cstring>

#include "engine/search.h"
#include "engine/eval.h"
#include "engine/root.h"
#include <algorithm>
#include "searchtest.h"

namespace {

struct MateCase {
  const char* Text;
  int32_t Moves;       // mate in this many moves of the winner
  const char* First;   // the mating first move, when it is the only one
};

// A mate in n is found n plies... scored 32000 - 2n + 1 - 1 and shown 2000 nearer zero.
int32_t ReportedMateScore(int32_t moves) { return 30000 - 2 * moves; }

}  // namespace

TEST(Search, FindsMatesInOneTwoAndThree) {
  const MateCase cases[] = {
      {"6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - 0 1", 1, "d1d8"},
      {"3r2k1/5ppp/8/8/8/8/5PPP/6K1 b - - 0 1", 1, "d8d1"},
      {"r5rk/6pp/7N/8/8/8/6PP/1Q4K1 w - - 0 1", 1, "h6f7"},
      {"k7/8/2K5/8/8/8/8/7R w - - 0 1", 2, "c6b6"},
      {"6k1/6p1/6K1/8/8/8/8/7R w - - 0 1", 2, "h1f1"},
      {"7k/8/8/8/8/8/R7/1R4K1 w - - 0 1", 2, nullptr},
      {"8/6k1/8/8/8/8/R7/1R4K1 w - - 0 1", 3, nullptr},
      {"6k1/5p1p/6p1/8/8/8/1Q3PPP/1R4K1 w - - 0 1", 3, nullptr},
  };
  for (const MateCase& c : cases) {
    const std::string line = AnalyseToDepth(c.Text, 2 * c.Moves + 1);
    ASSERT_FALSE(Reported.Mainlines.empty()) << c.Text;
    EXPECT_EQ(Reported.Mainlines.back().second, ReportedMateScore(c.Moves)) << c.Text << ": " << line;
    if (c.First != nullptr) {
      EXPECT_EQ(FirstMove(line), c.First) << c.Text;
    }
  }
}

TEST(Search, FixedDepthSearchesAreRepeatable) {
  const char* text = "r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10";
  const std::string first = AnalyseToDepth(text, 5);
  const uint32_t nodes = NodeCount;
  const auto reports = Reported.Mainlines;
  const std::string second = AnalyseToDepth(text, 5);
  EXPECT_EQ(NodeCount, nodes);
  EXPECT_EQ(second, first);
  EXPECT_EQ(Reported.Mainlines, reports);
  EXPECT_GT(nodes, 1000);
}

TEST(Search, SetDepthRunsExactlyThoseIterations) {
  AnalyseToDepth("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", 3);
  ASSERT_FALSE(Reported.Depths.empty());
  EXPECT_EQ(Reported.Depths.front(), 1);
  EXPECT_EQ(*std::max_element(Reported.Depths.begin(), Reported.Depths.end()), 3);
  // Every iteration shows each of the twenty root moves at least once.
  EXPECT_GE(Reported.Moves.size(), 60u);
  EXPECT_EQ(IterationDepth, 4);  // the stop test at iteration 4 ended the search
}

TEST(Search, NodeCountIsWhatTheReportsShow) {
  AnalyseToDepth("r1bqkbnr/1ppp1ppp/p1n5/1B2p3/4P3/5N2/PPPP1PPP/RNBQK2R w KQkq - 0 4", 4);
  ASSERT_FALSE(Reported.Nodes.empty());
  for (size_t k = 1; k < Reported.Nodes.size(); ++k) EXPECT_GE(Reported.Nodes[k], Reported.Nodes[k - 1]);
  EXPECT_LE(uint32_t(Reported.Nodes.back()), NodeCount);
}

TEST(Search, RootWithoutLegalMoveReportsNothing) {
  // Checkmated (back rank) and stalemated: the iterations run, nothing is shown.
  for (const char* text : {"3R2k1/5ppp/8/8/8/8/5PPP/6K1 b - - 0 1", "k7/8/1Q6/8/8/8/8/7K b - - 0 1",
                           "7k/5Q2/8/8/8/8/8/K7 b - - 0 1"}) {
    const std::string line = AnalyseToDepth(text, 4);
    EXPECT_TRUE(Reported.Mainlines.empty()) << text << ": " << line;
    EXPECT_TRUE(Reported.Nodes.empty()) << text;
  }
}

TEST(Search, AvoidsStalemateWhenWinning) {
  // Queen and king against king: the obvious Qb6 stalemates; a winning move is chosen.
  const std::string line = AnalyseToDepth("k7/8/2K5/8/8/8/1Q6/8 w - - 0 1", 5);
  ASSERT_FALSE(line.empty());
  EXPECT_NE(FirstMove(line), "b2b6");
  EXPECT_GT(Reported.Mainlines.back().second, 20000);
}

namespace {

// Searches one root move directly, with the state the root driver would set;
// the child's moves start at CHILD_LIST when it is given.
int32_t SearchAfterRootMove(const char* text, const std::vector<const char*>& game, int32_t from, int32_t to,
                            int32_t depth, int32_t ceiling = -1, int32_t alpha = -InfiniteScore,
                            int32_t beta = InfiniteScore, int32_t childList = -1) {
  LoadPosition(text, game);
  ObrantuleSetDepth(depth + 1);
  StopFlag.store(0);
  PonderOffFlag.store(0);
  AnalyseMode = 0;
  NodePollCountdown = 1 << 30;
  ExtensionCeiling = ceiling >= 0 ? ceiling : 9 + depth + 1;
  NullMoveDepth = 0;
  ThreatExtensions[0] = 0;
  FollowPV = 0;
  for (int32_t p = 0; p < PlyLimit; ++p) Killers[p][0] = Killers[p][1] = MovePair{0, 0};
  ListStart[0] = MoveListTop = 0;
  RootReSearch = 0;
  GenerateMoves();
  ListStart[1] = MoveListTop = childList >= 0 ? childList : GeneratedCount;
  int32_t move = -1;
  for (int32_t i = 0; i < GeneratedCount; ++i)
    if (MoveList[i].From == from && MoveList[i].To == to) move = i;
  EXPECT_GE(move, 0);
  if (move < 0) return 0;
  MakeMove(move);
  const int32_t v = -Search(-beta, -alpha, depth, 0);
  UnmakeMove(move);
  EXPECT_EQ(Ply, 0);
  return v;
}

}  // namespace

TEST(Search, RepeatingThePositionOfFourPliesBeforeScoresZero) {
  // White is a queen up. After the knights' dance g1-f3-g1, black's Nf6-g8
  // brings back the position of four half-moves earlier: a draw for black.
  const char* text = "rnb1kbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
  const std::vector<const char*> dance = {"g1f3", "g8f6", "f3g1", "f6g8", "g1f3", "g8f6"};
  EXPECT_EQ(SearchAfterRootMove(text, dance, 46, 27, 2), 0);  // Nf3-g1
  // Without that history the same line is simply a queen up for white.
  EXPECT_GT(SearchAfterRootMove(text, {"g1f3", "g8f6"}, 46, 27, 2), 500);
}

TEST(Search, NodeCounterGoesOnPastThirtyOneBits) {
  // 2^31 nodes come after some minutes of analysis; the count goes on modulo
  // 2^32, as the reports carry it, and the search is not changed by it.
  const char* text = "r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10";
  NodeCount = 0;
  const int32_t score = SearchAfterRootMove(text, {}, 41, 51, 3);  // a3a4
  const uint32_t nodes = NodeCount;
  ASSERT_GT(nodes, 16u);
  for (uint32_t start : {0x7FFFFFF0u, 0xFFFFFFF0u}) {
    NodeCount = start;
    EXPECT_EQ(SearchAfterRootMove(text, {}, 41, 51, 3), score);
    EXPECT_EQ(NodeCount, start + nodes);
  }
}

TEST(Search, ANodeWhoseListIsFullIsAHorizonNode) {
  // No room left in the move list: the node's moves are incomplete, so it is
  // neither mated (black in check after Qa4+) nor stalemated (after Qd2), but
  // scored by the evaluation: a queen down for black.
  const char* text = "4k3/8/8/8/8/8/8/3QK3 w - - 0 1";
  for (const auto& move : {std::pair<int32_t, int32_t>{24, 51}, {24, 34}}) {
    const int32_t v = SearchAfterRootMove(text, {}, move.first, move.second, 2, -1, -InfiniteScore, InfiniteScore,
                                            GeneratorLimit);
    EXPECT_GT(v, 500) << move.second;
    EXPECT_LT(v, 20000) << move.second;
  }
}

TEST(Search, ANodeReadsItsOwnCheckStatusNotTheLastChilds) {
  // Black's Nd4-f3+ leaves white in check at depth 0 (no check extension: the
  // ceiling is 0), in the window 500..600 (its static score 520 lies inside).
  // Both captures of the knight score alike and exf3 comes first: Rxh5
  // answers it, and its subtree leaves the shared check status at "not in
  // check". Qxf3 mates, which only a full search of that child sees: the
  // node must search its moves that way because it is itself in check.
  const char* text = "k6r/p2N4/8/7Q/3n4/8/4P3/6K1 b - - 0 1";
  EXPECT_EQ(SearchAfterRootMove(text, {}, 54, 46, 0, 0, -600, -500), -(31999 - 2));
}

namespace {

int32_t ProbeCalls;
int32_t LastCounts[10];
int32_t LastWhite[24], LastBlack[24];
int32_t LastSide;

// Answers every position: the side to move draws.
int32_t OBRANTULE_CALL DrawEverything(int32_t* counts, int32_t* white, int32_t* black, int32_t side, int32_t zero,
                                      int32_t* result) {
  ++ProbeCalls;
  std::memcpy(LastCounts, counts, sizeof LastCounts);
  LastWhite[0] = white[0];
  LastBlack[0] = black[0];
  for (int32_t k = 4; k < 24; ++k) {
    LastWhite[k] = counts[k / 4 - 1] > (k % 4) ? white[k] : -1;
    LastBlack[k] = counts[5 + k / 4 - 1] > (k % 4) ? black[k] : -1;
  }
  LastSide = side;
  EXPECT_EQ(zero, 0);
  *result = 0;
  return 1;
}

int32_t OBRANTULE_CALL NeverAnswers(int32_t*, int32_t*, int32_t*, int32_t, int32_t, int32_t*) {
  ++ProbeCalls;
  return 0;
}

}  // namespace

TEST(Search, TablebaseAnswersComeThroughTheCallback) {
  const char* text = "8/8/8/4k3/8/8/8/R3K3 w - - 0 1";  // rook and king against king
  EnsureEngine();
  ProbeCalls = 0;
  Callbacks.TBProbeList = DrawEverything;
  TablebasePieceLimit = 0;
  AnalyseToDepth(text, 4);
  EXPECT_EQ(ProbeCalls, 0) << "no probe without a piece limit";
  const int32_t withoutTables = Reported.Mainlines.back().second;
  EXPECT_GT(withoutTables, 300);

  Callbacks.TBProbeList = DrawEverything;
  TablebasePieceLimit = 3;
  AnalyseToDepth(text, 4);
  EXPECT_GT(ProbeCalls, 0);
  // Every reply is called a draw by the fake tables, so the root sees a draw
  // (a first root move's score v is reported as v + 2).
  EXPECT_EQ(Reported.Mainlines.back().second, 2);
  // The arguments: one white rook, kings in slot 0, the rook in slot 16.
  const int32_t counts[10] = {0, 0, 0, 1, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(0, std::memcmp(LastCounts, counts, sizeof counts));
  EXPECT_GE(LastWhite[16], 0);
  EXPECT_LT(LastWhite[16], 64);
  EXPECT_TRUE(LastSide == 0 || LastSide == 1);

  // A prober without an answer changes nothing.
  ProbeCalls = 0;
  Callbacks.TBProbeList = NeverAnswers;
  AnalyseToDepth(text, 4);
  EXPECT_GT(ProbeCalls, 0);
  EXPECT_EQ(Reported.Mainlines.back().second, withoutTables);
  NoTablebases();
}

TEST(Search, TablebaseResultsBecomeDistanceScores) {
  EnsureEngine();
  LoadPosition("8/8/8/4k3/8/8/8/R3K3 w - - 0 1");
  int32_t score = 0;
  struct Fake {
    static int32_t OBRANTULE_CALL WinInFive(int32_t*, int32_t*, int32_t*, int32_t, int32_t, int32_t* r) {
      *r = 5;
      return 1;
    }
    static int32_t OBRANTULE_CALL LoseInThree(int32_t*, int32_t*, int32_t*, int32_t, int32_t, int32_t* r) {
      *r = -3;
      return 1;
    }
  };
  Callbacks.TBProbeList = Fake::WinInFive;
  ASSERT_EQ(ProbeTablebase(4, 0, &score), 1);
  EXPECT_EQ(score, 32000 - 10 - 4);
  Callbacks.TBProbeList = Fake::LoseInThree;
  ASSERT_EQ(ProbeTablebase(4, 0, &score), 1);
  EXPECT_EQ(score, 4 + 6 - 32001);
  Callbacks.TBProbeList = NeverAnswers;
  EXPECT_EQ(ProbeTablebase(4, 0, &score), 0);
  NoTablebases();
}
