#include "gen_board.h"

#include <cstdlib>

uint64_t GenKnightAttacks[64];
uint64_t GenKingAttacks[64];
uint64_t GenPawnAttacks[2][64];
uint64_t GenBetween[64][64];
uint8_t GenAlign[64][64];
uint64_t GenRays[8][64];

static bool OnBoard(int file, int rank) { return file >= 0 && file < 8 && rank >= 0 && rank < 8; }

void InitGenBoard() {
  static bool done = false;
  if (done) return;
  static const int knight[8][2] = {{1, 2}, {2, 1}, {2, -1}, {1, -2}, {-1, -2}, {-2, -1}, {-2, 1}, {-1, 2}};
  for (int sq = 0; sq < 64; sq++) {
    int f = sq % 8, r = sq / 8;
    GenKnightAttacks[sq] = GenKingAttacks[sq] = 0;
    for (auto& d : knight)
      if (OnBoard(f + d[0], r + d[1])) GenKnightAttacks[sq] |= GenBit(sq + d[0] + 8 * d[1]);
    for (int df = -1; df <= 1; df++)
      for (int dr = -1; dr <= 1; dr++)
        if ((df || dr) && OnBoard(f + df, r + dr)) GenKingAttacks[sq] |= GenBit(sq + df + 8 * dr);
    GenPawnAttacks[0][sq] = GenPawnAttacks[1][sq] = 0;
    for (int df = -1; df <= 1; df += 2) {
      if (OnBoard(f + df, r + 1)) GenPawnAttacks[0][sq] |= GenBit(sq + df + 8);
      if (OnBoard(f + df, r - 1)) GenPawnAttacks[1][sq] |= GenBit(sq + df - 8);
    }
  }
  for (int d = 0; d < 8; d++)
    for (int sq = 0; sq < 64; sq++) {
      GenRays[d][sq] = 0;
      int f = sq % 8 + GenRayStep[d][0], r = sq / 8 + GenRayStep[d][1];
      for (; OnBoard(f, r); f += GenRayStep[d][0], r += GenRayStep[d][1]) GenRays[d][sq] |= GenBit(f + 8 * r);
    }
  for (int a = 0; a < 64; a++)
    for (int b = 0; b < 64; b++) {
      GenBetween[a][b] = 0;
      GenAlign[a][b] = 0;
      if (a == b) continue;
      int df = b % 8 - a % 8, dr = b / 8 - a / 8;
      int kind = 0;
      if (df == 0 || dr == 0) kind = 1;
      else if (std::abs(df) == std::abs(dr)) kind = 2;
      if (!kind) continue;
      GenAlign[a][b] = uint8_t(kind);
      int sf = (df > 0) - (df < 0), sr = (dr > 0) - (dr < 0);
      for (int s = a + sf + 8 * sr; s != b; s += sf + 8 * sr) GenBetween[a][b] |= GenBit(s);
    }
  done = true;
}

bool GenInCheck(const GenPosition& pos, int side) {
  return GenSquareAttacked(pos, pos.square[side], 1 - side, GenOccupied(pos));
}
