// Make and unmake on SearchBoard. Everything that cannot be undone cheaply is
// kept per ply; unmake reads it back from the ply below.
#include "makemove.h"

#include <cassert>

#include "board.h"
#include "movelist.h"
#include "root.h"
#include "searchstate.h"
#include "tables.h"

namespace {

inline void XorKey(KeyPair& key, int32_t square, int32_t piece) {
  key.Index ^= ZobristIndexTable[13 * square + piece];
  key.Check ^= ZobristCheckTable[13 * square + piece];
}

inline SquareSet& OccupiedOf(int32_t piece) { return piece > 0 ? WhiteOccupied : BlackOccupied; }
inline int32_t SideOf(int32_t piece) { return piece > 0 ? WhiteIndex : BlackIndex; }

template <int32_t Us>
inline void MakeFor(const MoveEntry& e) {
  constexpr int32_t us = Us == White ? WhiteIndex : BlackIndex;
  constexpr int32_t them = Us == White ? BlackIndex : WhiteIndex;
  SquareSet& ownOccupied = Us == White ? WhiteOccupied : BlackOccupied;
  SquareSet& theirOccupied = Us == White ? BlackOccupied : WhiteOccupied;
  Piece* b = SearchBoard;
  const int32_t from = e.From, to = e.To, extra = e.Extra;

  ++MoveCount[from];

  if (extra != 0) {
    const int32_t victim = b[extra];
    if (victim != Empty) {
      // En passant: the pawn taken stands beside the target square.
      PieceSet(victim) &= SquareBitClear[extra];
      theirOccupied &= SquareBitClear[extra];
      --PawnCount[them];
      --FilePawnCount[extra % 10][them];
      XorKey(HashKey, extra, victim);
      XorKey(PawnKingKey, extra, victim);
      MaterialBalance[Ply] -= PieceValue[Pawn];
      b[extra] = Empty;
    } else {
      EpSquare[Ply] = uint8_t(extra);
    }
  } else if (b[to] != Empty) {
    const int32_t victim = b[to];
    const int32_t value = PieceValue[e.Captured];
    XorKey(HashKey, to, victim);
    MaterialBalance[Ply] -= value;
    if (value == PieceValue[Pawn]) {
      XorKey(PawnKingKey, to, victim);
      --FilePawnCount[to % 10][them];
      --PawnCount[them];
    } else {
      --PieceCount[them];
      PieceMaterial[Ply] -= value;
    }
    PieceSet(victim) &= SquareBitClear[to];
    theirOccupied &= SquareBitClear[to];
    b[to] = Empty;
    if (IsRookHome(to)) ++MoveCount[to];
  }

  const int32_t piece = b[from];
  SquareSet& pieceSet = PieceSet(piece);
  XorKey(HashKey, from, piece);
  XorKey(HashKey, to, piece);
  ownOccupied = (ownOccupied & SquareBitClear[from]) | SquareBit[to];
  pieceSet = (pieceSet & SquareBitClear[from]) | SquareBit[to];
  b[to] = Piece(piece);
  b[from] = Empty;
  const int32_t type = Us == White ? piece : -piece;
  if (type == King) {
    (Us == White ? WhiteKingSquare : BlackKingSquare) = to;
    XorKey(PawnKingKey, from, piece);
    XorKey(PawnKingKey, to, piece);
    if (e.Flag == CastleKingSide || e.Flag == CastleQueenSide) {
      const int32_t rookFrom = e.Flag == CastleKingSide ? to + 1 : to - 2;
      const int32_t rookTo = e.Flag == CastleKingSide ? to - 1 : to + 1;
      const int32_t rook = Us * Rook;
      SquareSet& rookSet = PieceSet(rook);
      b[rookTo] = Piece(rook);
      b[rookFrom] = Empty;
      rookSet = (rookSet & SquareBitClear[rookFrom]) | SquareBit[rookTo];
      ownOccupied = (ownOccupied & SquareBitClear[rookFrom]) | SquareBit[rookTo];
      XorKey(HashKey, rookFrom, rook);
      XorKey(HashKey, rookTo, rook);
      CastledFlags[Ply][us] = 1;
    }
  } else if (type == Pawn) {
    XorKey(PawnKingKey, from, piece);
    XorKey(PawnKingKey, to, piece);
    --FilePawnCount[from % 10][us];
    ++FilePawnCount[to % 10][us];
    if (IsPromotionFlag(e.Flag)) {
      const int32_t promoted = Us * e.Flag;
      pieceSet &= SquareBitClear[to];
      --PawnCount[us];
      --FilePawnCount[to % 10][us];
      XorKey(PawnKingKey, to, piece);
      XorKey(HashKey, to, piece);
      XorKey(HashKey, to, promoted);
      PieceSet(promoted) |= SquareBit[to];
      ++PieceCount[us];
      MaterialBalance[Ply] -= PieceValue[e.Flag] - PieceValue[Pawn];
      PieceMaterial[Ply] += PieceValue[e.Flag];
      b[to] = Piece(promoted);
    }
  }
}

template <int32_t Us>
inline void UnmakeFor(const MoveEntry& e) {
  constexpr int32_t us = Us == White ? WhiteIndex : BlackIndex;
  constexpr int32_t them = Us == White ? BlackIndex : WhiteIndex;
  SquareSet& ownOccupied = Us == White ? WhiteOccupied : BlackOccupied;
  SquareSet& theirOccupied = Us == White ? BlackOccupied : WhiteOccupied;
  Piece* b = SearchBoard;
  const int32_t from = e.From, to = e.To, extra = e.Extra;

  --MoveCount[from];

  const int32_t piece = b[to];
  SquareSet& pieceSet = PieceSet(piece);
  ownOccupied = (ownOccupied & SquareBitClear[to]) | SquareBit[from];
  pieceSet = (pieceSet & SquareBitClear[to]) | SquareBit[from];
  const int32_t type = Us == White ? piece : -piece;
  if (type == King) {
    (Us == White ? WhiteKingSquare : BlackKingSquare) = from;
  } else if (type == Pawn) {
    ++FilePawnCount[from % 10][us];
    --FilePawnCount[to % 10][us];
  }
  b[from] = Piece(piece);
  b[to] = Empty;

  if (extra != 0 && e.Captured == Pawn) {
    const int32_t pawn = -Us * Pawn;
    b[extra] = Piece(pawn);
    PieceSet(pawn) |= SquareBit[extra];
    theirOccupied |= SquareBit[extra];
    ++PawnCount[them];
    ++FilePawnCount[extra % 10][them];
  } else if (e.Captured == 0) {
    if (e.Flag == CastleKingSide || e.Flag == CastleQueenSide) {
      const int32_t rookFrom = e.Flag == CastleKingSide ? to + 1 : to - 2;
      const int32_t rookTo = e.Flag == CastleKingSide ? to - 1 : to + 1;
      const int32_t rook = Us * Rook;
      SquareSet& rookSet = PieceSet(rook);
      b[rookFrom] = Piece(rook);
      b[rookTo] = Empty;
      rookSet = (rookSet & SquareBitClear[rookTo]) | SquareBit[rookFrom];
      ownOccupied = (ownOccupied & SquareBitClear[rookTo]) | SquareBit[rookFrom];
      CastledFlags[Ply][us] = 0;
    }
  } else {
    const int32_t victim = -Us * e.Captured;
    if (IsRookHome(to)) --MoveCount[to];
    b[to] = Piece(victim);
    PieceSet(victim) |= SquareBit[to];
    theirOccupied |= SquareBit[to];
    if (e.Captured == Pawn) {
      ++PawnCount[them];
      ++FilePawnCount[to % 10][them];
    } else {
      ++PieceCount[them];
    }
  }

  if (IsPromotionFlag(e.Flag)) {
    pieceSet &= SquareBitClear[from];
    --PieceCount[us];
    ++PawnCount[us];
    ++FilePawnCount[from % 10][us];
    const int32_t pawn = Us * Pawn;
    PieceSet(pawn) |= SquareBit[from];
    b[from] = Piece(pawn);
  }
}

}  // namespace

