// Square and move text.
#include "movetext.h"

#include "movelist.h"
#include "types.h"

char CurrentMoveText[8];
const char EmptyMoveText[1] = {'\0'};

void SquareText(int32_t square, char out[3]) {
  if (square < 21 || square > 98) {
    out[0] = '-';
    out[1] = '-';
  } else {
    out[0] = char(64 + square % 10);
    out[1] = char(47 + square / 10);
  }
  out[2] = '\0';
}

namespace {

inline char LowerFile(char c) { return (c >= 'A' && c <= 'H') ? char(c - 'A' + 'a') : c; }

}  // namespace

const char* MoveText(int32_t m) {
  const MoveEntry& e = MoveList[m];
  char from[3], to[3];
  SquareText(e.From, from);
  SquareText(e.To, to);
  int32_t n = 0;
  CurrentMoveText[n++] = LowerFile(from[0]);
  CurrentMoveText[n++] = from[1];
  CurrentMoveText[n++] = LowerFile(to[0]);
  CurrentMoveText[n++] = to[1];
  if (IsPromotionFlag(e.Flag)) {
    switch (e.Flag) {
      case Queen: CurrentMoveText[n++] = 'Q'; break;
      case Rook: CurrentMoveText[n++] = 'R'; break;
      case Bishop: CurrentMoveText[n++] = 'B'; break;
      case Knight: CurrentMoveText[n++] = 'N'; break;
      default: break;
    }
  }
  CurrentMoveText[n] = '\0';
  return CurrentMoveText;
}
