// Whether a host board is a position the engine can be given: the rule the
// engine and the host apply too. Only host piece bytes (0, 1..6, 9..14);
// exactly one king a side; no pawn on the first or last rank; at most 16
// men and 8 pawns a side, and no more pieces beyond the first set (one
// queen, two rooks, bishops, knights) than pawns are missing; the side not
// to move not in check.
#include "adapter_state.h"

namespace {

// The piece on a file and rank, or -1 off the board.
int32_t PieceAt(const uint8_t* board, int32_t file, int32_t rank) {
  if (file < 0 || file > 7 || rank < 0 || rank > 7) return -1;
  return board[rank * 8 + file];
}

bool SquareAttacked(const uint8_t* board, int32_t square, int32_t attacker) {
  static const int32_t KnightSteps[8][2] = {{1, 2}, {2, 1}, {2, -1}, {1, -2}, {-1, -2}, {-2, -1}, {-2, 1}, {-1, 2}};
  static const int32_t KingSteps[8][2] = {{1, 0}, {1, 1}, {0, 1}, {-1, 1}, {-1, 0}, {-1, -1}, {0, -1}, {1, -1}};
  const int32_t file = square & 7;
  const int32_t rank = square >> 3;
  // A white pawn takes towards rank 8, so it attacks from the rank below.
  const int32_t pawnRank = attacker == 0 ? rank - 1 : rank + 1;
  if (PieceAt(board, file - 1, pawnRank) == attacker + HostPawn ||
      PieceAt(board, file + 1, pawnRank) == attacker + HostPawn)
    return true;
  for (const auto& step : KnightSteps)
    if (PieceAt(board, file + step[0], rank + step[1]) == attacker + HostKnight) return true;
  for (int32_t d = 0; d < 8; ++d) {
    const int32_t df = KingSteps[d][0], dr = KingSteps[d][1];
    if (PieceAt(board, file + df, rank + dr) == attacker + HostKing) return true;
    // Odd steps are diagonal: bishops and queens; even ones rooks and queens.
    const int32_t slider = (d & 1) != 0 ? HostBishop : HostRook;
    for (int32_t f = file + df, r = rank + dr;; f += df, r += dr) {
      const int32_t piece = PieceAt(board, f, r);
      if (piece == 0) continue;
      if (piece == attacker + slider || piece == attacker + HostQueen) return true;
      break;
    }
  }
  return false;
}

}  // namespace

int32_t BoardIsPlayable(const uint8_t* board, int32_t whiteToMove) {
  int32_t count[2][8] = {};
  int32_t king[2] = {-1, -1};
  for (int32_t square = 0; square < 64; ++square) {
    const int32_t piece = board[square];
    if (piece == 0) continue;
    const int32_t type = piece & 7;
    if (piece > 14 || type == 0 || type == 7) return 0;
    const int32_t side = piece >> 3;
    if (type == HostPawn && (square < 8 || square >= 56)) return 0;
    ++count[side][type];
    if (type == HostKing) king[side] = square;
  }
  for (int32_t side = 0; side < 2; ++side) {
    const int32_t* c = count[side];
    if (c[HostKing] != 1) return 0;
    const int32_t men = c[HostPawn] + c[HostKnight] + c[HostBishop] + c[HostRook] + c[HostQueen] + 1;
    auto beyond = [](int32_t n, int32_t first) { return n > first ? n - first : 0; };
    const int32_t promoted = beyond(c[HostQueen], 1) + beyond(c[HostRook], 2) + beyond(c[HostBishop], 2) +
                             beyond(c[HostKnight], 2);
    if (c[HostPawn] > 8 || men > 16 || c[HostPawn] + promoted > 8) return 0;
  }
  // The side not to move may not stand in check.
  const int32_t waiting = whiteToMove != 0 ? 1 : 0;
  return SquareAttacked(board, king[waiting], waiting != 0 ? 0 : HostBlack) ? 0 : 1;
}
