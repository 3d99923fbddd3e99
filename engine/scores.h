// Scores with a meaning of their own, and the margins the search and the root
// driver compare scores with. All in centipawns from the side to move.
#pragma once

#include <cstdint>

// The search was stopped; the score travels up unchanged.
constexpr int32_t AbortScore = 32111;
// Beyond every real score: the open window's edges, and the score of a node
// whose king can be taken (InfiniteScore - ply).
constexpr int32_t InfiniteScore = 32000;
// Ordering score of a move list entry already picked.
constexpr int32_t PickedScore = -32100;

// The side to move is mated at this ply: MatedScore(ply) = ply - MateScore.
constexpr int32_t MateScore = InfiniteScore - 1;
inline int32_t MatedScore(int32_t ply) { return ply - MateScore; }
// Scores from here outwards are mates the search itself found (the ply count
// never reaches 100); tablebase wins may lie below.
constexpr int32_t FoundMateScore = 31900;
// The table stores scores beyond +-PlyRelativeScore (mates) as distances from
// the node, not from the root: the ply is added on store, taken off on probe.
constexpr int32_t PlyRelativeScore = 31000;
// Scores beyond +-MateThreatScore come from mates or tablebase results, not
// from the evaluation.
constexpr int32_t MateThreatScore = 20000;

// Search: two plies above the horizon, a material lead this far above beta
// ends the node without a search.
constexpr int32_t MaterialCutoffMargin = 1250;
// Search: a null move is tried only when the material balance is at least
// beta - NullMoveMargin.
constexpr int32_t NullMoveMargin = 200;
// Search: with at least this much piece material left, the null move reduces
// by four plies at every depth.
constexpr int32_t NullMoveDeepMaterial = 2200;

// Root: half the width of the aspiration window around the previous score.
constexpr int32_t AspirationHalfWidth = 33;
// Root: a move that beats the window at v is searched again in (v, v + 250),
// or in (v, InfiniteScore) when v is above WideWindowMateScore.
constexpr int32_t WideWindowWidth = 250;
constexpr int32_t WideWindowMateScore = 29000;
