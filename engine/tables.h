// Tables built once at start-up: square conversions, first-bit lookups, line,
// knight, pawn and between masks, king distances, pawn-race masks, and the
// constant key tables.
#pragma once

#include "types.h"

extern uint8_t BitToSquare[64];
extern uint8_t SquareToBit[128];
extern SquareSet SquareBit[128];
extern SquareSet SquareBitClear[128];
extern uint8_t LowSquareTable[65536];
extern uint8_t HighSquareTable[65536];
extern SquareSet FileSet[8];  // the eight files a..h
extern SquareSet NotFileA, NotFileH;
extern uint8_t AdjacentTable[128][128];
extern SquareSet KnightMask[128];
extern SquareSet RookLineMask[128];
extern SquareSet BishopLineMask[128];
extern SquareSet BetweenTable[128][128];
extern SquareSet WhitePawnAttackMask[128];
extern SquareSet BlackPawnAttackMask[128];
extern SquareSet FileUpMask[128];
extern SquareSet FileDownMask[128];
extern int32_t RankOf[128];
extern int32_t FileOf[128];
extern uint8_t KingDistance[120][120];
extern SquareSet WhitePawnRace[128];
extern SquareSet WhitePawnRaceLate[128];
extern SquareSet BlackPawnRace[128];
extern SquareSet BlackPawnRaceLate[128];

// Key tables, indexed 13 * square + piece code (-6..6).
extern const uint32_t ZobristIndexTable[1664];
extern const uint32_t ZobristCheckTable[1664];
// Per-side slot constants, indexed side + 1 (side -1, 0, +1).
extern const uint32_t SideKey[3];
inline uint32_t SideKeyOf(int32_t side) { return SideKey[side + 1]; }

// Builds every table above (also sets up the start position first, whose
// border cells the builders use as their off-board test).
void BuildTables();

// Lowest and highest square of a non-empty set, by 16-bit chunks.
inline int32_t LowestSquare(SquareSet s) {
  if (s.Low & 0xFFFFu) return LowSquareTable[s.Low & 0xFFFFu];
  if (s.Low) return LowSquareTable[s.Low >> 16] + 20;
  if (s.High & 0xFFFFu) return LowSquareTable[s.High & 0xFFFFu] + 40;
  return LowSquareTable[s.High >> 16] + 60;
}
inline int32_t HighestSquare(SquareSet s) {
  if (s.High >> 16) return HighSquareTable[s.High >> 16] + 60;
  if (s.High) return HighSquareTable[s.High & 0xFFFFu] + 40;
  if (s.Low >> 16) return HighSquareTable[s.Low >> 16] + 20;
  return HighSquareTable[s.Low & 0xFFFFu];
}
// Takes the lowest square out of a non-empty working set and returns it.
inline int32_t PopLowestSquare(SquareSet& s) {
  const int32_t sq = LowestSquare(s);
  if (s.Low) s.Low &= s.Low - 1;
  else s.High &= s.High - 1;
  return sq;
}
