// Is a square attacked by one colour? 0 no; 1 by a pawn, knight, bishop, rook
// or queen; 2 by the king alone (mailbox pair) or the two kings touch (set pair).
#pragma once

#include <cstdint>

int32_t AttackedByWhite(int32_t s);
int32_t AttackedByBlack(int32_t s);
int32_t BitAttackedByWhite(int32_t s);
int32_t BitAttackedByBlack(int32_t s);
