// Pseudo-legal move generation. Every entry gets its ordering score when it is
// written, so the search picks moves without sorting; the order of writing
// decides between equal scores.
#include "movegen.h"

#include "attacks.h"
#include "board.h"
#include "hashtable.h"
#include "root.h"
#include "searchstate.h"
#include "steps.h"
#include "tables.h"

MoveEntry MoveList[MoveListSize];
int32_t ListStart[PlyLimit + 1];
int32_t MoveListTop;
int32_t GeneratedCount;

namespace {

inline bool SameMove(MovePair pair, int32_t from, int32_t to) { return pair.From == from && pair.To == to; }
inline bool IsPVMove(int32_t from, int32_t to) { return SameMove(FollowLine[Ply], from, to); }
inline bool IsHashMove(int32_t from, int32_t to) { return HashMoveValid && SameMove(HashMove, from, to); }

inline MoveEntry* WriteEntry(int32_t from, int32_t to, int32_t captured, int32_t extra) {
  MoveEntry* e = NewMoveEntry();
  if (e == nullptr) return nullptr;
  e->Score = 0;
  e->From = uint8_t(from);
  e->To = uint8_t(to);
  e->Captured = uint8_t(captured);
  e->Flag = 0;
  e->Extra = uint8_t(extra);
  return e;
}

// The exchange test of a capture by a more valuable piece.
int32_t ExchangeScore(int32_t from, int32_t to, int32_t victim, int32_t attacker) {
  Piece* b = SearchBoard;
  const int32_t mover = b[from];
  const bool white = mover > 0;
  const int32_t V = PieceValue[victim];
  const int32_t A = PieceValue[attacker];

  const Piece savedTo = b[to];
  const int32_t savedWhiteKing = WhiteKingSquare, savedBlackKing = BlackKingSquare;
  b[to] = Piece(mover);
  b[from] = Empty;
  if (mover == King) WhiteKingSquare = to;
  if (mover == -King) BlackKingSquare = to;
  const int32_t r = white ? AttackedByBlack(to) : AttackedByWhite(to);
  b[from] = Piece(mover);
  b[to] = savedTo;
  WhiteKingSquare = savedWhiteKing;
  BlackKingSquare = savedBlackKing;

  const int32_t gain = V - (r != 0 ? A : 0);
  if (gain >= 0) return int16_t(16 * gain - A / 32 + 2200);
  if (r == 1) {
    int32_t score = 8 * gain;
    if (SameMove(Killers[Ply][0], from, to)) score = 2500;
    else if (SameMove(Killers[Ply][1], from, to)) score = 1500;
    return score;
  }
  // Only the enemy king guards the square: can it really take back?
  const Piece savedFrom = b[from];
  int32_t& enemyKing = white ? BlackKingSquare : WhiteKingSquare;
  const int32_t enemyKingFrom = enemyKing;
  const Piece enemyKingCode = b[enemyKingFrom];
  b[from] = Empty;
  b[enemyKingFrom] = Empty;
  b[to] = enemyKingCode;
  enemyKing = to;
  const int32_t covered = white ? AttackedByWhite(to) : AttackedByBlack(to);
  b[to] = savedTo;
  b[enemyKingFrom] = enemyKingCode;
  b[from] = savedFrom;
  enemyKing = enemyKingFrom;
  return covered != 0 ? 16000 : 0;
}

}  // namespace

MoveEntry* AddQuietMove(int32_t from, int32_t to, int32_t movingType) {
  MoveEntry* e = WriteEntry(from, to, 0, 0);
  if (e == nullptr) return nullptr;
  if (FollowPV && IsPVMove(from, to)) {
    e->Score = 25000;
    return e;
  }
  if (IsHashMove(from, to)) {
    e->Score = 24000;
    return e;
  }
  int32_t score = 0;
  if (SameMove(Killers[Ply][0], from, to)) score = 2500;
  else if (SameMove(Killers[Ply][1], from, to)) score = 1500;
  if (movingType == King) {
    if (InCheck == 1) score = 1400;
  } else if (movingType >= Knight && movingType <= Rook) {
    score += 10;
  }
  const int32_t code = SearchBoard[from];
  if (code == Pawn) {
    if (to >= 71) score += to;
  } else if (code == -Pawn) {
    if (to < 50) score += 112 - to;
  } else if (code > 0) {
    if (Intersects(BlackPawnAttacks, SquareBit[to])) score -= 50;
  } else {
    if (Intersects(WhitePawnAttacks, SquareBit[to])) score -= 50;
  }
  e->Score = int16_t(score);
  return e;
}

