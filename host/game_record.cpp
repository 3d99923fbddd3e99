#include "game_record.h"

#include <cstring>

void FillGameRecord(GameRecord* record, const ChessPosition& start, bool fromInitial,
                    const std::vector<ChessMove>& moves) {
  ChessPosition base = start;
  size_t first = 0;
  if (moves.size() > size_t(GameMoveCapacity)) {
    first = moves.size() - size_t(GameMoveCapacity);
    for (size_t i = 0; i < first; ++i) PlayMove(&base, moves[i]);
    fromInitial = false;
  }
  record->StartsFromInitial = fromInitial ? 1 : 0;
  memcpy(record->Board, base.Board, 64);
  record->WhiteToMove = base.WhiteToMove ? 1 : 0;
  record->EpSquare = uint8_t(base.EpSquare >= 0 ? base.EpSquare : 0);
  record->CastlingRights = uint8_t(base.Castling);
  size_t count = moves.size() - first;
  for (size_t i = 0; i < count; ++i) record->Moves[i] = MoveToCode(moves[first + i]);
  record->MoveCount = uint16_t(count);
}
