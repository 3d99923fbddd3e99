// Small self-contained board model for the table generator: squares 0..63
// (a1 = 0, h8 = 63), a handful of men, attack tests by lookup tables.
#pragma once
#include <cstdint>

enum GenPieceType { GenPawn = 1, GenKnight = 2, GenBishop = 3, GenRook = 4, GenQueen = 5, GenKing = 6 };

constexpr int GenMaxMen = 5;

// A position of one class: men in the class's fixed order (white king,
// black king, then the other men), a square of -1 for a captured man.
struct GenPosition {
  int square[GenMaxMen];
  int type[GenMaxMen];
  int side[GenMaxMen];  // 0 white, 1 black
  int men;
  int toMove;      // 0 white, 1 black
  int epSquare;    // square a pawn of the side to move may capture onto, or -1
};

void InitGenBoard();

extern uint64_t GenKnightAttacks[64];
extern uint64_t GenKingAttacks[64];
extern uint64_t GenPawnAttacks[2][64];  // squares a pawn of that side attacks
extern uint64_t GenBetween[64][64];     // squares strictly between two aligned squares
extern uint8_t GenAlign[64][64];        // 1 same rank/file, 2 same diagonal, 0 otherwise

inline uint64_t GenBit(int sq) { return uint64_t(1) << sq; }

// Whether a man of the given type and side on `from` attacks `target`,
// with `occupied` the set of all men.
inline bool GenAttacks(int type, int side, int from, int target, uint64_t occupied) {
  switch (type) {
    case GenPawn: return (GenPawnAttacks[side][from] >> target) & 1;
    case GenKnight: return (GenKnightAttacks[from] >> target) & 1;
    case GenKing: return (GenKingAttacks[from] >> target) & 1;
    case GenBishop: return GenAlign[from][target] == 2 && !(GenBetween[from][target] & occupied);
    case GenRook: return GenAlign[from][target] == 1 && !(GenBetween[from][target] & occupied);
    case GenQueen: return GenAlign[from][target] != 0 && !(GenBetween[from][target] & occupied);
  }
  return false;
}

inline uint64_t GenOccupied(const GenPosition& pos) {
  uint64_t occ = 0;
  for (int i = 0; i < pos.men; i++)
    if (pos.square[i] >= 0) occ |= GenBit(pos.square[i]);
  return occ;
}

// Whether `target` is attacked by any man of `bySide` (captured men skipped).
inline bool GenSquareAttacked(const GenPosition& pos, int target, int bySide, uint64_t occupied) {
  for (int i = 0; i < pos.men; i++)
    if (pos.side[i] == bySide && pos.square[i] >= 0 &&
        GenAttacks(pos.type[i], bySide, pos.square[i], target, occupied))
      return true;
  return false;
}

// Whether the king of `side` stands in check.
bool GenInCheck(const GenPosition& pos, int side);

// The squares from a square to the board's edge in each direction: rook
// directions first (the first two towards higher squares), then the
// diagonals (the first two towards higher squares).
constexpr int GenRayStep[8][2] = {{1, 0}, {0, 1}, {-1, 0}, {0, -1}, {1, 1}, {-1, 1}, {1, -1}, {-1, -1}};
extern uint64_t GenRays[8][64];

// Squares a non-pawn man of the given type reaches from `from` on an empty
// path (sliders stop at the first occupied square, which is included).
inline uint64_t GenPieceReach(int type, int from, uint64_t occupied) {
  if (type == GenKnight) return GenKnightAttacks[from];
  if (type == GenKing) return GenKingAttacks[from];
  int first = type == GenBishop ? 4 : 0, last = type == GenRook ? 4 : 8;
  uint64_t reach = 0;
  for (int d = first; d < last; d++) {
    uint64_t ray = GenRays[d][from];
    uint64_t blockers = ray & occupied;
    if (blockers) {
      int nearest = (d & 2) == 0 ? __builtin_ctzll(blockers) : 63 - __builtin_clzll(blockers);
      ray ^= GenRays[d][nearest];
    }
    reach |= ray;
  }
  return reach;
}
