// Eng9: position text, en passant and castling repairs, game moves, time
// controls and the start of the analysis, as the engine receives them.
#include <gtest/gtest.h>

#include <cstring>

#include "test_host.h"

namespace {

const char StartBoard[] = "RNBQKBNRPPPPPPPP................................pppppppprnbqkbnr";

// Fills the board from 64 characters, a1 first; "." is empty.
void SetBoard(GameRecord& game, const char* squares) {
  for (int i = 0; i < 64; ++i) {
    const char* letters = ".PNBRQK";
    char c = squares[i];
    const char* found = strchr(letters, c >= 'a' && c <= 'z' ? c - 32 : c);
    uint8_t piece = uint8_t(found != nullptr ? found - letters : 0);
    if (c >= 'a' && c <= 'z') piece |= HostBlack;
    game.Board[i] = piece;
  }
}

void Place(GameRecord& game, const char* square, uint8_t piece) {
  game.Board[(square[1] - '1') * 8 + (square[0] - 'a')] = piece;
}

// Places men given as "Ke1 ke8 Pd5": letter (lower case black), square.
void Men(GameRecord& game, const char* list) {
  for (const char* at = list; at[0] != 0 && at[1] != 0 && at[2] != 0; at += at[3] == ' ' ? 4 : 3) {
    const char upper = at[0] >= 'a' ? char(at[0] - 32) : at[0];
    const uint8_t piece = uint8_t(strchr(".PNBRQK", upper) - ".PNBRQK");
    Place(game, at + 1, uint8_t(piece | (at[0] >= 'a' ? HostBlack : 0)));
  }
}

uint16_t Code(const char* from, const char* to, int promotion = 0) {
  int f = (from[1] - '1') * 8 + (from[0] - 'a');
  int t = (to[1] - '1') * 8 + (to[0] - 'a');
  return uint16_t(f | t << 6 | promotion << 12);
}

class Translation : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(host.Load());
    ASSERT_EQ(host.Connect(), 0);
    host.ClearEngineLog();
    game.TimeMode = TimeModeDepth;
    game.Depth = 6;
  }
  std::vector<std::string> Think() {
    host.ClearEngineLog();
    host.Eng.Eng9(&game);
    return Lines(host.EngineLog());
  }
  TestInstallation host{"full"};
  GameRecord game{};
};

}  // namespace

TEST_F(Translation, InitialPositionFlagReplaysTheGameMoves) {
  game.StartsFromInitial = 1;
  game.MoveCount = 2;
  game.Moves[0] = Code("e2", "e4");
  game.Moves[1] = Code("e7", "e5");
  EXPECT_EQ(Think(), (std::vector<std::string>{"SetStartPosition", "EnterMove e2e4", "EnterMove e7e5",
                                               "SetDepth 6", "Analyse 0"}));
}

TEST_F(Translation, BoardIsWrittenAsPositionText) {
  SetBoard(game, StartBoard);
  game.WhiteToMove = 1;
  game.CastlingRights = 15;
  std::vector<std::string> log = Think();
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log[0], "SetPosition rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 0");
}

TEST_F(Translation, EnPassantRebuildsBlacksDoubleStep) {
  // White to move, e.p. square e6, black pawn e5, white pawn d5.
  Men(game, "Ke1 ke8 pe5 Pd5");
  game.WhiteToMove = 1;
  game.EpSquare = 44;
  game.MoveCount = 1;
  game.Moves[0] = Code("d5", "e6");
  EXPECT_EQ(Think(), (std::vector<std::string>{"SetPosition 4k3/4p3/8/3P4/8/8/8/4K3 b - - 0 0", "EnterMove e7e5",
                                               "EnterMove d5e6", "SetDepth 6", "Analyse 0"}));
  EXPECT_EQ(game.EpSquare, 0);
  EXPECT_EQ(game.WhiteToMove, 0);
  EXPECT_EQ(game.Board[52], HostBlack + HostPawn);
  EXPECT_EQ(game.Board[36], 0);
}

TEST_F(Translation, EnPassantRebuildsWhitesDoubleStep) {
  // Black to move, e.p. square e3, white pawn e4, black pawn f4.
  Men(game, "Ke1 ke8 Pe4 pf4");
  game.WhiteToMove = 0;
  game.EpSquare = 20;
  std::vector<std::string> log = Think();
  ASSERT_GE(log.size(), 2u);
  EXPECT_EQ(log[0], "SetPosition 4k3/8/8/8/5p2/8/4P3/4K3 w - - 0 0");
  EXPECT_EQ(log[1], "EnterMove e2e4");
}

