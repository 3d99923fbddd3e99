// Leaf-node counts over legal moves, for checking move generation and
// make/unmake against known values.
#pragma once

#include <cstdint>

// Counts the leaf nodes DEPTH plies below the current search position (set
// up with InstallGamePosition, see root.h). Every promotion is counted with all four
// pieces, also at the plies where the generator lists only the queen.
uint64_t Perft(int32_t depth);

// 1 when the position at the current ply leaves the side that just moved
// with its king attacked (or the kings touching): the search's legality test.
int32_t MoverKingAttacked();

// Deep in the tree the generator lists a promotion with the queen only:
// appends after the moves [start, end) the rook, bishop and knight versions
// of each such promotion and answers the new end of the list. Sets
// PerftOverflow and stops when the move list is full.
int32_t AppendUnderPromotions(int32_t start, int32_t end);

// Set when a count had to drop moves because the move list was full.
extern int32_t PerftOverflow;

// Largest depth that Perft accepts.
constexpr int32_t PerftMaxDepth = 12;
