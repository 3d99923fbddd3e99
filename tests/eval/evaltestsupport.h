// Shared set-up of the evaluation tests: positions installed the way the
// root driver installs them, and random legal play from them.
#pragma once

#include <cstdint>
#include <functional>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "engine/engine.h"
#include "engine/eval.h"

// Initialises the engine once per process.
void EngineReady();

// Sets up the position text and prepares it as an analysis does: search
// board, sets, keys, material, file pawns, mating class and game phase.
void SetPosition(const char* text);

// Evaluate with the root window, on a cleared term record.
int32_t EvaluateRoot();

// The pawn cache slot of the current position (pawn-and-king key, side to move).
PawnCacheEntry& CurrentPawnSlot();

// A hand-computed evaluation term: the term of LastEvalTerms after the
// position is set up and evaluated, and its expected value.
struct TermCase {
  const char* Text;
  int32_t EvalTerms::*Term;
  int32_t Expected;
};

// Sets up and evaluates every case with SET_UP and checks its term.
void ExpectTerms(const std::vector<TermCase>& cases, void (*setUp)(const char*));

// Random legal play: from the current root position, walks `walks` random
// paths of up to `depth` plies (depth <= 40) and calls visit at every node
// reached, the root included.
void RandomWalks(std::mt19937& rng, int32_t walks, int32_t depth, const std::function<void()>& visit);
