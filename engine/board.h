// The position state of the engine: the two boards, the square sets that
// mirror the search board, keys, counters and the per-ply stacks; set-up from
// the start position or from position text; rebuilding of derived state.
#pragma once

#include "types.h"

typedef Piece Board[120];

extern Board GameBoard;    // the game as set up and advanced by entered moves
extern Board SearchBoard;  // the working position of generation, search and evaluation

extern Side SideToMove;
extern int32_t WhiteKingSquare;
extern int32_t BlackKingSquare;

// The twelve piece sets and the three occupancy sets.
extern SquareSet WhitePawns, WhiteKnights, WhiteBishops, WhiteRooks, WhiteQueens, WhiteKing;
extern SquareSet BlackPawns, BlackKnights, BlackBishops, BlackRooks, BlackQueens, BlackKing;
extern SquareSet WhiteOccupied, BlackOccupied, AllOccupied;
// The piece set of a piece code (index code + 6; entry 6, for empty, is null).
extern SquareSet* const PieceSetOf[13];
inline SquareSet& PieceSet(int32_t piece) { return *PieceSetOf[piece + 6]; }

extern int32_t PieceCount[2];  // knights+bishops+rooks+queens, [WhiteIndex], [BlackIndex]
extern int32_t PawnCount[2];

extern KeyPair HashKey;      // over all pieces
extern KeyPair PawnKingKey;  // over pawns and kings only

// Per-ply stacks (index = ply, 0 at the root).
extern int32_t PieceMaterial[PlyLimit];
extern int32_t MaterialBalance[PlyLimit];
extern int32_t CastledFlags[PlyLimit][2];  // [ply][WhiteIndex/BlackIndex]
extern uint8_t EpSquare[PlyLimit];

extern int32_t BothSidesHavePieces;

// Moves made from each square since the last set-up (castling rights).
extern uint8_t MoveCount[128];

// Pawns per mailbox column (1..8; 0 and 9 stay zero) and side.
extern int32_t FilePawnCount[10][2];

// Game half-moves whose positions are kept in RepetitionKeys. It stops
// growing at GameKeyLimit: the oldest positions are then dropped.
extern int32_t GameMoveCount;
constexpr int32_t GameKeyLimit = 512;
constexpr int32_t RepetitionKeyCapacity = GameKeyLimit + PlyLimit + 14;
extern uint32_t RepetitionKeys[RepetitionKeyCapacity];
extern int32_t RepetitionCount;

void SetUpStart();
// Returns 0, or -1 when the text gives no playable position (PositionUnusable
// is then set; GameBoard holds what was read).
int32_t SetUpFromText(const char* text);
void RecomputeSets();
void RecomputeKeys();
void RecountMaterial();
void CountFilePawns();

// Index half of the key of an arbitrary board, by the rule of RecomputeKeys.
uint32_t BoardIndexKey(const Board board);

// Debug aid: recomputes sets, counts, keys and pawn files from SearchBoard and
// compares them with the incremental state. Returns 1 when all agree.
int32_t PositionIsConsistent();
