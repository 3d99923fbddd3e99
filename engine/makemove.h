// Make and unmake of MoveList entries on SearchBoard, with every derived
// structure updated incrementally. NullMove (1519) passes.
#pragma once

#include <cstdint>

void MakeMove(int32_t m);
void UnmakeMove(int32_t m);
