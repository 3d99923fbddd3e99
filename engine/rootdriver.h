// State of the root driver that the search reads, the principal-variation
// rows, and the node poll that enforces the clock inside a search.
#pragma once

#include <cstdint>

#include "types.h"

extern int32_t IterationDepth;     // nominal depth of the current iteration
extern int32_t ClockDepth;         // first iteration that looks at the clock
extern int32_t DepthCap;           // last iteration when the clock limits the search
extern int32_t PonderSeconds;      // seconds spent before the ponder hit
extern int32_t NodePollCountdown;  // nodes until the next clock reading
extern int32_t BestScore;          // score of the current best root move, as reported
extern int32_t FailLowFlag;        // the first root move failed low in this iteration
extern int32_t BestChangeFlag;     // a root move is re-searched or has just become best
extern int32_t QueensAtRoot;       // either side had a queen when the search started

// Principal variation found from each ply; a row ends at the first entry
// whose from-square is 0.
constexpr int32_t PVRowLength = 51;
extern MoveEntry PVTable[PlyLimit][PVRowLength];

void UpdatePV(int32_t m);
void LoadFollowLine();
void SortRootMoves(int32_t n);
void MoveToFront(int32_t i);

// The search's clock, called at every node of Search. Returns 32111 when the
// search must stop, else 0.
int32_t NodePoll();
// The ponder hit alone (the first step of NodePoll): 32111 when the time
// already spent pondering ends the search.
int32_t PonderHit();
