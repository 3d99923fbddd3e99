// TEMPORARY material-only evaluation interface, replaced by the real
// evaluation when it lands.
#pragma once

#include <cstdint>

#include "types.h"

extern int32_t GamePhase;
extern int32_t MatingClass;
void ClassifyMatingEndgame();
void ClassifyGamePhase();
int32_t RootCheckProbe();
int32_t Evaluate(int32_t alpha, int32_t beta);
