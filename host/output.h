// Lines to standard output, whole and flushed, from any thread.
#pragma once

#include <string>

void Say(const std::string& line);
// UCI score text: "cp N" or "mate N"; human text: "+0.27" or "#3"/"#-2".
std::string UciScore(int32_t score);
std::string HumanScore(int32_t score);