void MakeMove(int32_t m) {
  assert(m >= 0 && m < MoveListSize);
  assert(Ply >= 0 && Ply < PlyLimit - 1);
  assert(RepetitionCount >= 0 && RepetitionCount < RepetitionKeyCapacity);
  ++Ply;
  CastledFlags[Ply][WhiteIndex] = CastledFlags[Ply - 1][WhiteIndex];
  CastledFlags[Ply][BlackIndex] = CastledFlags[Ply - 1][BlackIndex];
  PieceMaterial[Ply] = PieceMaterial[Ply - 1];
  MaterialBalance[Ply] = -MaterialBalance[Ply - 1];
  PlyMove[Ply] = m;
  EpSquare[Ply] = 0;
  if (m == NullMove) {
    // Only black's pass changes the key; index 22 belongs to no square.
    if (SideToMove == Black) {
      HashKey.Index ^= ZobristIndexTable[22];
      HashKey.Check ^= ZobristCheckTable[22];
    }
  } else if (SideToMove == White) {
    MakeFor<White>(MoveList[m]);
  } else {
    MakeFor<Black>(MoveList[m]);
  }
  PlyPawnKingKey[Ply] = PawnKingKey;
  PlyHashKey[Ply] = HashKey;
  RepetitionKeys[RepetitionCount++] = HashKey.Index;
  AllOccupied = WhiteOccupied | BlackOccupied;
  SideToMove = -SideToMove;
  assert(PositionIsConsistent());
}

void UnmakeMove(int32_t m) {
  assert(m >= 0 && m < MoveListSize);
  assert(Ply >= 1 && RepetitionCount >= 1);
  --RepetitionCount;
  FollowPV = 0;
  SideToMove = -SideToMove;
  --Ply;
  if (m != NullMove) {
    if (SideToMove == White) UnmakeFor<White>(MoveList[m]);
    else UnmakeFor<Black>(MoveList[m]);
    AllOccupied = WhiteOccupied | BlackOccupied;
  }
  HashKey = PlyHashKey[Ply];
  PawnKingKey = PlyPawnKingKey[Ply];
  assert(PositionIsConsistent());
}
