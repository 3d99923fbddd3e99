// The root driver: installs the game position, runs iterative deepening over
// the root moves, and keeps the root state the search reads (iteration and
// clock state, the principal variation, the line being followed).
#pragma once

#include <cstdint>

#include "types.h"

// Installs GameBoard as the search position at ply 0 with all derived state
// rebuilt (sets, keys, material, pawn files, castled flags of every ply,
// mating class and game phase, ply-0 stacks, repetition count, an empty move
// list): what every search, perft and test starts from.
void InstallGamePosition();
// Runs the search of the game position; the best score, or -1 when stopped.
int32_t RunRoot(int32_t mode);
// Start-up state of the root driver (the stored principal variation emptied).
void ResetRootState();

extern int32_t IterationDepth;     // nominal depth of the current iteration
extern int32_t ClockDepth;         // first iteration that looks at the clock
extern int32_t DepthCap;           // last iteration when the clock limits the search
extern int32_t PonderSeconds;      // seconds spent before the ponder hit
extern int32_t NodePollCountdown;  // nodes until the next clock reading
extern int32_t BestScore;          // score of the current best root move, as reported
extern int32_t FailLowFlag;        // the first root move failed low in this iteration
extern int32_t BestChangeFlag;     // a root move is re-searched or has just become best
extern int32_t QueensAtRoot;       // either side had a queen when the search started
extern int32_t RootReSearch;       // the first root move is being re-searched
extern int32_t PreviousPhase;      // game phase of the previous search, 0 after a clear

// Principal variation found from each ply; a row ends at the first entry
// whose from-square is 0.
constexpr int32_t PVRowLength = 51;
extern MoveEntry PVTable[PlyLimit][PVRowLength];
extern int32_t FollowPV;               // the search is on the previous principal variation
extern MovePair FollowLine[PlyLimit];  // previous principal variation, per ply

void UpdatePV(int32_t m);
void LoadFollowLine();
void SortRootMoves(int32_t n);
void MoveToFront(int32_t i);

// The search's clock, called at every node of Search. Returns AbortScore when
// the search must stop, else 0.
int32_t NodePoll();
// The ponder hit alone (the first step of NodePoll): AbortScore when the time
// already spent pondering ends the search.
int32_t PonderHit();