TEST_F(Translation, ImpossibleEnPassantIsDropped) {
  Men(game, "Ke1 ke8 pe5 Pc5");  // c5 is not beside e5
  game.WhiteToMove = 1;
  game.EpSquare = 44;
  std::vector<std::string> log = Think();
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log[0], "SetPosition 4k3/8/8/2P1p3/8/8/8/4K3 w - - 0 0");
  EXPECT_EQ(log[1], "SetDepth 6");
  EXPECT_EQ(game.EpSquare, 0);
}

TEST_F(Translation, EnPassantOnTheEdgeLooksOnlyInward) {
  // a-file pawn: no square left of it may count as a capturer (h-file of
  // the rank below must not be read as a neighbour).
  Men(game, "Ke1 ke8 pa5 Ph4");  // e - 9 for e = a6 would be h4
  game.WhiteToMove = 1;
  game.EpSquare = 40;
  std::vector<std::string> log = Think();
  EXPECT_EQ(log[0], "SetPosition 4k3/8/8/p7/7P/8/8/4K3 w - - 0 0");
  // Garbage squares never reach the board.
  for (uint8_t e : {1, 7, 56, 63, 64, 200, 255}) {
    game.EpSquare = e;
    log = Think();
    EXPECT_EQ(log[0], "SetPosition 4k3/8/8/p7/7P/8/8/4K3 w - - 0 0") << int(e);
  }
}

TEST_F(Translation, EnPassantThatNoDoubleStepCanHaveOpenedIsDropped) {
  // Each board is sent as it stands, with no replayed double step.
  const struct {
    const char* Men;
    int32_t White, Ep;
    const char* Position;
  } cases[] = {
      // The black king stands on the pawn's start square.
      {"Ke1 ke7 pe5 Pd5", 1, 44, "8/4k3/8/3Pp3/8/8/8/4K3 w - - 0 0"},
      // The square the pawn passed is taken.
      {"Ke1 ke8 pe5 Pd5 Ne6", 1, 44, "4k3/8/4N3/3Pp3/8/8/8/4K3 w - - 0 0"},
      // Not the sixth rank: e4 with a black pawn on e3 and a white one on d3.
      {"Ke1 ke8 pe3 Pd3", 1, 28, "4k3/8/8/8/8/3Pp3/8/4K3 w - - 0 0"},
      // Before the step the black pawn on e7 would have given check to the
      // white king, with black to move.
      {"Kd6 kh8 pe5 Pd5", 1, 44, "7k/8/3K4/3Pp3/8/8/8/8 w - - 0 0"},
      // Black to take: the white king stands on e2.
      {"Ke2 ke8 Pe4 pf4", 0, 20, "4k3/8/8/8/4Pp2/8/4K3/8 b - - 0 0"},
  };
  for (const auto& c : cases) {
    game = GameRecord{};
    game.TimeMode = TimeModeDepth;
    game.Depth = 6;
    Men(game, c.Men);
    game.WhiteToMove = uint8_t(c.White);
    game.EpSquare = uint8_t(c.Ep);
    std::vector<std::string> log = Think();
    ASSERT_GE(log.size(), 2u) << c.Men;
    EXPECT_EQ(log[0], std::string("SetPosition ") + c.Position) << c.Men;
    EXPECT_EQ(log[1], "SetDepth 6") << c.Men;
    EXPECT_EQ(game.EpSquare, 0) << c.Men;
  }
}

