// Shared argument handling of the obrantule-dev subcommands that take a
// position: [FEN [MOVE...]].
#pragma once

// Initialises the engine and sets up the game position from the arguments:
// none for the start position, "startpos" or a position text (one quoted
// argument, or its fields as separate arguments), then game moves in
// coordinate text (e2e4, e7e8q). Prints an error naming TOOL and returns
// false when a move is unknown or illegal.
bool SetUpDevPosition(int argc, char** argv, const char* tool);
