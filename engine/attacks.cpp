// Attack tests on the mailbox and on the square sets.
#include "attacks.h"

#include "board.h"
#include "tables.h"

int32_t AttackedByWhite(int32_t s) {
  const Piece* b = SearchBoard;
  if (b[s - 9] == Pawn || b[s - 11] == Pawn) return 1;
  if (b[s + 19] == Knight || b[s - 19] == Knight || b[s + 21] == Knight || b[s - 21] == Knight ||
      b[s + 12] == Knight || b[s - 12] == Knight || b[s + 8] == Knight || b[s - 8] == Knight)
    return 1;
  static const int32_t diagonals[4] = {11, -11, 9, -9};
  for (int32_t d : diagonals) {
    int32_t t = s + d;
    while (b[t] == Empty) t += d;
    if (b[t] == Bishop || b[t] == Queen) return 1;
  }
  static const int32_t lines[4] = {10, -10, -1, 1};
  for (int32_t d : lines) {
    int32_t t = s + d;
    while (b[t] == Empty) t += d;
    if (b[t] == Rook || b[t] == Queen) return 1;
  }
  return AdjacentTable[s][WhiteKingSquare] ? 2 : 0;
}

int32_t AttackedByBlack(int32_t s) {
  const Piece* b = SearchBoard;
  if (b[s + 9] == -Pawn || b[s + 11] == -Pawn) return 1;
  if (b[s + 19] == -Knight || b[s - 19] == -Knight || b[s + 21] == -Knight || b[s - 21] == -Knight ||
      b[s + 12] == -Knight || b[s - 12] == -Knight || b[s + 8] == -Knight || b[s - 8] == -Knight)
    return 1;
  static const int32_t diagonals[4] = {-11, 11, 9, -9};
  for (int32_t d : diagonals) {
    int32_t t = s + d;
    while (b[t] == Empty) t += d;
    if (b[t] == -Bishop || b[t] == -Queen) return 1;
  }
  static const int32_t lines[4] = {-1, 1, -10, 10};
  for (int32_t d : lines) {
    int32_t t = s + d;
    while (b[t] == Empty) t += d;
    if (b[t] == -Rook || b[t] == -Queen) return 1;
  }
  return AdjacentTable[s][BlackKingSquare] ? 2 : 0;
}

namespace {

// 1 when some slider of the candidate set reaches s over empty squares.
inline bool SliderReaches(int32_t s, SquareSet candidates) {
  while (!IsEmpty(candidates)) {
    int32_t c = PopLowestSquare(candidates);
    if (!Intersects(BetweenTable[s][c], AllOccupied)) return true;
  }
  return false;
}

}  // namespace

int32_t BitAttackedByWhite(int32_t s) {
  if (AdjacentTable[WhiteKingSquare][BlackKingSquare]) return 2;
  if (Intersects(WhitePawns, SquareBit[s - 9] | SquareBit[s - 11])) return 1;
  if (Intersects(KnightMask[s], WhiteKnights)) return 1;
  if (SliderReaches(s, RookLineMask[s] & (WhiteRooks | WhiteQueens))) return 1;
  if (SliderReaches(s, BishopLineMask[s] & (WhiteBishops | WhiteQueens))) return 1;
  return 0;
}

int32_t BitAttackedByBlack(int32_t s) {
  if (AdjacentTable[WhiteKingSquare][BlackKingSquare]) return 2;
  if (Intersects(BlackPawns, SquareBit[s + 9] | SquareBit[s + 11])) return 1;
  if (Intersects(KnightMask[s], BlackKnights)) return 1;
  if (SliderReaches(s, RookLineMask[s] & (BlackRooks | BlackQueens))) return 1;
  if (SliderReaches(s, BishopLineMask[s] & (BlackBishops | BlackQueens))) return 1;
  return 0;
}
