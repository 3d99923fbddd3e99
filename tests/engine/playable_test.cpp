// Position texts the engine cannot play from, and calls in any order: the
// exports refuse them without a crash or a report, and the next valid
// position works as before.
#include <gtest/gtest.h>

#include <cstring>

#include "engine/root.h"
#include "engine_test_util.h"

namespace {

int32_t CallbackCalls;
int32_t OBRANTULE_CALL CountNodes(int32_t, int32_t) { return ++CallbackCalls; }
int32_t OBRANTULE_CALL CountDepth(int32_t, int32_t) { return ++CallbackCalls; }
int32_t OBRANTULE_CALL CountMove(const char*, int32_t, int32_t) { return ++CallbackCalls; }
int32_t OBRANTULE_CALL CountMainline(const char*, int32_t) { return ++CallbackCalls; }
int32_t OBRANTULE_CALL IgnoreText(const char*) { return 0; }

EngineCallbacks Counters() {
  EngineCallbacks callbacks{};
  callbacks.Size = 28;
  callbacks.ShowNodes = CountNodes;
  callbacks.ShowDepth = CountDepth;
  callbacks.ShowMove = CountMove;
  callbacks.ShowMainline = CountMainline;
  callbacks.ShowText = IgnoreText;
  return callbacks;
}

// Analyses to depth 1; answers the number of callbacks the engine made.
int32_t AnalyseCalls() {
  ObrantuleSetDepth(1);
  CallbackCalls = 0;
  EXPECT_EQ(ObrantuleAnalyse(0), 0);
  return CallbackCalls;
}

int32_t EnterText(const char* text) {
  char buffer[16];
  std::strncpy(buffer, text, sizeof buffer - 1);
  buffer[sizeof buffer - 1] = '\0';
  return ObrantuleEnterMove(buffer);
}

}  // namespace

TEST(Playable, UnplayableTextsAreRefusedUntilTheNextPosition) {
  const EngineCallbacks callbacks = Counters();
  ASSERT_GT(ObrantuleInit(8, &callbacks, "", 0), 0);
  const char* unplayable[] = {
      "",                                    // no kings
      "4k3/8/8/8/8/8/8/7R w",                // no white king
      "8/8/8/8/8/8/8/4K3 b",                 // no black king
      "4k3/8/8/8/8/8/8/K3K3 w",              // two white kings
      "kk6/8/8/8/8/8/8/4K3 b",               // two black kings
      "4k3/8/8/8/8/8/8/P3K3 w",              // a pawn on the first rank
      "P3k3/8/8/8/8/8/8/4K3 w",              // a pawn on the last rank
      "4k3/8/8/8/8/8/8/p3K3 b",              // a black pawn on the first rank
      "4k3/8/8/8/8/P7/PPPPPPPP/4K3 w",       // nine pawns
      "4k3/8/8/8/8/QQQ5/PPPPPPP1/4K3 w",     // seven pawns and two extra queens
      "4k3/8/8/8/NNN5/8/PPPPPPPP/4K3 w",     // eight pawns and an extra knight
      "4k3/8/8/8/8/8/8/4K2r b",              // white, not to move, is in check
      "4k3/4R3/8/8/8/8/8/4K3 w",             // black, not to move, is in check
      "8/8/8/8/8/8/8/Kk6 w",                 // the kings touch
  };
  for (const char* text : unplayable) {
    ObrantuleSetStartPosition();
    ObrantuleSetPosition(text);
    EXPECT_EQ(PositionUnusable, 1) << '"' << text << '"';
    Board before;
    std::memcpy(before, GameBoard, sizeof before);
    for (const char* move : {"e1g1", "e1e2", "h1h8", "e8e7", "a1a2"}) EXPECT_EQ(EnterText(move), 0);
    EXPECT_EQ(std::memcmp(before, GameBoard, sizeof before), 0) << '"' << text << '"';
    EXPECT_EQ(GameMoveCount, 0);
    EXPECT_EQ(AnalyseCalls(), 0) << '"' << text << '"';
    ObrantuleSetPosition("4k3/8/8/8/8/8/8/4K2R w K - 0 1");
    EXPECT_EQ(PositionUnusable, 0);
    EXPECT_EQ(EnterText("e1g1"), 0);
    EXPECT_EQ(GameMoveCount, 1) << "after \"" << text << '"';
    EXPECT_GT(AnalyseCalls(), 0) << "after \"" << text << '"';
  }
  ObrantuleSetPosition(nullptr);
  EXPECT_EQ(PositionUnusable, 1);
  EXPECT_EQ(AnalyseCalls(), 0);
  ObrantuleSetStartPosition();
  EXPECT_EQ(PositionUnusable, 0);
  EXPECT_GT(AnalyseCalls(), 0);

  // At the limits of the rule: still playable.
  const char* playable[] = {
      "4k3/8/8/8/8/QQ6/PPPPPPP1/4K3 w",      // seven pawns and one extra queen
      "4k3/8/8/8/8/8/8/4K2r w",              // the side to move is in check
      "8/8/8/8/8/8/8/K6k w",
  };
  for (const char* text : playable) {
    ObrantuleSetPosition(text);
    EXPECT_EQ(PositionUnusable, 0) << text;
    EXPECT_GT(AnalyseCalls(), 0) << text;
  }
  ObrantuleInit(8, nullptr, "", 0);
}

