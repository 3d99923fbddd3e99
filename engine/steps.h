// Mailbox offsets of the pieces' steps and rays. The generators walk them in
// this order and write moves in the order walked, so the order is part of the
// move order (and of every node count): do not reorder.
#pragma once

#include <cstdint>

inline constexpr int32_t KnightSteps[8] = {19, -19, 21, -21, 12, -12, 8, -8};
inline constexpr int32_t KingSteps[8] = {1, -1, 10, -10, 9, -9, 11, -11};
inline constexpr int32_t BishopRays[4] = {11, -11, 9, -9};
inline constexpr int32_t RookRays[4] = {1, -1, 10, -10};
