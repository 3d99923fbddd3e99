// Capture generation for the quiescence search and the horizon of the main
// search. No quiet moves, no castling; promotions only to a queen.

#include "captures.h"

#include <cstdlib>

#include "board.h"
#include "movegen.h"
#include "movelist.h"
#include "searchstate.h"
#include "steps.h"
#include "tables.h"

namespace {

// The call's arguments, read by the add routines.
int32_t CaptureReference;
int32_t CaptureBound;

// First non-empty cell along a ray (the border value stops every walk).
inline int32_t RayEnd(int32_t from, int32_t step) {
  int32_t to = from + step;
  while (SearchBoard[to] == Empty) to += step;
  return to;
}

void WhitePieceCaptures(int32_t from, int32_t type) {
  switch (type) {
    case Pawn: {
      if (from >= 81) {
        if (SearchBoard[from + 10] == Empty) AddQueenPromotion(from, from + 10, Pawn);
        if (SearchBoard[from + 11] < 0) AddQueenPromotion(from, from + 11, Pawn);
        if (SearchBoard[from + 9] < 0) AddQueenPromotion(from, from + 9, Pawn);
      } else {
        if (SearchBoard[from + 11] < 0) AddQuiescenceCapture(from, from + 11, Pawn);
        if (SearchBoard[from + 9] < 0) AddQuiescenceCapture(from, from + 9, Pawn);
      }
      break;
    }
    case Knight:
      for (int32_t step : KnightSteps)
        if (SearchBoard[from + step] < 0) AddQuiescenceCapture(from, from + step, Knight);
      break;
    case King:
      for (int32_t step : KingSteps)
        if (SearchBoard[from + step] < 0) AddQuiescenceCapture(from, from + step, King);
      break;
    default:
      if (type != Bishop)
        for (int32_t step : RookRays) {
          int32_t to = RayEnd(from, step);
          if (SearchBoard[to] < 0) AddQuiescenceCapture(from, to, type);
        }
      if (type != Rook)
        for (int32_t step : BishopRays) {
          int32_t to = RayEnd(from, step);
          if (SearchBoard[to] < 0) AddQuiescenceCapture(from, to, type);
        }
      break;
  }
}

inline bool HoldsWhitePiece(int32_t sq) {
  int32_t p = SearchBoard[sq];
  return p > 0 && p != OffBoard;
}

void BlackPieceCaptures(int32_t from, int32_t type) {
  switch (type) {
    case Pawn: {
      if (from <= 38) {
        if (SearchBoard[from - 10] == Empty) AddQueenPromotion(from, from - 10, Pawn);
        if (HoldsWhitePiece(from - 11)) AddQueenPromotion(from, from - 11, Pawn);
        if (HoldsWhitePiece(from - 9)) AddQueenPromotion(from, from - 9, Pawn);
      } else {
        if (HoldsWhitePiece(from - 11)) AddQuiescenceCapture(from, from - 11, Pawn);
        if (HoldsWhitePiece(from - 9)) AddQuiescenceCapture(from, from - 9, Pawn);
      }
      break;
    }
    case Knight:
      for (int32_t step : KnightSteps)
        if (HoldsWhitePiece(from + step)) AddQuiescenceCapture(from, from + step, Knight);
      break;
    case King:
      for (int32_t step : KingSteps)
        if (HoldsWhitePiece(from + step)) AddQuiescenceCapture(from, from + step, King);
      break;
    default:
      if (type != Bishop)
        for (int32_t step : RookRays) {
          int32_t to = RayEnd(from, step);
          if (HoldsWhitePiece(to)) AddQuiescenceCapture(from, to, type);
        }
      if (type != Rook)
        for (int32_t step : BishopRays) {
          int32_t to = RayEnd(from, step);
          if (HoldsWhitePiece(to)) AddQuiescenceCapture(from, to, type);
        }
      break;
  }
}

}  // namespace

void GenerateCaptures(int32_t referenceScore, int32_t bound) {
  CaptureReference = referenceScore;
  CaptureBound = bound;
  GeneratedCount = 0;
  const int32_t ep = EpSquare[Ply];
  if (SideToMove == White) {
    SquareSet pieces = WhiteOccupied;
    while (!IsEmpty(pieces)) {
      int32_t from = PopLowestSquare(pieces);
      WhitePieceCaptures(from, SearchBoard[from]);
    }
    if (ep != 0) {
      if (SearchBoard[ep - 9] == Pawn) AddQuiescenceEnPassant(ep - 9, ep, ep - 10);
      if (SearchBoard[ep - 11] == Pawn) AddQuiescenceEnPassant(ep - 11, ep, ep - 10);
    }
  } else {
    SquareSet pieces = BlackOccupied;
    while (!IsEmpty(pieces)) {
      int32_t from = PopLowestSquare(pieces);
      BlackPieceCaptures(from, -SearchBoard[from]);
    }
    if (ep != 0) {
      if (SearchBoard[ep + 9] == -Pawn) AddQuiescenceEnPassant(ep + 9, ep, ep + 10);
      if (SearchBoard[ep + 11] == -Pawn) AddQuiescenceEnPassant(ep + 11, ep, ep + 10);
    }
  }
}

void AddQuiescenceCapture(int32_t from, int32_t to, int32_t movingType) {
  const int32_t victim = std::abs(SearchBoard[to]);
  if (victim == King) return;
  // Captures that cannot bring the score back near the window are not worth a node.
  if (CaptureReference - PieceValue[victim] >= CaptureBound + 420) return;
  MoveEntry* e = NewMoveEntry();
  if (e == nullptr) return;
  const int32_t v = PieceValue[victim];
  const int32_t a = PieceValue[movingType];
  int16_t score;
  if (victim >= movingType)
    score = int16_t(int16_t(16 * v) - int16_t(a / 32));
  else
    score = int16_t(int16_t(v) - int16_t(a / 32));
  e->Score = score;
  e->From = uint8_t(from);
  e->To = uint8_t(to);
  e->Captured = uint8_t(victim);
  e->Flag = 0;
  e->Extra = 0;
}

void AddQuiescenceEnPassant(int32_t from, int32_t to, int32_t capturedSquare) {
  MoveEntry* e = NewMoveEntry();
  if (e == nullptr) return;
  e->Score = 1200;
  e->From = uint8_t(from);
  e->To = uint8_t(to);
  e->Captured = Pawn;
  e->Flag = 0;
  e->Extra = uint8_t(capturedSquare);
}

void AddQueenPromotion(int32_t from, int32_t to, int32_t movingType) {
  const int32_t before = GeneratedCount;
  if (SearchBoard[to] != Empty)
    AddCapture(from, to, movingType);
  else
    AddQuietMove(from, to, movingType);
  if (GeneratedCount == before) return;  // the target was a king
  MoveEntry& e = MoveList[MoveListTop - 1];
  e.Flag = Queen;
  e.Score = 20000;
}
