// The tablebase probes: the value of a position of at most five pieces from
// its table, as a distance to mate from the side to move's view.
//
// Squares are 0..63 (a1 = 0, h1 = 7, h8 = 63). A side's pieces come as a
// list of 24 slots: the king in slot 0, pieces of type t (1 pawn, 2 knight,
// 3 bishop, 4 rook, 5 queen) in slots 4t..4t+3; material counts are ten:
// white pawns, knights, bishops, rooks, queens, then black's.
#pragma once

#include <atomic>
#include <cstdint>

#include "../../engine/call_convention.h"

// The probes are exported by the adapter plug-in, which hands TBProbeList to
// the engine as its probe callback.
#if defined(_WIN32)
#define TABLEBASE_EXPORT __declspec(dllexport)
#else
#define TABLEBASE_EXPORT __attribute__((visibility("default")))
#endif

enum : int32_t {
  PieceListSlots = 24,
  NoEnPassant = 127,
  TableValueUnknown = 32767,
};

extern "C" {
// board: 64 bytes, 0 empty, 1..6 white pawn..king, 9..14 black pawn..king;
// side 0 white to move, 1 black; epSquare the en-passant target or 0.
// Answers 1 with *out set, or 0 when no table answers (*out untouched).
TABLEBASE_EXPORT int32_t OBRANTULE_CALL TBProbeBoard(const uint8_t* board, int32_t side, int32_t epSquare, int32_t* out);
TABLEBASE_EXPORT int32_t OBRANTULE_CALL TBProbeList(const int32_t* counts, const int32_t* whiteList,
                                                    const int32_t* blackList, int32_t side, int32_t epSquare,
                                                    int32_t* out);
}

// Successful probes since the last reset (read by the progress reports,
// reset at the start of each analysis).
extern std::atomic<int32_t> TablebaseProbeCount;

// The internal value of one table entry: stored byte t as t + 32640 (1..126),
// t - 32640 (-126..-1), -32640 (-127), 32640 (-128), 0 (0), and 32767 for
// 127 or when the entry cannot be read.
int32_t ReadTableValue(int32_t tableClass, int32_t side, uint32_t index);
// The distance in moves for an internal value.
int32_t ProbeScore(int32_t value);
