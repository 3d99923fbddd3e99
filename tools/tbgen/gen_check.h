// One-ply consistency of a generated table in the work layout: every node's
// byte must equal the best of its moves' bytes (a mate or stalemate when
// there is none). Exact tables pass; so does nothing else, since the
// distances leave no room for circular wins.
#pragma once
#include <cstdint>

#include "gen_tables.h"

// Number of nodes whose byte disagrees with their moves (classes reached by
// captures and promotions must be held).
uint64_t GenCountInconsistencies(const GenTable& table, int threads);
