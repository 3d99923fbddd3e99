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

// Set when a count had to drop moves because the move list was full.
extern int32_t PerftOverflow;

// Largest depth that Perft accepts.
constexpr int32_t PerftMaxDepth = 12;
