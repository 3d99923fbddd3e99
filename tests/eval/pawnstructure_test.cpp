// Middlegame pawn structure and the pawn cache.
#include <gtest/gtest.h>

#include "engine/pawncache.h"
#include "evaltestsupport.h"

namespace {

// The middlegame pawn terms are looked at whatever the material.
void SetMiddlegame(const char* text) {
  SetPosition(text);
  GamePhase = 0;
  MatingClass = 0;
}

// Re-evaluates without the cached entry of the current position.
int32_t EvaluateFresh() {
  CurrentPawnSlot().Tag = 0;
  return EvaluateRoot();
}

TEST(PawnStructure, UnmovedKingIsShelteredAsOnG1) {
  SetMiddlegame("4k3/8/8/8/8/8/5PPP/4K3 w - - 0 1");
  EvaluateRoot();
  EXPECT_EQ(LastEvalTerms.ShelterWhite, 48);
  // After the king has moved once and come back, e1 itself counts: only f2.
  MoveCount[SqE1] = 1;
  EvaluateFresh();
  EXPECT_EQ(LastEvalTerms.ShelterWhite, 16);
}

TEST(PawnStructure, KingOnC1IsShelteredAsOnB1) {
  SetMiddlegame("4k3/8/8/8/8/8/PPP5/2K5 w - - 0 1");
  // Never moved and not castled: judged on g1, where there is no cover.
  EvaluateRoot();
  EXPECT_EQ(LastEvalTerms.ShelterWhite, 0);
  CastledFlags[0][WhiteIndex] = 1;
  EvaluateFresh();
  EXPECT_EQ(LastEvalTerms.ShelterWhite, 48);
  // Second-row cover: pawns two ranks ahead count 6 (left, centre) and 8 (right).
  SetMiddlegame("6k1/8/8/8/8/P1P5/1P6/2K5 w - - 0 1");
  CastledFlags[0][WhiteIndex] = 1;
  EvaluateFresh();
  EXPECT_EQ(LastEvalTerms.ShelterWhite, 16 + 6 + 8);
}

TEST(PawnStructure, BlackShelterMirrors) {
  SetMiddlegame("4k3/5ppp/8/8/8/8/8/4K3 w - - 0 1");
  EvaluateRoot();
  EXPECT_EQ(LastEvalTerms.ShelterBlack, -48);
  SetMiddlegame("2k5/1p6/p1p5/8/8/8/8/6K1 w - - 0 1");
  CastledFlags[0][BlackIndex] = 1;
  EvaluateFresh();
  EXPECT_EQ(LastEvalTerms.ShelterBlack, -(16 + 6 + 8));
}

void FreshMiddlegame(const char* text) {
  SetMiddlegame(text);
  EvaluateFresh();
}

TEST(PawnStructure, WeakPawnDependsOnKnightsWatchingItsStopSquare) {
  // e2's stop square: weak against two knights unless two defend it.
  const std::pair<const char*, bool> cases[] = {{"4k3/8/8/8/3n1n2/3P4/4P3/4K3 w - - 0 1", true},
                                                {"4k3/8/8/8/3n1n2/3P4/3NPN2/4K3 w - - 0 1", false},
                                                {"4k3/8/8/8/3n1n2/3P4/3NP3/4K3 w - - 0 1", true}};
  for (const auto& c : cases) {
    FreshMiddlegame(c.first);
    EXPECT_EQ(Intersects(WhiteWeak, SquareBit[35]), c.second) << c.first;
  }
}

TEST(PawnStructure, PawnTerms) {
  ExpectTerms(
      {
          // c2 (table 0) and c3 (table 8): each weak 11, isolated 9 + 8,
          // doubled 10 (black's image: EvalDifferential.ColourMirror*).
          {"4k3/1p1p4/8/8/8/2P5/2P5/4K3 w - - 0 1", &EvalTerms::PawnsWhite, (0 - 38) + (8 - 38)},
          // d7: 32 + 8*6 + 6 + 6 + 12 + 6; e6 (passed, not weak: d7 is beside
          // its stop square): 30 + 8*5 (black's image: EvalDifferential.ColourMirror*).
          {"k7/3P4/4P3/8/8/8/8/6K1 w - - 0 1", &EvalTerms::PawnsWhite, (32 + 48 + 30) + (30 + 40)},
      },
      FreshMiddlegame);
}

TEST(PawnStructure, PassedAndWeakSets) {
  EngineReady();  // the square tables below are filled at start-up
  const SquareSet none{0, 0};
  const struct {
    const char* Text;
    const SquareSet* Set;
    SquareSet Expected;
  } cases[] = {
      {"4k3/1p1p4/8/8/8/2P5/2P5/4K3 w - - 0 1", &WhitePassed, none},
      {"4k3/1p1p4/8/8/8/2P5/2P5/4K3 w - - 0 1", &WhiteWeak, SquareBit[33] | SquareBit[43]},
      {"k7/3P4/4P3/8/8/8/8/6K1 w - - 0 1", &WhitePassed, SquareBit[84] | SquareBit[75]},
      {"k7/3P4/4P3/8/8/8/8/6K1 w - - 0 1", &WhiteWeak, none},
      // A pawn attacked by an enemy pawn is not passed.
      {"4k3/8/8/3p4/4P3/8/8/4K3 w - - 0 1", &WhitePassed, none},
      {"4k3/8/8/3p4/4P3/8/8/4K3 w - - 0 1", &BlackPassed, none},
      {"4k3/8/8/2p5/4P3/8/8/4K3 w - - 0 1", &WhitePassed, SquareBit[55]},
      {"4k3/8/8/2p5/4P3/8/8/4K3 w - - 0 1", &BlackPassed, SquareBit[63]},
  };
  for (const auto& c : cases) {
    FreshMiddlegame(c.Text);
    EXPECT_EQ(*c.Set, c.Expected) << c.Text;
  }
}

TEST(PawnCache, SideToMoveKeepsEntriesApart) {
  SetMiddlegame("4k3/pp3ppp/8/8/8/8/PPP2PPP/4K3 w - - 0 1");
  EvaluateRoot();
  ASSERT_EQ(LastEvalTerms.PawnCacheHit, 0);
  PawnCacheEntry* whiteSlot = &CurrentPawnSlot();
  SideToMove = Black;
  MaterialBalance[0] = -MaterialBalance[0];
  EXPECT_NE(&CurrentPawnSlot(), whiteSlot);
  EvaluateRoot();
  EXPECT_EQ(LastEvalTerms.PawnCacheHit, 0);
  EvaluateRoot();
  EXPECT_EQ(LastEvalTerms.PawnCacheHit, 1);
  // Even in the same slot an entry of the other side's tag is a miss.
  PawnCacheEntry& slot = CurrentPawnSlot();
  ASSERT_EQ(slot.Tag, -2);
  slot.Tag = 2;
  EvaluateRoot();
  EXPECT_EQ(LastEvalTerms.PawnCacheHit, 0);
  EXPECT_EQ(CurrentPawnSlot().Tag, -2);
}

TEST(PawnCache, MiddlegameAndEndgameEntriesAreApart) {
  SetPosition("4k3/pp3ppp/8/3p4/8/8/PPP2PPP/4K3 w - - 0 1");
  GamePhase = 0;
  EvaluateRoot();
  ASSERT_EQ(LastEvalTerms.PawnCacheHit, 0);
  EXPECT_EQ(CurrentPawnSlot().Tag, 2);
  const int32_t middlegamePawns = LastEvalTerms.PawnScore;
  GamePhase = 1;
  EvaluateRoot();
  EXPECT_EQ(LastEvalTerms.PawnCacheHit, 0);
  EXPECT_EQ(CurrentPawnSlot().Tag, 1);
  EXPECT_NE(LastEvalTerms.PawnScore, middlegamePawns);
  GamePhase = 0;
  EvaluateRoot();
  EXPECT_EQ(LastEvalTerms.PawnCacheHit, 0);
  EXPECT_EQ(LastEvalTerms.PawnScore, middlegamePawns);
}

TEST(PawnCache, ScoreIsKeptIn16Bits) {
  SetMiddlegame("4k3/pp3ppp/8/8/8/8/PPP2PPP/4K3 w - - 0 1");
  PawnScore = 40000;
  StorePawnCache(2);
  PawnScore = 0;
  ASSERT_EQ(ProbePawnCache(2), 1);
  EXPECT_EQ(PawnScore, 40000 - 65536);
  PawnScore = -12345;
  StorePawnCache(2);
  ASSERT_EQ(ProbePawnCache(2), 1);
  EXPECT_EQ(PawnScore, -12345);
  EXPECT_EQ(ProbePawnCache(1), 0);
  EXPECT_EQ(PawnScore, 0);
}

}  // namespace
