// Endgame classes as the generator sees them, and its own work index: a
// simple invertible numbering of positions (orienting king folded by the
// board's symmetries, every other man on any of the 64 squares). The work
// index is private to the generator; files are written in the prober's layout.
#pragma once
#include <cstdint>
#include <string>

#include "gen_board.h"

struct GenClassInfo {
  char name[8];
  int men;                 // kings included
  int type[GenMaxMen];     // white king, black king, white men, black men
  int side[GenMaxMen];
  bool pawns;              // any pawn: only the left-right mirror applies
  bool enPassant;          // pawns on both sides
  int whiteCount, blackCount;  // men besides the kings
  uint32_t normalSize;     // work indices per side to move
};

// Fills `info` from a name like "kqkr"; false for a malformed name.
bool ParseGenClass(const char* name, GenClassInfo* info);

// The class name for white holding `whiteTypes` and black `blackTypes`
// (kings not listed); *reversed is set when the named first side is black.
// Empty lists on both sides give "kk".
std::string GenMaterialName(const int* whiteTypes, int whiteCount, const int* blackTypes, int blackCount,
                            bool* reversed);

char GenTypeLetter(int type);

// The board's symmetries for folding pawnless positions: the orienting
// king's square goes into the triangle a1-d1-d4.
extern const int GenTriangleSquares[10];
struct GenFoldTables {
  int8_t triangleCode[64];     // 0..9 for triangle squares, -1 otherwise
  int8_t toTriangle[64];       // transform taking the square into the triangle
  int8_t image[8][64];         // square under each transform
  int8_t thenDiagonal[8];      // the transform followed by the reflection in a1-h8
  GenFoldTables();
};
extern const GenFoldTables GenFold;

// The work index of `pos` (men in the class's order) in its canonical
// orientation (en passant not included), and its en-passant square in that
// orientation. Inline: every move and retraction of the generator asks.
inline uint32_t GenCanonicalIndex(const GenClassInfo& info, const GenPosition& pos, int* epSquare) {
  int men = info.men;
  if (info.pawns) {
    int mirror = (pos.square[0] & 7) >= 4 ? 7 : 0;
    int k = pos.square[0] ^ mirror;
    uint32_t index = uint32_t((k >> 3) * 4 + (k & 7));
    for (int i = 1; i < men; i++) index = index * 64 + uint32_t(pos.square[i] ^ mirror);
    *epSquare = pos.epSquare < 0 ? -1 : pos.epSquare ^ mirror;
    return index;
  }
  *epSquare = pos.epSquare;
  int t = GenFold.toTriangle[pos.square[0]];
  int k = GenFold.image[t][pos.square[0]];
  if ((k & 7) == (k >> 3)) {
    // On the diagonal the reflection in it keeps the king; the first man off
    // the diagonal decides, and it must end up on or below it.
    for (int i = 1; i < men; i++) {
      int s = GenFold.image[t][pos.square[i]];
      if ((s & 7) == (s >> 3)) continue;
      if ((s >> 3) > (s & 7)) t = GenFold.thenDiagonal[t];
      break;
    }
  }
  const int8_t* image = GenFold.image[t];
  uint32_t index = uint32_t(GenFold.triangleCode[k]);
  for (int i = 1; i < men; i++) index = index * 64 + uint32_t(image[pos.square[i]]);
  return index;
}

// Whether two positions that differ from `pos` in one man each (moves or
// retractions of it) can share a node: only a board symmetry that fixes all
// the other men folds them together, and in pawnless classes the reflections
// in the long diagonals fix the squares on them. Elsewhere every move reaches
// its own node.
bool GenMovesMayFold(const GenClassInfo& info, const GenPosition& pos);

// Sets up the men of work index `index`; false when the index names no
// canonical placement (men on one square, pawns on the first or last rank,
// or an orientation that the canonical form does not use).
bool GenDecodeIndex(const GenClassInfo& info, uint32_t index, int toMove, GenPosition* pos);

// Whether a pawn of the side to move could take en passant onto `epSquare`
// (the opposing pawn just went two steps past it).
bool GenEnPassantEligible(const GenPosition& pos, int epSquare);
