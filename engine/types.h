// Basic codes and records of the engine: squares, pieces, sides, square sets,
// key pairs and move entries.
#pragma once

#include <cstdint>
#include <cstring>

// The engine keeps plain signed codes so that colour is the sign and type the
// absolute value of a board cell.
typedef uint8_t Square;  // mailbox index 0..119 (playable: rows 2..9, columns 1..8)
typedef int8_t Piece;    // 0 empty, 1..6 white P N B R Q K, -1..-6 black, 100 off board
typedef int32_t Side;    // +1 white, -1 black

enum : int32_t {
  Empty = 0,
  Pawn = 1,
  Knight = 2,
  Bishop = 3,
  Rook = 4,
  Queen = 5,
  King = 6,
  OffBoard = 100,
};

enum : int32_t { White = 1, Black = -1 };

// Arrays "per side" are indexed 0 for white, 1 for black.
enum : int32_t { WhiteIndex = 0, BlackIndex = 1 };
inline int32_t SideIndex(int32_t side) { return side > 0 ? WhiteIndex : BlackIndex; }

// Named mailbox squares. Rank order is also square order, so "s >= SqA7"
// means the seventh or eighth rank and "s < SqA3" the first or second.
enum : int32_t {
  SqA1 = 21, SqB1 = 22, SqC1 = 23, SqD1 = 24, SqE1 = 25, SqF1 = 26, SqG1 = 27, SqH1 = 28,
  SqA2 = 31, SqB2 = 32, SqC2 = 33, SqD2 = 34, SqE2 = 35, SqF2 = 36, SqG2 = 37, SqH2 = 38,
  SqA3 = 41, SqB3 = 42, SqC3 = 43, SqD3 = 44, SqE3 = 45, SqF3 = 46, SqG3 = 47, SqH3 = 48,
  SqA4 = 51, SqB4 = 52, SqC4 = 53, SqD4 = 54, SqE4 = 55, SqF4 = 56, SqG4 = 57, SqH4 = 58,
  SqA5 = 61, SqB5 = 62, SqC5 = 63, SqD5 = 64, SqE5 = 65, SqF5 = 66, SqG5 = 67, SqH5 = 68,
  SqA6 = 71, SqB6 = 72, SqC6 = 73, SqD6 = 74, SqE6 = 75, SqF6 = 76, SqG6 = 77, SqH6 = 78,
  SqA7 = 81, SqB7 = 82, SqC7 = 83, SqD7 = 84, SqE7 = 85, SqF7 = 86, SqG7 = 87, SqH7 = 88,
  SqA8 = 91, SqB8 = 92, SqC8 = 93, SqD8 = 94, SqE8 = 95, SqF8 = 96, SqG8 = 97, SqH8 = 98,
};

// The rooks' home squares: a capture there ends castling with that corner for
// good, as a move from there does (a rook that arrives later is not the
// unmoved rook).
inline bool IsRookHome(int32_t s) { return s == SqA1 || s == SqH1 || s == SqA8 || s == SqH8; }

inline int32_t MakeSquare(int32_t rank, int32_t file) { return 21 + 10 * rank + file; }
inline bool IsPlayable(int32_t s) {
  return s >= 21 && s <= 98 && s % 10 >= 1 && s % 10 <= 8;
}

// A 64-bit set of squares (bit 8*rank+file), held as two 32-bit halves:
// Low = ranks 1-4 (bits 0..31), High = ranks 5-8 (bits 32..63).
struct SquareSet {
  uint32_t Low;
  uint32_t High;
};
static_assert(sizeof(SquareSet) == 8, "a square set is two 32-bit halves");
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "Low must be the low word in memory order");

// The halves are combined as one 64-bit word where the machine has one (Low
// is the low word in memory order, as on every little-endian target).
inline SquareSet MakeSet(uint64_t v) {
  SquareSet s;
  std::memcpy(&s, &v, sizeof s);
  return s;
}
inline uint64_t SetBits(SquareSet a) {
  uint64_t v;
  std::memcpy(&v, &a, sizeof v);
  return v;
}
inline SquareSet operator|(SquareSet a, SquareSet b) { return MakeSet(SetBits(a) | SetBits(b)); }
inline SquareSet operator&(SquareSet a, SquareSet b) { return MakeSet(SetBits(a) & SetBits(b)); }
inline SquareSet operator^(SquareSet a, SquareSet b) { return MakeSet(SetBits(a) ^ SetBits(b)); }
inline SquareSet operator~(SquareSet a) { return MakeSet(~SetBits(a)); }
inline SquareSet& operator|=(SquareSet& a, SquareSet b) { return a = a | b; }
inline SquareSet& operator&=(SquareSet& a, SquareSet b) { return a = a & b; }
inline SquareSet& operator^=(SquareSet& a, SquareSet b) { return a = a ^ b; }
inline bool operator==(SquareSet a, SquareSet b) { return SetBits(a) == SetBits(b); }
inline bool operator!=(SquareSet a, SquareSet b) { return !(a == b); }
inline bool IsEmpty(SquareSet a) { return SetBits(a) == 0; }
inline bool Intersects(SquareSet a, SquareSet b) { return (SetBits(a) & SetBits(b)) != 0; }
// 64-bit logical shifts; a count of 64 or more gives the empty set.
inline SquareSet ShiftUp(SquareSet a, uint32_t n) { return n >= 64 ? SquareSet{0, 0} : MakeSet(SetBits(a) << n); }
inline SquareSet ShiftDown(SquareSet a, uint32_t n) { return n >= 64 ? SquareSet{0, 0} : MakeSet(SetBits(a) >> n); }
inline int32_t CountSquares(SquareSet a) { return __builtin_popcount(a.Low) + __builtin_popcount(a.High); }

// Index half and check half of a position key.
struct KeyPair {
  uint32_t Index;
  uint32_t Check;
};
inline bool operator==(KeyPair a, KeyPair b) { return a.Index == b.Index && a.Check == b.Check; }
inline bool operator!=(KeyPair a, KeyPair b) { return !(a == b); }

// Move flags beyond the promotion piece types 2..5.
enum : int32_t {
  CastleKingSide = 65,   // 'A'
  CastleQueenSide = 66,  // 'B'
};
inline bool IsPromotionFlag(int32_t flag) { return flag >= 1 && flag <= 31; }

// One move of the global move list.
struct MoveEntry {
  int16_t Score;     // ordering score (signed 16-bit), later the root's search score
  uint8_t From;
  uint8_t To;
  uint8_t Captured;  // type taken, 0 none, 1 also for en passant
  uint8_t Flag;      // 0, promotion type 2..5, CastleKingSide, CastleQueenSide
  uint8_t Extra;     // double step: square passed over; en passant: square of the pawn taken
};

// A (from, to) pair: killers, the followed line, the hash move.
struct MovePair {
  uint8_t From;
  uint8_t To;
};

// Depth of every per-ply array.
constexpr int32_t PlyLimit = 50;

// PieceValue by type: empty, pawn, knight, bishop, rook, queen, king.
constexpr int32_t PieceValue[7] = {0, 100, 325, 350, 500, 1070, 1500};
constexpr int32_t StartPieceMaterial = 2 * (1070 + 2 * (325 + 350 + 500));  // 6840
