// The endgame classes that have tables: number, name, symmetry flag, index
// functions and the number of entries of each side's table.
#pragma once

#include <cstdint>

#include "position_index.h"

enum : int32_t {
  TablebaseClassCount = 146,  // records 0..145; record 0 is the "kk" placeholder
  TablebaseFirstFourPieceClass = 6,
  TablebaseFirstFivePieceClass = 36,
  TablebaseSymmetric = 1,  // flags bit 0: both sides hold the same material
};

// One endgame class. In the name the first-named side plays white in the
// table; positions with the colours exchanged are looked up through the same
// tables with the reversed flag set. A symmetric class has only the
// white-to-move table.
struct TablebaseClass {
  int32_t Number;  // equals the record's index
  int32_t Flags;
  TablebaseIndexFunction WhiteIndex;  // white to move; null for record 0
  TablebaseIndexFunction BlackIndex;  // black to move; null for record 0
  char Name[8];                       // e.g. "kqkr", NUL-padded
  // Entries of the white- and black-to-move tables; 0 = unknown, filled in
  // when a table is registered. The table may stop short of the index range:
  // its trailing indices hold only positions with the side not to move in check.
  uint32_t ExpectedSize[2];
};

extern TablebaseClass TablebaseClasses[TablebaseClassCount];

// Material of a class as the ten counts white pawns, knights, bishops, rooks,
// queens, then black's, from its name (white = the first-named side). Answers
// 0 for a class number out of range or record 0, else 1.
int32_t ClassMaterial(int32_t tableClass, int32_t counts[10]);

// Number of men, kings included (3, 4 or 5), of a class; 0 when out of range.
int32_t ClassPieceCount(int32_t tableClass);