TEST_F(Translation, BoardsThatAreNoPlayablePositionAreRefused) {
  const struct {
    const char* Men;
    int32_t White;
    uint8_t Extra;  // a piece byte put on h4 (0: none)
    bool Playable;
  } cases[] = {
      {"Ke1", 1, 0, false},                                      // no black king
      {"Ke1 Kd1 ke8", 1, 0, false},                              // two white kings
      {"Ke1 ke8 Pa8", 1, 0, false},                              // pawn on the last rank
      {"Ke1 ke8 pa1", 0, 0, false},                              // and on the first
      {"Ke1 ke8 Pa2 Pb2 Pc2 Pd2 Pe2 Pf2 Pg2 Ph2 Pa3", 1, 0, false},  // nine pawns
      {"Ke1 ke8 Pa2 Pb2 Pc2 Pd2 Pe2 Pf2 Pg2 Qd4 Qd5 Qd6", 1, 0, false},  // 7 pawns, 2 extra queens
      {"Ke1 ke8 Pa2 Pb2 Pc2 Pd2 Pe2 Pf2 Pg2 Qd4 Qd5", 1, 0, true},
      {"Kd1 ke8 Re1", 1, 0, false},                              // black, not to move, in check
      {"Ke1 ke8 Pd7", 1, 0, false},
      {"Ke1 ke8 Pd7", 0, 0, true},                               // the side to move may be
      {"Ke1 ke8 Nf6", 1, 0, false},
      {"Ke1 ke8 Bb5", 1, 0, false},
      {"Ke1 ke8 Bb5 pd7", 1, 0, true},                           // the bishop is blocked
      {"Ke1 ke8 pd2", 1, 0, true},
      {"Ke1 ke8 pf2", 0, 0, false},
      {"Ke7 ke8", 1, 0, false},                                  // kings side by side
      {"Ke1 ke8", 1, 7, false},                                  // bytes that are no piece
      {"Ke1 ke8", 1, 8, false},
      {"Ke1 ke8", 1, 15, false},
      {"Ke1 ke8", 1, 0x81, false},
      {"Ke1 ke8", 1, 13, true},
  };
  for (const auto& c : cases) {
    game = GameRecord{};
    game.TimeMode = TimeModeDepth;
    game.Depth = 6;
    Men(game, c.Men);
    game.Board[31] = c.Extra;
    game.WhiteToMove = uint8_t(c.White);
    game.EpSquare = 44;
    game.CastlingRights = 15;
    game.MoveCount = 1;
    game.Moves[0] = Code("e1", "f1");
    const GameRecord before = game;
    Posts.clear();
    host.ClearEngineLog();
    EXPECT_EQ(host.Eng.Eng9(&game), 0) << c.Men;
    std::vector<std::string> log = Lines(host.EngineLog());
    if (c.Playable) {
      ASSERT_FALSE(log.empty()) << c.Men;
      EXPECT_EQ(log[0].rfind("SetPosition ", 0), 0u) << c.Men;
      continue;
    }
    // The engine sees nothing, the host hears nothing, the record stays.
    EXPECT_TRUE(log.empty()) << c.Men << ": " << log[0];
    EXPECT_TRUE(Posts.empty()) << c.Men;
    EXPECT_EQ(memcmp(&before, &game, sizeof game), 0) << c.Men;
    EXPECT_EQ(host.Eng.Eng4(), 0);
  }
}

TEST_F(Translation, CastlingRightsTheBoardContradictsAreDropped) {
  SetBoard(game, StartBoard);
  game.WhiteToMove = 1;
  game.CastlingRights = 15;
  Place(game, "e1", 0);
  Place(game, "a8", 0);
  Men(game, "Kf1");
  std::vector<std::string> log = Think();
  EXPECT_EQ(log[0], "SetPosition 1nbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQ1KNR w k - 0 0");
  EXPECT_EQ(game.CastlingRights, CastleBlackShort);
  // Black king away: both black rights go; nothing left prints "-".
  game.CastlingRights = 15;
  Place(game, "e8", 0);
  Men(game, "kd7");
  log = Think();
  EXPECT_EQ(log[0], "SetPosition 1nbq1bnr/pppkpppp/8/8/8/8/PPPPPPPP/RNBQ1KNR w - - 0 0");
  EXPECT_EQ(game.CastlingRights, 0);
}

TEST_F(Translation, ZeroMoveCodeStopsBeforeTheAnalysis) {
  game.StartsFromInitial = 1;
  game.MoveCount = 3;
  game.Moves[0] = Code("e2", "e4");
  game.Moves[1] = 0;
  game.Moves[2] = Code("g1", "f3");
  EXPECT_EQ(Think(), (std::vector<std::string>{"SetStartPosition", "EnterMove e2e4"}));
  EXPECT_TRUE(Posts.empty());
  EXPECT_EQ(host.Eng.Eng4(), 0);
}

