// Shared set-up of the search tests: one engine per process, callbacks that
// record what the engine reports, and positions installed the way the root
// driver installs them.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "engine/engine.h"
#include "engine/perft.h"

struct Reports {
  std::vector<int32_t> Depths;
  std::vector<std::string> Moves;  // ShowMove texts
  std::vector<int32_t> Nodes;
  std::vector<std::pair<std::string, int32_t>> Mainlines;
  void Clear() { *this = Reports(); }
};

extern Reports Reported;

// Initialises the engine once per process, with recording callbacks.
void EnsureEngine();
// Sets up a position text, enters the moves, and installs the game position on
// the search board (ply 0), the way an analysis starts.
void LoadPosition(const char* text, const std::vector<const char*>& moves = {});
// Runs a fixed-depth analysis of a position from a cleared state; returns the
// last reported line (empty when none) and leaves the reports in Reported.
std::string AnalyseToDepth(const char* text, int32_t depth, const std::vector<const char*>& moves = {});
// Takes the tablebase callback and piece limit away again.
void NoTablebases();
// First move of a reported line.
std::string FirstMove(const std::string& line);