MoveEntry* AddCapture(int32_t from, int32_t to, int32_t movingType) {
  const int32_t code = SearchBoard[to];
  const int32_t victim = code > 0 ? code : -code;
  if (victim == King) return nullptr;
  MoveEntry* e = WriteEntry(from, to, victim, 0);
  if (e == nullptr) return nullptr;
  if (FollowPV && IsPVMove(from, to)) {
    e->Score = 25000;
  } else if (IsHashMove(from, to)) {
    e->Score = 24000;
  } else if (InCheck == 1 && to == MoveList[PlyMove[Ply]].To) {
    e->Score = 22000;
  } else if (victim >= movingType) {
    e->Score = int16_t(16 * PieceValue[victim] - PieceValue[movingType] / 32 + 2200);
  } else {
    e->Score = int16_t(ExchangeScore(from, to, victim, movingType));
  }
  return e;
}

MoveEntry* AddEnPassant(int32_t from, int32_t to, int32_t capturedSquare) {
  MoveEntry* e = WriteEntry(from, to, Pawn, capturedSquare);
  if (e == nullptr) return nullptr;
  int32_t score = 1200;
  if (IsHashMove(from, to)) score = 24000;
  else if (SameMove(Killers[Ply][0], from, to)) score = 2500;
  else if (SameMove(Killers[Ply][1], from, to)) score = 1500;
  if ((RootReSearch || FollowPV) && IsPVMove(from, to)) score = FollowPV ? 25000 : 23000;
  e->Score = int16_t(score);
  return e;
}

void AddPromotions(int32_t from, int32_t to) {
  static const int32_t order[4] = {Queen, Rook, Bishop, Knight};
  const bool capture = SearchBoard[to] != Empty;
  const int32_t kinds = capture ? (Ply <= 2 ? 4 : 1) : (Ply <= 3 ? 4 : 1);
  for (int32_t k = 0; k < kinds; ++k) {
    MoveEntry* e = capture ? AddCapture(from, to, Pawn) : AddQuietMove(from, to, Pawn);
    if (e == nullptr) return;
    e->Flag = uint8_t(order[k]);
    e->Score = order[k] == Queen ? 20000 : -3000;
  }
}

