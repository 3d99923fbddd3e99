// The bench positions: openings, middlegames, endgames, forced mates and
// tablebase-sized material, each searched from a cleared state. obrantule-dev
// bench (the engine alone) and obrantule bench (host, plug-in and engine)
// search the same list at the same depth and hash size, so their node counts
// can be compared.
#pragma once

#include <cstdint>

struct BenchPosition {
  const char* Name;
  const char* Fen;
};

inline constexpr BenchPosition BenchPositions[] = {
    {"start", "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"},
    {"open-spanish", "r1bqkbnr/1ppp1ppp/p1n5/1B2p3/4P3/5N2/PPPP1PPP/RNBQK2R w KQkq - 0 4"},
    {"open-sicilian", "rnbqkb1r/pp2pppp/3p1n2/8/3NP3/8/PPP2PPP/RNBQKB1R w KQkq - 1 5"},
    {"middle-castles", "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1"},
    {"middle-pins", "r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10"},
    {"middle-promotion", "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1"},
    {"middle-isolani", "r1bq1rk1/pp2bppp/2n1pn2/3p4/3P4/2NB1N2/PP3PPP/R1BQ1RK1 w - - 0 9"},
    {"middle-black", "2r2rk1/pp1bqppp/2n1pn2/3p4/3P4/P1NBPN2/1PQ2PPP/R4RK1 b - - 0 14"},
    {"end-rooks", "8/5pk1/6p1/8/3R4/6P1/5PK1/r7 w - - 0 40"},
    {"end-pawns", "8/8/1p3k2/p1p5/P1P5/1P3K2/8/8 w - - 0 50"},
    {"end-rook-pawns", "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1"},
    {"end-bishops", "8/5k2/3b2p1/1p1P3p/1P3P1P/4B1P1/6K1/8 w - - 0 45"},
    {"mate-in-three", "6k1/5p1p/6p1/8/8/8/1Q3PPP/1R4K1 w - - 0 1"},
    {"mate-smothered", "r5rk/6pp/7N/8/8/8/6PP/1Q4K1 w - - 0 1"},
    {"tb-rook", "8/8/8/4k3/8/8/8/R3K3 w - - 0 1"},
    {"tb-rook-pawn", "2r5/8/8/4k3/8/4PK2/8/7R w - - 0 1"},
};

inline constexpr int32_t BenchPositionCount = int32_t(sizeof(BenchPositions) / sizeof(BenchPositions[0]));
// The summed node count at this depth is the engine's signature.
inline constexpr int32_t BenchDefaultDepth = 8;
inline constexpr int32_t BenchHashMB = 32;
