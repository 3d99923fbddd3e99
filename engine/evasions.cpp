// Legal moves out of check, with ordering scores of their own. Zero moves
// means mate, one move earns the single-reply extension, so every move here
// is tested on the board before it is listed.

#include "evasions.h"

#include <cstdlib>
#include <initializer_list>

#include "attacks.h"
#include "board.h"
#include "hashtable.h"
#include "movegen.h"
#include "movelist.h"
#include "root.h"
#include "searchstate.h"
#include "steps.h"
#include "tables.h"

namespace {

inline bool SamePair(MovePair pair, int32_t from, int32_t to) { return pair.From == from && pair.To == to; }
inline bool IsFollowedMove(int32_t from, int32_t to) { return SamePair(FollowLine[Ply], from, to); }
inline bool IsHashMove(int32_t from, int32_t to) { return HashMoveValid != 0 && SamePair(HashMove, from, to); }

}  // namespace

// Plays from -> to on the board alone (victim square emptied for en passant),
// asks whether the mover's king is attacked, and puts everything back.
bool LeavesKingSafe(int32_t from, int32_t to, int32_t victimSquare) {
  const Piece moving = SearchBoard[from];
  const Piece target = SearchBoard[to];
  Piece victim = 0;
  if (victimSquare != 0) {
    victim = SearchBoard[victimSquare];
    SearchBoard[victimSquare] = Empty;
  }
  SearchBoard[to] = moving;
  SearchBoard[from] = Empty;
  int32_t attacked;
  if (moving > 0) {
    const int32_t king = moving == King ? to : WhiteKingSquare;
    attacked = AttackedByBlack(king);
  } else {
    const int32_t king = moving == -King ? to : BlackKingSquare;
    attacked = AttackedByWhite(king);
  }
  SearchBoard[from] = moving;
  SearchBoard[to] = target;
  if (victimSquare != 0) SearchBoard[victimSquare] = victim;
  return attacked == 0;
}

namespace {

MoveEntry* WriteEntry(int32_t from, int32_t to, int32_t captured, int32_t extra, int32_t score) {
  MoveEntry* e = NewMoveEntry();
  if (e == nullptr) return nullptr;
  e->Score = int16_t(score);
  e->From = uint8_t(from);
  e->To = uint8_t(to);
  e->Captured = uint8_t(captured);
  e->Flag = 0;
  e->Extra = uint8_t(extra);
  return e;
}

// An enemy piece for the mover of `side` (the border value is nobody's).
inline bool IsEnemy(int32_t side, Piece p) { return side > 0 ? p < 0 : (p > 0 && p != OffBoard); }

void StepTargets(int32_t side, int32_t from, const int32_t* steps) {
  for (int32_t k = 0; k < 8; ++k) {
    const int32_t to = from + steps[k];
    const Piece p = SearchBoard[to];
    if (p == Empty)
      AddLegalQuiet(from, to);
    else if (IsEnemy(side, p))
      AddLegalCapture(from, to);
  }
}

void RayTargets(int32_t side, int32_t from, const int32_t* rays) {
  for (int32_t k = 0; k < 4; ++k) {
    int32_t to = from + rays[k];
    while (SearchBoard[to] == Empty) {
      AddLegalQuiet(from, to);
      to += rays[k];
    }
    if (IsEnemy(side, SearchBoard[to])) AddLegalCapture(from, to);
  }
}

void WhitePawnEvasions(int32_t from) {
  if (SearchBoard[from + 10] == Empty) {
    if (from >= 81) {
      AddLegalPromotions(from, from + 10);
    } else {
      AddLegalQuiet(from, from + 10);
      if (from <= 38 && SearchBoard[from + 20] == Empty) {
        const int32_t before = GeneratedCount;
        AddLegalQuiet(from, from + 20);
        if (GeneratedCount != before) MoveList[MoveListTop - 1].Extra = uint8_t(from + 10);
      }
    }
  }
  for (int32_t step : {11, 9}) {
    if (SearchBoard[from + step] < 0) {
      if (from >= 81)
        AddLegalPromotions(from, from + step);
      else
        AddLegalCapture(from, from + step);
    }
  }
}

void BlackPawnEvasions(int32_t from) {
  if (SearchBoard[from - 10] == Empty) {
    if (from <= 38) {
      AddLegalPromotions(from, from - 10);
    } else {
      AddLegalQuiet(from, from - 10);
      if (from >= 81 && SearchBoard[from - 20] == Empty) {
        const int32_t before = GeneratedCount;
        AddLegalQuiet(from, from - 20);
        if (GeneratedCount != before) MoveList[MoveListTop - 1].Extra = uint8_t(from - 10);
      }
    }
  }
  for (int32_t step : {-11, -9}) {
    const Piece p = SearchBoard[from + step];
    if (p > 0 && p != OffBoard) {
      if (from <= 38)
        AddLegalPromotions(from, from + step);
      else
        AddLegalCapture(from, from + step);
    }
  }
}

}  // namespace

