// Shared per-ply search state (see searchstate.h).
#include "searchstate.h"

#include "movelist.h"

int32_t Ply;
int32_t PlyMove[PlyLimit] = {NullMove};
KeyPair PlyHashKey[PlyLimit];
KeyPair PlyPawnKingKey[PlyLimit];
MovePair Killers[PlyLimit][2];
int32_t InCheck;
SquareSet WhitePawnAttacks;
SquareSet BlackPawnAttacks;
