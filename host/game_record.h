// The host's game as the plug-in's GameRecord.
#pragma once

#include <vector>

#include "../adapter/host/host_records.h"
#include "chess_rules.h"

// Fills the position and moves of the record from a start position and the
// moves played from it. A game longer than the record holds is sent from the
// position 512 half-moves before its end. fromInitial marks the standard
// initial position.
void FillGameRecord(GameRecord* record, const ChessPosition& start, bool fromInitial,
                    const std::vector<ChessMove>& moves);
