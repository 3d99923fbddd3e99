// The playability rule for position texts.
#include "playable.h"

#include <cstring>

#include "attacks.h"
#include "board.h"

int32_t PositionUnusable;

int32_t PositionIsPlayable() {
  int32_t count[2][7] = {};
  for (int32_t s = 21; s <= 98; ++s) {
    const int32_t p = GameBoard[s];
    if (p == Empty || p == OffBoard) continue;
    const int32_t type = p > 0 ? p : -p;
    if (type > King) return 0;
    if (type == Pawn && (s <= 28 || s >= 91)) return 0;
    ++count[p > 0 ? WhiteIndex : BlackIndex][type];
  }
  for (const int32_t* c : count) {
    if (c[King] != 1 || c[Pawn] > 8) return 0;
    const int32_t men = c[Pawn] + c[Knight] + c[Bishop] + c[Rook] + c[Queen] + c[King];
    auto beyond = [](int32_t n, int32_t initial) { return n > initial ? n - initial : 0; };
    const int32_t promoted =
        beyond(c[Queen], 1) + beyond(c[Rook], 2) + beyond(c[Bishop], 2) + beyond(c[Knight], 2);
    if (men > 16 || c[Pawn] + promoted > 8) return 0;
  }
  // The mailbox tests read SearchBoard and the king squares only.
  std::memcpy(SearchBoard, GameBoard, sizeof(Board));
  const int32_t attacked =
      SideToMove == White ? AttackedByWhite(BlackKingSquare) : AttackedByBlack(WhiteKingSquare);
  return attacked == 0 ? 1 : 0;
}