TEST(Playable, CallsBeforeInitialisationAndAfterQuitAreHarmless) {
  const EngineCallbacks callbacks = Counters();
  ASSERT_GT(ObrantuleInit(8, &callbacks, "", 0), 0);
  for (int32_t round = 0; round < 2; ++round) {
    ObrantuleQuit();
    ObrantuleStopAnalyse();
    EXPECT_EQ(AnalyseCalls(), 0);
    ObrantuleSetStartPosition();
    EXPECT_EQ(EnterText("e2e4"), 0);
    EXPECT_EQ(GameMoveCount, 0);
    ObrantuleSetPosition("4k3/8/8/8/8/8/8/4K3 w");
    EXPECT_EQ(AnalyseCalls(), 0);
    ObrantuleClearHashtable();
  }
  ObrantuleInit(8, nullptr, "", 0);
}

TEST(Playable, TheKnownCrashCase) {
  // Castling was generated from a stale king square although e1 was empty,
  // and the game move e1g1 then put a black rook on f1.
  EnsureEngine();
  EXPECT_EQ(SetUpFromText("4k3/8/8/8/8/8/8/7R w"), -1);
  Board before;
  std::memcpy(before, GameBoard, sizeof before);
  EXPECT_EQ(Enter("e1g1"), -1);
  EXPECT_EQ(std::memcmp(before, GameBoard, sizeof before), 0);
}

TEST(Playable, CastlingRightsWithoutTheirKingOrRookAreDropped) {
  // The rook or the king reaches its home square later: no castling, whatever
  // the text said.
  const struct {
    const char* Text;
    const char* Moves[2];
  } cases[] = {{"4k3/8/8/8/8/8/8/4K1R1 w K - 0 1", {"g1h1", "e8d8"}},
               {"4k3/8/8/8/8/8/8/3K3R w K - 0 1", {"d1e1", "e8d8"}},
               {"1r2k3/8/8/8/8/8/8/4K3 b q - 0 1", {"b8a8", "e1d1"}},
               {"r2k4/8/8/8/8/8/8/4K3 b q - 0 1", {"d8e8", "e1d1"}}};
  EnsureEngine();
  for (const auto& c : cases) {
    ASSERT_EQ(SetUpFromText(c.Text), 0) << c.Text;
    for (const char* move : c.Moves) ASSERT_EQ(Enter(move), 0) << c.Text << " " << move;
    InstallGamePosition();
    GenerateAtPly();
    for (const char* castling : {"e1g1", "e1c1", "e8g8", "e8c8"}) EXPECT_EQ(FindMove(castling), -1) << c.Text;
  }
}