void GenerateEvasions() {
  GeneratedCount = 0;
  FetchHashMove();
  const int32_t ep = EpSquare[Ply];
  const int32_t side = SideToMove;
  SquareSet pieces = side == White ? WhiteOccupied : BlackOccupied;
  while (!IsEmpty(pieces)) {
    const int32_t from = PopLowestSquare(pieces);
    const int32_t type = std::abs(SearchBoard[from]);
    switch (type) {
      case Pawn:
        if (side == White)
          WhitePawnEvasions(from);
        else
          BlackPawnEvasions(from);
        break;
      case Knight:
        StepTargets(side, from, KnightSteps);
        break;
      case King:
        StepTargets(side, from, KingSteps);
        break;
      case Bishop:
        RayTargets(side, from, BishopRays);
        break;
      case Rook:
        RayTargets(side, from, RookRays);
        break;
      case Queen:
        RayTargets(side, from, RookRays);
        RayTargets(side, from, BishopRays);
        break;
      default:
        break;
    }
  }
  if (ep != 0) {
    if (side == White) {
      if (SearchBoard[ep - 9] == Pawn) AddLegalEnPassant(ep - 9, ep, ep - 10);
      if (SearchBoard[ep - 11] == Pawn) AddLegalEnPassant(ep - 11, ep, ep - 10);
    } else {
      if (SearchBoard[ep + 9] == -Pawn) AddLegalEnPassant(ep + 9, ep, ep + 10);
      if (SearchBoard[ep + 11] == -Pawn) AddLegalEnPassant(ep + 11, ep, ep + 10);
    }
  }
}

void AddLegalQuiet(int32_t from, int32_t to) {
  if (!LeavesKingSafe(from, to, 0)) return;
  int32_t score = 0;
  if (FollowPV == 1 && IsFollowedMove(from, to))
    score = 24000;
  else if (IsHashMove(from, to))
    score = 23000;
  else if (SamePair(Killers[Ply][0], from, to))
    score = 2500;
  else if (SamePair(Killers[Ply][1], from, to))
    score = 1500;
  WriteEntry(from, to, 0, 0, score);
}

void AddLegalCapture(int32_t from, int32_t to) {
  const int32_t victim = std::abs(SearchBoard[to]);
  if (victim == King) return;
  if (!LeavesKingSafe(from, to, 0)) return;
  int32_t score;
  if (to == MoveList[PlyMove[Ply]].To)
    score = 25000;  // takes the piece that just moved
  else if (FollowPV == 1 && IsFollowedMove(from, to))
    score = 22000;
  else if (IsHashMove(from, to))
    score = 21000;
  else if (SamePair(Killers[Ply][0], from, to))
    score = 2500;
  else if (SamePair(Killers[Ply][1], from, to))
    score = 1500;
  else
    score = 5000;
  WriteEntry(from, to, victim, 0, score);
}

void AddLegalEnPassant(int32_t from, int32_t to, int32_t victimSquare) {
  if (!LeavesKingSafe(from, to, victimSquare)) return;
  int32_t score = 30;
  if (IsHashMove(from, to))
    score = 24000;
  else if (SamePair(Killers[Ply][0], from, to))
    score = 2500;
  else if (SamePair(Killers[Ply][1], from, to))
    score = 1500;
  if ((RootReSearch != 0 || FollowPV != 0) && IsFollowedMove(from, to)) score = FollowPV != 0 ? 25000 : 23000;
  WriteEntry(from, to, Pawn, victimSquare, score);
}

void AddLegalPromotions(int32_t from, int32_t to) {
  if (!LeavesKingSafe(from, to, 0)) return;
  const bool capture = SearchBoard[to] != Empty;
  static const int32_t Order[4] = {Queen, Rook, Bishop, Knight};
  for (int32_t type : Order) {
    const int32_t before = GeneratedCount;
    if (capture)
      AddCapture(from, to, Pawn);
    else
      AddQuietMove(from, to, Pawn);
    if (GeneratedCount == before) return;  // a king on the target is never taken
    MoveEntry& e = MoveList[MoveListTop - 1];
    e.Flag = uint8_t(type);
    e.Score = type == Queen ? 100 : 0;
  }
}
