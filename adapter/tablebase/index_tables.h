// Lookup tables behind the position index: board symmetries, the numbered
// king pairs, and the squares open to each kind of piece beside a king.
#pragma once

#include <cstdint>

enum : int32_t {
  PawnlessKingPairs = 462,  // first king in a1-d1-d4, second on or below the diagonal when needed
  PawnKingPairs = 1806,     // first king on files a..d
  NoKingPair = 4000,
  PlacementKinds = 6,  // 0 pawn, 1 pawn not touching the king, 2 knight, 3 bishop, 4 rook, 5 queen
  NotPlaced = 255,
};

// Symmetries: reflection in the a1-h8 diagonal, the XOR masks that bring a
// square to files a..d (pawn classes) or to the a1-d4 quadrant (pawnless),
// the colour flip by the reversed flag.
extern uint8_t TransposeSquare[64];
extern uint8_t FileMirror[64];
extern uint8_t QuadrantFold[64];
extern const uint8_t ColourFlip[2];
extern uint8_t InTriangle[64];     // a1, b1, c1, d1, b2, c2, d2, c3, d3, d4
extern uint8_t OnDiagonal[64];     // a1, b2, ..., h8
extern uint8_t AboveDiagonal[64];  // rank > file

// King pairs: [first king * 64 + second king] -> pair number, NoKingPair
// when the two squares form no pair; and back from pair number to squares.
extern int16_t KingPairPawnless[64 * 64];
extern int16_t KingPairPawn[64 * 64];
extern uint8_t PawnlessPairKings[PawnlessKingPairs][2];
extern uint8_t PawnPairKings[PawnKingPairs][2];

// Placement: [kind][king][square] -> number of the square among those open
// to the piece beside that king (NotPlaced when closed); [kind][king] -> how
// many are open; [kind][king][number] -> the square.
extern uint8_t PlacementTable[PlacementKinds][64][64];
extern uint8_t PlacementCount[PlacementKinds][64];
extern uint8_t PlacementSquare[PlacementKinds][64][64];

// Fills every table above. Idempotent.
void BuildBoardIndexTables();