TEST_F(Translation, MoveCountBeyondTheRecordIsRefused) {
  game.StartsFromInitial = 1;
  game.MoveCount = 513;
  EXPECT_EQ(Think(), std::vector<std::string>{"SetStartPosition"});
}

TEST_F(Translation, PromotionCodesBecomeLetters) {
  game.StartsFromInitial = 1;
  game.MoveCount = 6;
  game.Moves[0] = Code("g7", "g8", 7);
  game.Moves[1] = Code("g7", "g8", 4);
  game.Moves[2] = Code("b2", "b1", 5);
  game.Moves[3] = Code("b2", "b1", 6);
  game.Moves[4] = Code("g7", "g8", 3);  // 0..3: no promotion
  game.Moves[5] = Code("a1", "h8");
  std::vector<std::string> log = Think();
  EXPECT_EQ(std::vector<std::string>(log.begin() + 1, log.begin() + 7),
            (std::vector<std::string>{"EnterMove g7g8N", "EnterMove g7g8Q", "EnterMove b2b1R", "EnterMove b2b1B",
                                      "EnterMove g7g8", "EnterMove a1h8"}));
}

TEST_F(Translation, TimeControlModes) {
  game.StartsFromInitial = 1;
  game.TimeBase = 300;
  game.Increment = 5;
  game.MovesToGo = 40;
  const struct {
    int32_t Mode, Depth;
    const char* Call;
  } cases[] = {{TimeModeDepth, 0, "SetDepth 5"},         {TimeModeDepth, 25, "SetDepth 5"},
               {TimeModeDepth, 20, "SetDepth 20"},       {TimeModeDepth, 1, "SetDepth 1"},
               {TimeModeBlitz, 1, "SetBlitz 300 5"},     {TimeModeMovesInTime, 1, "SetTime 40 300"},
               {0, 1, "SetInfinite"},                    {9, 1, "SetInfinite"}};
  for (const auto& c : cases) {
    game.TimeMode = c.Mode;
    game.Depth = c.Depth;
    EXPECT_EQ(Think()[1], c.Call) << c.Mode << " " << c.Depth;
  }
}

TEST_F(Translation, AnalysisStartIsAnnouncedWithTheHostValues) {
  game.StartsFromInitial = 1;
  game.AnalyseValue = 3;
  EXPECT_EQ(Think().back(), "Analyse 3");
  ASSERT_EQ(Posts.size(), 1u);
  EXPECT_EQ(Posts[0].Message, MessageAnalysisStart);
  EXPECT_EQ(Posts[0].Value16, 1616);
  EXPECT_EQ(Posts[0].Value8, 808);
  EXPECT_EQ(Posts[0].Record, &host.Analysis);
}

TEST_F(Translation, StopBeforeTheAnalysisPreventsIt) {
  static AdapterEntries* entries;
  entries = &host.Eng;
  game.StartsFromInitial = 1;
  OnPost = [](int32_t message) {
    if (message == MessageAnalysisStart) entries->Eng3();
  };
  std::vector<std::string> log = Think();
  EXPECT_EQ(log.back(), "SetDepth 6");
  for (const std::string& line : log) EXPECT_EQ(line.find("Analyse"), std::string::npos) << line;
  // The next request starts afresh.
  OnPost = nullptr;
  EXPECT_EQ(Think().back(), "Analyse 0");
}

TEST_F(Translation, PonderOffBeforeTheAnalysisStartsItWithZero) {
  static AdapterEntries* entries;
  entries = &host.Eng;
  game.StartsFromInitial = 1;
  game.AnalyseValue = 1;
  OnPost = [](int32_t message) {
    if (message == MessageAnalysisStart) entries->Eng10();
  };
  std::vector<std::string> log = Think();
  EXPECT_EQ(log.back(), "Analyse 0");
  // Pondering is allowed again afterwards.
  OnPost = nullptr;
  EXPECT_EQ(Think().back(), "Analyse 1");
}

TEST(AdapterTranslation, ThinkingWithoutAConnectionDoesNothing) {
  TestInstallation host("full");
  ASSERT_TRUE(host.Load());
  GameRecord game{};
  game.StartsFromInitial = 1;
  EXPECT_EQ(host.Eng.Eng9(&game), 0);
  EXPECT_EQ(host.Eng.Eng9(nullptr), 0);
  EXPECT_EQ(host.EngineLog(), "");
}
