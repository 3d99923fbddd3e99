// Before the first evaluation the root looks at checks: a position whose side
// not to move stands in check is already won (its king can be taken), and
// otherwise the search needs to know whether the side to move is in check.
#include "attacks.h"
#include "board.h"
#include "eval.h"
#include "scores.h"
#include "searchstate.h"

int32_t RootCheckProbe() {
  if (SideToMove == White) {
    if (AttackedByWhite(BlackKingSquare) != 0) return InfiniteScore - Ply;
    InCheck = AttackedByBlack(WhiteKingSquare);
  } else {
    if (AttackedByBlack(WhiteKingSquare) != 0) return InfiniteScore - Ply;
    InCheck = AttackedByWhite(BlackKingSquare);
  }
  return 0;
}
