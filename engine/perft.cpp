// Perft: counts leaf nodes over legal moves.
#include "perft.h"

#include "attacks.h"
#include "board.h"
#include "makemove.h"
#include "movegen.h"
#include "movelist.h"
#include "searchstate.h"

int32_t PerftOverflow;

int32_t MoverKingAttacked() {
  return SideToMove == Black ? BitAttackedByBlack(WhiteKingSquare) : BitAttackedByWhite(BlackKingSquare);
}

int32_t AppendUnderPromotions(int32_t start, int32_t end) {
  const int32_t generatedEnd = end;
  for (int32_t i = start; i < generatedEnd; ++i) {
    if (MoveList[i].Flag != Queen) continue;
    bool complete = false;
    for (int32_t j = start; j < generatedEnd; ++j)
      if (MoveList[j].Flag == Rook && MoveList[j].From == MoveList[i].From && MoveList[j].To == MoveList[i].To)
        complete = true;
    if (complete) continue;
    static const uint8_t others[3] = {Rook, Bishop, Knight};
    for (uint8_t flag : others) {
      if (end >= GeneratorLimit) {
        PerftOverflow = 1;
        return end;
      }
      MoveList[end] = MoveList[i];
      MoveList[end].Flag = flag;
      ++end;
    }
  }
  return end;
}

namespace {

uint64_t PerftNode(int32_t depth) {
  const int32_t start = MoveListTop;
  ListStart[Ply] = start;
  GenerateMoves();
  int32_t end = start + GeneratedCount;
  if (end >= GeneratorLimit) PerftOverflow = 1;
  end = AppendUnderPromotions(start, end);
  MoveListTop = end;
  ListStart[Ply + 1] = end;
  uint64_t nodes = 0;
  for (int32_t i = start; i < end; ++i) {
    MakeMove(i);
    if (!MoverKingAttacked()) nodes += depth <= 1 ? 1 : PerftNode(depth - 1);
    UnmakeMove(i);
  }
  MoveListTop = start;
  return nodes;
}

}  // namespace

uint64_t Perft(int32_t depth) {
  if (depth <= 0) return 1;
  if (depth > PerftMaxDepth) return 0;
  return PerftNode(depth);
}
