// Search and root state that move generation, make/unmake and the tables read
// or write. Defined here so that every part of the engine shares one copy.
#pragma once

#include <atomic>

#include "types.h"

extern int32_t Ply;                   // ply counter, 0 at the root
extern int32_t PlyMove[PlyLimit];     // move index that reached each ply
extern KeyPair PlyHashKey[PlyLimit];  // keys of the position at each ply
extern KeyPair PlyPawnKingKey[PlyLimit];

extern int32_t FollowPV;              // the search is on the previous principal variation
extern MovePair FollowLine[PlyLimit]; // previous principal variation, per ply
extern int32_t RootReSearch;          // the first root move is being re-searched
extern MovePair Killers[PlyLimit][2]; // first and second killer per ply
extern int32_t InCheck;               // 0, 1 in check, 2 the kings touch
extern int32_t PreviousPhase;         // game phase of the previous search, 0 after a clear

// Squares attacked by pawns (move generation and pawn evaluation).
extern SquareSet WhitePawnAttacks;
extern SquareSet BlackPawnAttacks;