namespace {

template <int32_t Us>
inline bool IsEnemy(int32_t code) {
  return Us == White ? code < 0 : (code > 0 && code != OffBoard);
}

template <int32_t Us>
inline void StepMoves(int32_t from, const int32_t* steps, int32_t type) {
  const Piece* b = SearchBoard;
  for (int32_t i = 0; i < 8; ++i) {
    const int32_t to = from + steps[i];
    if (b[to] == Empty) AddQuietMove(from, to, type);
    else if (IsEnemy<Us>(b[to])) AddCapture(from, to, type);
  }
}

template <int32_t Us>
inline void RayMoves(int32_t from, const int32_t* rays, int32_t type) {
  const Piece* b = SearchBoard;
  for (int32_t i = 0; i < 4; ++i) {
    int32_t to = from + rays[i];
    while (b[to] == Empty) {
      AddQuietMove(from, to, type);
      to += rays[i];
    }
    if (IsEnemy<Us>(b[to])) AddCapture(from, to, type);
  }
}

template <int32_t Us>
void GenerateSide() {
  const Piece* b = SearchBoard;
  const int32_t up = Us == White ? 10 : -10;
  SquareSet pieces = Us == White ? WhiteOccupied : BlackOccupied;
  while (!IsEmpty(pieces)) {
    const int32_t from = PopLowestSquare(pieces);
    const int32_t type = Us == White ? b[from] : -b[from];
    switch (type) {
      case Pawn: {
        const bool lastStep = Us == White ? from >= 81 : from <= 38;
        const bool homeRank = Us == White ? from <= 38 : from >= 81;
        if (b[from + up] == Empty) {
          if (!lastStep) {
            AddQuietMove(from, from + up, Pawn);
            if (homeRank && b[from + 2 * up] == Empty) {
              MoveEntry* e = AddQuietMove(from, from + 2 * up, Pawn);
              if (e != nullptr) e->Extra = uint8_t(from + up);
            }
          } else {
            AddPromotions(from, from + up);
          }
        }
        const int32_t captureSteps[2] = {Us == White ? 11 : -11, Us == White ? 9 : -9};
        for (int32_t d : captureSteps) {
          if (IsEnemy<Us>(b[from + d])) {
            if (!lastStep) AddCapture(from, from + d, Pawn);
            else AddPromotions(from, from + d);
          }
        }
        break;
      }
      case Knight: StepMoves<Us>(from, KnightSteps, Knight); break;
      case Bishop: RayMoves<Us>(from, BishopRays, Bishop); break;
      case Rook: RayMoves<Us>(from, RookRays, Rook); break;
      case Queen:
        RayMoves<Us>(from, RookRays, Queen);
        RayMoves<Us>(from, BishopRays, Queen);
        break;
      case King: StepMoves<Us>(from, KingSteps, King); break;
      default: break;
    }
  }

  // En passant onto the square passed over by the last double step.
  const int32_t ep = EpSquare[Ply];
  if (ep != 0) {
    const Piece ownPawn = Us == White ? Pawn : -Pawn;
    const int32_t first = Us == White ? ep - 9 : ep + 9;
    const int32_t second = Us == White ? ep - 11 : ep + 11;
    const int32_t victim = Us == White ? ep - 10 : ep + 10;
    if (b[first] == ownPawn) AddEnPassant(first, ep, victim);
    if (b[second] == ownPawn) AddEnPassant(second, ep, victim);
  }

  // Castling, king's side first.
  const int32_t side = Us == White ? WhiteIndex : BlackIndex;
  const int32_t home = Us == White ? SqE1 : SqE8;
  // The board, not the king-square variable, says whether the king is at home.
  if (CastledFlags[Ply][side] || b[home] != Us * King || MoveCount[home] != 0) return;
  const Piece ownRook = Us == White ? Rook : -Rook;
  auto attacked = [](int32_t s) { return Us == White ? BitAttackedByBlack(s) : BitAttackedByWhite(s); };
  if (b[home + 3] == ownRook && MoveCount[home + 3] == 0 && b[home + 1] == Empty && b[home + 2] == Empty &&
      !attacked(home) && !attacked(home + 1) && !attacked(home + 2)) {
    MoveEntry* e = AddQuietMove(home, home + 2, King);
    if (e != nullptr) e->Flag = CastleKingSide;
  }
  if (b[home - 4] == ownRook && MoveCount[home - 4] == 0 && b[home - 1] == Empty && b[home - 2] == Empty &&
      b[home - 3] == Empty && !attacked(home) && !attacked(home - 1) && !attacked(home - 2)) {
    MoveEntry* e = AddQuietMove(home, home - 2, King);
    if (e != nullptr) e->Flag = CastleQueenSide;
  }
}

}  // namespace

void GenerateWhiteMoves() { GenerateSide<White>(); }
void GenerateBlackMoves() { GenerateSide<Black>(); }

void GenerateMoves() {
  GeneratedCount = 0;
  FetchHashMove();
  WhitePawnAttacks = ShiftUp(WhitePawns & NotFileH, 9) | ShiftUp(WhitePawns & NotFileA, 7);
  BlackPawnAttacks = ShiftDown(BlackPawns & NotFileA, 9) | ShiftDown(BlackPawns & NotFileH, 7);
  if (SideToMove == Black) GenerateBlackMoves();
  else GenerateWhiteMoves();
}
