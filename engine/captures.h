// Tactical moves for the quiescence search: captures, en passant and queen
// promotions, scored cheaply and filtered by a material margin.
#pragma once

#include <cstdint>

void GenerateCaptures(int32_t referenceScore, int32_t bound);
void AddQuiescenceCapture(int32_t from, int32_t to, int32_t movingType);
void AddQuiescenceEnPassant(int32_t from, int32_t to, int32_t capturedSquare);
void AddQueenPromotion(int32_t from, int32_t to, int32_t movingType);
