// Odd positions that the position reader accepts (pawns on the first and
// last rank, missing or extra kings, crowded boards) are evaluated by every
// evaluator without reading outside any table, and consistently with the
// pawn cache.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "evaltestsupport.h"

namespace {

std::string RandomPlacement(std::mt19937& rng, int fill) {
  static const char Pieces[] = "PNBRQKpnbrqk";
  std::string text;
  for (int rank = 7; rank >= 0; --rank) {
    int empty = 0;
    for (int file = 0; file < 8; ++file) {
      if (static_cast<int>(rng() % 100) < fill) {
        if (empty) text += static_cast<char>('0' + empty);
        empty = 0;
        // Pawns twice as likely, so files fill up with them.
        const uint32_t pick = rng() % 16;
        text += pick < 12 ? Pieces[pick] : (pick < 14 ? 'P' : 'p');
      } else {
        ++empty;
      }
    }
    if (empty) text += static_cast<char>('0' + empty);
    if (rank) text += '/';
  }
  text += (rng() & 1) ? " w" : " b";
  return text;
}

void EvaluateEveryWay() {
  for (int32_t phase = 0; phase <= 2; ++phase) {
    for (int32_t mating = 0; mating <= (phase == 2 ? 3 : 0); ++mating) {
      GamePhase = phase;
      MatingClass = phase == 2 ? (mating == 0 ? 1 : mating) : 0;
      StrongSide = (mating & 1) ? White : Black;
      BishopColour = (mating & 2) ? 1 : -1;
      CurrentPawnSlot().Tag = 0;
      const int32_t fresh = EvaluateRoot();
      const int32_t cached = EvaluateRoot();
      EXPECT_EQ(fresh, cached);
      for (int32_t window = -1500; window <= 1500; window += 500) Evaluate(window, window + 1);
    }
  }
}

TEST(EvalRobustness, OddPositionsFromText) {
  std::mt19937 rng(99);
  for (int i = 0; i < 200; ++i) {
    const std::string text = RandomPlacement(rng, 5 + static_cast<int>(rng() % 60));
    SCOPED_TRACE(text);
    SetPosition(text.c_str());
    EvaluateEveryWay();
    RootCheckProbe();
  }
}

TEST(EvalRobustness, PawnsOnTheBackRanksAndNoKings) {
  const char* const texts[] = {
      "PPPPPPPP/pppppppp/8/8/8/8/PPPPPPPP/pppppppp w",
      "pppppppp/PPPPPPPP/8/8/8/8/pppppppp/PPPPPPPP b",
      "8/8/8/8/8/8/8/8 w",
      "KKKKKKKK/kkkkkkkk/NNNNNNNN/nnnnnnnn/BBBBBBBB/bbbbbbbb/QQQQQQQQ/qqqqqqqq w",
      "P6p/1P4p1/2P2p2/3Pp3/3pP3/2p2P2/1p4P1/p6P b",
  };
  for (const char* text : texts) {
    SCOPED_TRACE(text);
    SetPosition(text);
    EvaluateEveryWay();
    RootCheckProbe();
  }
}

}  // namespace
