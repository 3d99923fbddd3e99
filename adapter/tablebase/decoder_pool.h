// The four decoder work areas shared by every compressed table: a block read
// borrows one under the pool lock and gives it back when done.
#pragma once

#include <cstdint>

struct BlockDecoder;

enum : int32_t { DecoderPoolSize = 4 };

// Creates the work areas (each with an 8192-byte input buffer); false when
// memory runs out (nothing is kept then).
bool DecoderPoolCreate();
void DecoderPoolRelease();
void DecoderPoolUnlock();
// Borrows a work area, waiting while all are in use. Answers the slot number,
// or -1 when the pool was never created.
int32_t DecoderPoolTake(BlockDecoder** decoder);
void DecoderPoolReturn(int32_t slot);
