// The root driver: iterative deepening over the root moves.
#pragma once

#include <cstdint>

// Runs the search of the game position; the best score, or -1 when stopped.
int32_t RunRoot(int32_t mode);
// Start-up state of the root driver (the stored principal variation emptied).
void ResetRootState();
