// Node entry shared by Search and Quiesce, inline because every node runs it.
#pragma once

#include <cstdint>
#include <cstdlib>

#include "attacks.h"
#include "board.h"
#include "eval.h"
#include "root.h"
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

// The endgame draw by material, used by Search and Quiesce once five plies are
// behind: without pawns and out of check, a single minor piece or two knights
// cannot force mate, and up to two minor pieces with the balance within a
// pawn cannot win either. Such a node scores 0.
inline bool IsMaterialDraw(int32_t check) {
  if (GamePhase == 1 && check == 0 && Ply >= 5 && PawnCount[WhiteIndex] == 0 && PawnCount[BlackIndex] == 0) {
    const int32_t material = PieceMaterial[Ply];
    if (material <= PieceValue[Bishop] || material == 2 * PieceValue[Knight]) return true;
    if (material <= 2 * PieceValue[Bishop] && std::abs(MaterialBalance[Ply]) < PieceValue[Pawn]) return true;
  }
  return false;
}
