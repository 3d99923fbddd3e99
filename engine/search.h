// The alpha-beta node search below the root and the quiescence search at its
// horizon, with the state they share.
#pragma once

#include <cstdint>

#include "scores.h"
#include "types.h"

// Nodes of Search and Quiesce in this analysis, counted modulo 2^32 (the
// reports carry it as 32 bits).
extern uint32_t NodeCount;
extern int32_t NullMoveDepth;                 // null moves on the current path
extern int32_t ThreatExtensions[PlyLimit];    // mate-threat extensions granted on the path
extern int32_t ExtensionCeiling;              // ply + depth above it: no extension
// From this ply on, Search and Quiesce answer with the evaluation.
constexpr int32_t SearchPlyLimit = 35;

// Starts loading the table slots and the pawn cache entry of the current
// position, so that the probe finds them in the cache after the node's first
// tests.
void PrefetchTableSlots();
// The same for the position after move m of the current node, from its
// from- and to-squares (castling, en passant and promotion are not followed:
// a wrong guess costs only the load).
void PrefetchChildSlots(int32_t m);

int32_t Search(int32_t alpha, int32_t beta, int32_t depth, int32_t extension);
int32_t Quiesce(int32_t alpha, int32_t beta, int32_t depth);
int32_t PickNextMove(int32_t picked);
int32_t ProbeTablebase(int32_t ply, int32_t blackToMove, int32_t* score);
