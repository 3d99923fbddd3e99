// Shared set-up of the evaluation tests: positions installed the way the
// root driver installs them, and random legal play from them.
#pragma once

#include <cstdint>
#include <functional>
#include <random>

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

// Random legal play: from the current root position, walks `walks` random
// paths of up to `depth` plies (depth <= 40) and calls visit at every node
// reached, the root included.
void RandomWalks(std::mt19937& rng, int32_t walks, int32_t depth, const std::function<void()>& visit);
