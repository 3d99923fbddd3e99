// Node entry shared by Search and Quiesce, inline because every node runs it.
#pragma once

#include <cstdint>

#include "attacks.h"
#include "board.h"
#include "rootdriver.h"
#include "search.h"
#include "searchstate.h"

// Answers -1 when the move that led here was illegal (the node scores
// InfiniteScore - Ply); otherwise sets InCheck, empties the node's
// principal-variation row, counts the node and answers the side to move's
// check count.
inline int32_t EnterNode() {
  // A king left attacked, or kings side by side: the move that led here was illegal.
  int32_t check;
  if (SideToMove == White) {
    if (BitAttackedByWhite(BlackKingSquare) > 0) return -1;
    check = BitAttackedByBlack(WhiteKingSquare);
  } else {
    if (BitAttackedByBlack(WhiteKingSquare) > 0) return -1;
    check = BitAttackedByWhite(BlackKingSquare);
  }
  InCheck = check;
  if (check == 2) return -1;
  PVTable[Ply][0].From = 0;
  ++NodeCount;
  return check;
}
