// One search at a time: Eng9 runs on its own thread while the caller keeps
// reading input; the host ends searches by its own clock and watch of the
// reports where the engine would not stop by itself, and settles the move.
#include <cstdint>
#include <string>
#include <vector>

#pragma once

#include "../adapter/host/host_records.h"
#include "chess_rules.h"

struct SearchLimits {
  int32_t StopAfterDepth = 0;      // stop once this iteration is complete
  int64_t StopAfterNodes = 0;      // stop once this many nodes are reported
  int32_t StopAfterMs = 0;         // stop this long after the start
  int32_t SoftStopMs = 0;          // begin no new iteration this long after the start
  int32_t StopAtMateIn = 0;        // stop once a mate in this many moves is found
  int32_t HoldUntilStop = 0;       // infinite: the result waits for a stop
  int32_t Pondering = 0;           // the result waits for a ponder hit or stop
  int32_t PonderHitBudgetMs = 0;   // after a ponder hit, stop this long after it
  int32_t PonderHitSoftMs = 0;     // after a ponder hit, begin no new iteration after this
};

struct MainlineReport {
  int32_t Depth;
  int32_t Score;
  // Nodes since the search started: the engine counts in 32 bits, the host
  // adds up the steps between reports.
  uint64_t Nodes;
  int32_t TablebaseHits;
  uint32_t ElapsedMs;
  std::vector<ChessMove> Line;
};

// What the front end does with the reports; called on the search thread.
struct SearchPrinter {
  void (*Depth)(int32_t depth, uint32_t elapsedMs);
  void (*CurrentMove)(int32_t depth, const ChessMove& move, int32_t number, int32_t total);
  void (*Mainline)(const MainlineReport& report);
  // The settled move; has = false when there is no legal move.
  void (*Finished)(bool has, const ChessMove& best, bool hasPonder, const ChessMove& ponder);
};

// Starts a search of the record (which describes root); false when a
// search is still running.
bool StartSearch(const GameRecord& record, const ChessPosition& root, const SearchLimits& limits,
                 const SearchPrinter& printer);
void StopSearch();
void PonderHit();
bool SearchRunning();
// Waits until the running search has delivered its move.
void WaitForSearch();
// Milliseconds since the current search started.
uint32_t SearchElapsedMs();
