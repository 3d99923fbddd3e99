// Square and move text as the engine writes it (e2e4, e7e8Q).
#pragma once

#include <cstdint>

extern char CurrentMoveText[8];
extern const char EmptyMoveText[1];

// Writes the two characters and a NUL of a square ("--" off the board).
void SquareText(int32_t square, char out[3]);
// Formats MoveList entry m into CurrentMoveText and returns it.
const char* MoveText(int32_t m);
