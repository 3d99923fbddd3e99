// Retrograde generation of one class's distance-to-mate values in the
// generator's work layout. The classes reached by captures and promotions
// must already be held (FindGenTable).
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "gen_tables.h"

// Progress: a phase name, and done out of total (total 0: open-ended).
using GenProgress = std::function<void(const char* phase, uint64_t done, uint64_t total)>;

struct GenOptions {
  int threads = 1;
  GenProgress progress;  // may be empty
};

// Generates `name`; on failure returns null and sets *error.
std::unique_ptr<GenTable> GenerateClass(const std::string& name, const GenOptions& options, std::string* error);

// Bytes a generation of the class holds: its values and counts of
// undecided children, and the tables and slices its exits reach.
uint64_t GenMemoryEstimate(const GenClassInfo& info);

// Finds the class's en-passant positions and sizes its value arrays (zeroed).
void GenSetUpNodes(GenTable* table, int threads);

// Runs `body(begin, end)` over [0, count) in chunks on `threads` threads.
void GenParallelFor(uint64_t count, int threads, const std::function<void(uint64_t, uint64_t)>& body,
                    const std::function<void(uint64_t)>& progress = nullptr);

// The classes to generate for `wanted`, each after the classes its captures
// and promotions reach .
// False with the bad name in *error when a name is not a class.
bool GenClassesInOrder(const std::vector<std::string>& wanted, std::vector<std::string>* order, std::string* error);
