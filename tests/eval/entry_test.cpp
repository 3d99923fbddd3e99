// Evaluation entry: lazy material exit, insufficient-material rule, root
// check probe.
#include <gtest/gtest.h>

#include "evaltestsupport.h"

namespace {

// Full evaluation or lazy exit for a forced material state at the root.
int32_t EvaluateWith(int32_t pieceMaterial, int32_t balance, int32_t alpha, int32_t beta) {
  PieceMaterial[0] = pieceMaterial;
  MaterialBalance[0] = balance;
  LastEvalTerms = EvalTerms{};
  return Evaluate(alpha, beta);
}

TEST(EvalEntry, LazyExitMargins) {
  // Margin 220 above 2780 of piece material; 365 down to 1801 unless a
  // guard pawn stands (white e7 or a6, black e4), then 965; none at or
  // below 1800. The exit returns the material balance.
  const char* const start = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
  const char* const whiteE7 = "rnbqkbnr/ppppPppp/8/8/8/8/PPPP1PPP/RNBQKBNR w KQkq - 0 1";
  const char* const whiteA6 = "rnbqkbnr/1ppppppp/P7/8/8/8/1PPPPPPP/RNBQKBNR w KQkq - 0 1";
  const char* const whiteD7 = "rnbqkbnr/pppPpppp/8/8/8/8/PPP1PPPP/RNBQKBNR w KQkq - 0 1";
  const char* const blackE4 = "rnbqkbnr/pppp1ppp/8/8/4p3/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
  const char* const blackD4 = "rnbqkbnr/ppp1pppp/8/8/3p4/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
  const struct {
    const char* Text;
    int32_t PieceMaterial, Balance;
    bool Lazy;
  } cases[] = {
      {start, 2781, -221, true},    {start, 2781, -220, false},  {start, 2781, 222, true},
      {start, 2781, 221, false},    {start, 2780, -221, false},  {start, 2780, -365, false},
      {start, 2780, -366, true},    {start, 1801, 367, true},    {start, 1800, -20000, false},
      {start, 1800, 20000, false},  {whiteE7, 2000, -366, false}, {whiteE7, 2000, -965, false},
      {whiteE7, 2000, -966, true},  {whiteA6, 2000, -366, false}, {whiteD7, 2000, -366, true},
      {blackE4, 2000, 367, false},  {blackD4, 2000, 367, true},
  };
  for (const auto& c : cases) {
    SetPosition(c.Text);
    const int32_t score = EvaluateWith(c.PieceMaterial, c.Balance, 0, 1);
    EXPECT_EQ(LastEvalTerms.Path, c.Lazy ? EvalPathLazy : EvalPathMiddlegame)
        << c.Text << " " << c.PieceMaterial << " " << c.Balance;
    if (c.Lazy) {
      EXPECT_EQ(score, c.Balance) << c.Text << " " << c.PieceMaterial << " " << c.Balance;
    }
  }
}

TEST(EvalEntry, BareMinorPiecesEachSideIsADeadDraw) {
  SetPosition("4k3/8/8/8/8/8/8/2B1K1n1 w - - 0 1");
  ASSERT_EQ(GamePhase, 1);
  EXPECT_EQ(EvaluateRoot(), 0);
  EXPECT_EQ(LastEvalTerms.Path, EvalPathDeadDraw);
  // Any number of knights without a bishop cannot mate either.
  SetPosition("4k3/8/8/8/8/8/8/1N1NK1n1 b - - 0 1");
  EXPECT_EQ(EvaluateRoot(), 0);
}

TEST(EvalEntry, InsufficientSideLeadingIsNotCorrected) {
  // King, rook and pawn against king and bishop, black to move, white ahead.
  SetPosition("4k3/8/8/8/8/1b6/P7/R3K3 b - - 0 1");
  const int32_t score = EvaluateRoot();
  EXPECT_EQ(LastEvalTerms.BlackInsufficient, 1);
  EXPECT_EQ(LastEvalTerms.WhiteInsufficient, 0);
  EXPECT_LT(score, 0);
  EXPECT_EQ(score, LastEvalTerms.BeforeCorrection);
}

TEST(EvalEntry, TwoKnightsLeadShrinksBy170) {
  SetPosition("4k3/8/8/8/8/8/p7/1N1NK3 w - - 0 1");
  int32_t score = EvaluateRoot();
  ASSERT_EQ(LastEvalTerms.WhiteInsufficient, 1);
  ASSERT_GT(LastEvalTerms.BeforeCorrection, 0);
  EXPECT_EQ(score, LastEvalTerms.BeforeCorrection - 170);
  SetPosition("4k3/8/8/8/8/8/p7/1N1NK3 b - - 0 1");
  score = EvaluateRoot();
  ASSERT_LT(LastEvalTerms.BeforeCorrection, 0);
  EXPECT_EQ(score, LastEvalTerms.BeforeCorrection + 170);
  // Not clamped: a white lead of 100 becomes a black lead of 70.
  SetPosition("4k3/8/8/8/8/8/p7/1N1NK3 w - - 0 1");
  EvaluateRoot();
  const int32_t positional = LastEvalTerms.Positional;
  EXPECT_EQ(EvaluateWith(PieceMaterial[0], 100 - positional, -32000, 32000), -70);
}

TEST(EvalEntry, MiddlegamePhaseNeverSetsInsufficientFlags) {
  SetPosition("4k3/8/8/8/8/8/8/2B1K1n1 w - - 0 1");
  GamePhase = 0;
  const int32_t score = EvaluateRoot();
  EXPECT_EQ(LastEvalTerms.Path, EvalPathMiddlegame);
  EXPECT_EQ(LastEvalTerms.WhiteInsufficient, 0);
  EXPECT_EQ(LastEvalTerms.BlackInsufficient, 0);
  EXPECT_EQ(score, LastEvalTerms.Positional + MaterialBalance[0]);
}

TEST(EvalEntry, ScoreIsFromTheSideToMove) {
  SetPosition("4k3/pp6/8/8/8/8/PPP5/R3K3 w - - 0 1");
  const int32_t white = EvaluateRoot();
  const int32_t positional = LastEvalTerms.Positional;
  EXPECT_EQ(white, positional + 500 + 100);
  SetPosition("4k3/pp6/8/8/8/8/PPP5/R3K3 b - - 0 1");
  const int32_t black = EvaluateRoot();
  EXPECT_EQ(black, -LastEvalTerms.Positional - 600);
}

TEST(EvalEntry, RootCheckProbe) {
  // The side not to move is in check: the king can be taken.
  SetPosition("4k3/8/8/8/8/8/8/4RK2 w - - 0 1");
  InCheck = 77;
  EXPECT_EQ(RootCheckProbe(), 32000);
  EXPECT_EQ(InCheck, 77);
  // Kings touching count as that check.
  SetPosition("8/8/8/3kK3/8/8/8/8 b - - 0 1");
  EXPECT_EQ(RootCheckProbe(), 32000);
  // The side to move in check: 0, and InCheck says so.
  SetPosition("4k3/8/8/8/8/8/8/4K2r w - - 0 1");
  EXPECT_EQ(RootCheckProbe(), 0);
  EXPECT_EQ(InCheck, 1);
  SetPosition("4k2R/8/8/8/8/8/8/4K3 b - - 0 1");
  EXPECT_EQ(RootCheckProbe(), 0);
  EXPECT_EQ(InCheck, 1);
  SetPosition("4k3/8/8/8/8/8/8/4K3 b - - 0 1");
  EXPECT_EQ(RootCheckProbe(), 0);
  EXPECT_EQ(InCheck, 0);
}

TEST(EvalEntry, GamePhaseFromPieceMaterialAndMatingClass) {
  SetPosition("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
  EXPECT_EQ(GamePhase, 0);
  // Exactly 2700 of piece material (four rooks, two bishops) is an endgame.
  SetPosition("r1b1k2r/8/8/8/8/8/8/R1B1K2R w - - 0 1");
  EXPECT_EQ(PieceMaterial[0], 2700);
  EXPECT_EQ(GamePhase, 1);
  SetPosition("rn2k3/8/8/8/8/8/8/RN1QK1N1 w - - 0 1");  // 500+325+500+325+1070+325 = 3045
  EXPECT_EQ(GamePhase, 0);
  SetPosition("4k3/8/8/8/8/8/8/4K2R w - - 0 1");
  EXPECT_EQ(GamePhase, 2);
}

}  // namespace
