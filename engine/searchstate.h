// Per-ply search state that move generation, make/unmake and the tables read
// or write. Defined here so that every part of the engine shares one copy
// (the root driver's own state is in root.h).
#pragma once

#include <atomic>

#include "types.h"

extern int32_t Ply;                   // ply counter, 0 at the root
extern int32_t PlyMove[PlyLimit];     // move index that reached each ply
extern KeyPair PlyHashKey[PlyLimit];  // keys of the position at each ply
extern KeyPair PlyPawnKingKey[PlyLimit];

extern MovePair Killers[PlyLimit][2]; // first and second killer per ply
extern int32_t InCheck;               // 0, 1 in check, 2 the kings touch

// Squares attacked by pawns (move generation and pawn evaluation).
extern SquareSet WhitePawnAttacks;
extern SquareSet BlackPawnAttacks;
