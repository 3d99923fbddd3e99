// Races of passed pawns that the enemy king cannot catch, in endings of
// kings and pawns only: the square rule per pawn, two split passers that one
// king cannot hold together, and who promotes first.
#include "eval.h"
#include "pawncache.h"

namespace {

inline int32_t Distance(int32_t a, int32_t b) { return KingDistance[a][b]; }
inline int32_t Absolute(int32_t x) { return x < 0 ? -x : x; }

// Pawn squares of a set from the lowest up (white) or the highest down
// (black), as the pair search visits them.
int32_t ListSquares(SquareSet set, bool highestFirst, int32_t out[64]) {
  int32_t n = 0;
  while (!IsEmpty(set)) {
    const int32_t s = highestFirst ? HighestSquare(set) : LowestSquare(set);
    set &= SquareBitClear[s];
    out[n++] = s;
  }
  return n;
}

// Moves to promotion of a pawn of the given side.
inline int32_t MovesToGo(int32_t side, int32_t s) { return side == White ? 7 - RankOf[s] : RankOf[s]; }

// Two passers of one side that the defending king cannot both stop: returns
// the chosen pawn's square, or 0 when no pair qualifies. The side to move
// uses the plain file-distance test; the side not to move also accepts a
// pair one file closer if the defending king stands off the pawns.
int32_t SplitPassers(int32_t side, SquareSet passed, int32_t defendingKing) {
  int32_t squares[64];
  const int32_t n = ListSquares(passed, side == Black, squares);
  const bool toMove = side == SideToMove;
  int32_t best = 999;
  int32_t chosen = 0;
  for (int32_t i = 0; i < n; ++i) {
    const int32_t p1 = squares[i];
    for (int32_t j = 0; j < n; ++j) {
      if (j == i) continue;
      const int32_t p2 = squares[j];
      const int32_t m1 = MovesToGo(side, p1);
      const int32_t m2 = MovesToGo(side, p2);
      const int32_t m = m1 > m2 ? m1 : m2;
      if (m >= best) continue;
      const int32_t apart = Absolute(FileOf[p1] - FileOf[p2]);
      bool accepted = apart >= m;
      if (!accepted && !toMove && apart == m - 1) {
        if (RankOf[p1] == RankOf[p2]) {
          accepted = Distance(defendingKing, p1) >= 2 && Distance(defendingKing, p2) >= 2;
        } else {
          accepted = Distance(defendingKing, p1) >= 2;
        }
      }
      if (accepted) {
        best = m;
        chosen = p2;
      }
    }
  }
  return best < 10 ? chosen : 0;
}

}  // namespace

int32_t PawnRace() {
  const int32_t wk = WhiteKingSquare;
  const int32_t bk = BlackKingSquare;
  SquareSet whiteUnstoppable;
  SquareSet blackUnstoppable;
  if (SideToMove == White) {
    whiteUnstoppable = WhitePassed & WhitePawnRace[bk];
    blackUnstoppable = BlackPassed & BlackPawnRaceLate[wk];
  } else {
    whiteUnstoppable = WhitePassed & WhitePawnRaceLate[bk];
    blackUnstoppable = BlackPassed & BlackPawnRace[wk];
  }

  // The defending king is always the king of the side to move.
  const int32_t defendingKing = SideToMove == White ? wk : bk;
  if (IsEmpty(whiteUnstoppable) && CountSquares(WhitePassed) >= 2) {
    const int32_t p = SplitPassers(White, WhitePassed, defendingKing);
    if (p != 0) whiteUnstoppable = SquareBit[p];
  }
  if (IsEmpty(blackUnstoppable) && CountSquares(BlackPassed) >= 2) {
    const int32_t p = SplitPassers(Black, BlackPassed, defendingKing);
    if (p != 0) blackUnstoppable = SquareBit[p];
  }

  const bool white = !IsEmpty(whiteUnstoppable);
  const bool black = !IsEmpty(blackUnstoppable);
  if (white && !black) return 400;
  if (black && !white) return -400;
  if (!white) return 0;

  // Both sides queen: the least advanced unstoppable pawn of each decides.
  const int32_t w = 7 - RankOf[LowestSquare(whiteUnstoppable)];
  const int32_t b = RankOf[HighestSquare(blackUnstoppable)];
  if (SideToMove == White) {
    if (w < b) return 400;
    if (w == b) return 100;
    if (w == b + 1) return -100;
    return -400;
  }
  if (b < w) return -400;
  if (b == w) return -100;
  if (b == w + 1) return 100;
  return 400;
}
