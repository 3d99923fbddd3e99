// Moves of the game entered by the caller as text and played on GameBoard.
#pragma once

#include <cstdint>

// Returns 0 when the move was played, -1 when the text names no generated
// move (the game state is then left exactly as it was).
int32_t EnterGameMove(char* text);
void PlayGameMove(int32_t m);
int32_t SquareFromText(const char* text);
