// Legal move generation for a side in check: every candidate is tried on the
// board and kept only when the mover's king is safe afterwards.
#pragma once

#include <cstdint>

void GenerateEvasions();
void AddLegalQuiet(int32_t from, int32_t to);
void AddLegalCapture(int32_t from, int32_t to);
void AddLegalEnPassant(int32_t from, int32_t to, int32_t victimSquare);
void AddLegalPromotions(int32_t from, int32_t to);

// Plays from -> to on SearchBoard alone (the victim square emptied for en
// passant), asks whether the mover's king is attacked, and puts everything
// back. Needs the king squares of SearchBoard.
bool LeavesKingSafe(int32_t from, int32_t to, int32_t victimSquare);
