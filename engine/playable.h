// Which positions the engine will play from. A position text may describe
// anything; the search and the move generators rely on one king per side and
// on the side that just moved not being in check, so a text that breaks the
// rules below leaves the engine in an "unusable position" state: analysis
// answers at once without a report and game moves are refused until the next
// set-up.
#pragma once

#include <cstdint>

// Set by a set-up from text that gave no playable position, cleared by every
// other set-up.
extern int32_t PositionUnusable;

// 1 when GameBoard with SideToMove is playable: each side has exactly one
// king; no pawn stands on the first or last rank; each side has at most 8
// pawns and 16 men, and pawns plus its pieces beyond the initial set (queens
// beyond 1, rooks, bishops, knights beyond 2) make at most 8; the side not to
// move is not in check (kings side by side count as check). Needs the king
// squares of GameBoard; uses SearchBoard as scratch for the check test.
int32_t PositionIsPlayable();
