// Pseudo-legal move generation with ordering scores written at generation.
#pragma once

#include "movelist.h"

void GenerateMoves();
void GenerateWhiteMoves();
void GenerateBlackMoves();
// Each add routine returns the entry it wrote, or null when it wrote nothing
// (a capture of a king, or a full list).
MoveEntry* AddQuietMove(int32_t from, int32_t to, int32_t movingType);
MoveEntry* AddCapture(int32_t from, int32_t to, int32_t movingType);
MoveEntry* AddEnPassant(int32_t from, int32_t to, int32_t capturedSquare);
void AddPromotions(int32_t from, int32_t to);
