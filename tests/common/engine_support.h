// Helpers of the tests that drive the engine's move lists directly.
#pragma once

#include "engine/engine.h"

// Deep in the tree the generator writes promotions with the queen only:
// appends after the moves [start, end) the rook, bishop and knight versions
// of each such promotion, and answers the new end of the list.
inline int32_t AppendUnderPromotions(int32_t start, int32_t end) {
  int32_t top = end;
  for (int32_t i = start; i < end; ++i) {
    if (MoveList[i].Flag != Queen) continue;
    bool complete = false;
    for (int32_t j = start; j < end; ++j)
      if (MoveList[j].Flag == Rook && MoveList[j].From == MoveList[i].From && MoveList[j].To == MoveList[i].To)
        complete = true;
    if (complete) continue;
    for (int32_t piece : {Rook, Bishop, Knight}) {
      MoveList[top] = MoveList[i];
      MoveList[top++].Flag = uint8_t(piece);
    }
  }
  return top;
}
