// Lines to standard output, whole and flushed, from any thread.
#pragma once

#include <string>

void Say(const std::string& line);
// UCI score text: "cp N" or "mate N"; human text: "+0.27" or "#3"/"#-2".
std::string UciScore(int32_t score);
std::string HumanScore(int32_t score);
// Whether the score is a mate score; moves > 0: the side to move mates in
// that many moves, < 0: it is mated in -moves.
bool MateInMoves(int32_t score, int32_t* moves);
