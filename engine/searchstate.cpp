// Shared search and root state (see searchstate.h).
#include "searchstate.h"

#include "movelist.h"

int32_t Ply;
int32_t PlyMove[PlyLimit] = {NullMove};
KeyPair PlyHashKey[PlyLimit];
KeyPair PlyPawnKingKey[PlyLimit];
int32_t FollowPV;
MovePair FollowLine[PlyLimit];
int32_t RootReSearch;
MovePair Killers[PlyLimit][2];
int32_t InCheck;
int32_t PreviousPhase;
SquareSet WhitePawnAttacks;
SquareSet BlackPawnAttacks;
