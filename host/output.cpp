#include "output.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace {

std::mutex OutputLock;

}  // namespace

// Mate scores: the engine shows mate-search scores 2000 nearer to zero
// (29900..29999 for the side to move mating, plies = 29999 - score), and
// tablebase wins as 32000 - 2 * moves - ply.
bool MateInMoves(int32_t score, int32_t* moves) {
  int32_t magnitude = std::abs(score);
  int32_t plies;
  if (magnitude >= 29900 && magnitude < 30000) plies = 29999 - magnitude + (score > 0 ? 1 : 0);
  else if (magnitude >= 31000 && magnitude < 32000) plies = 32000 - magnitude;
  else return false;
  int32_t count = score > 0 ? (plies + 1) / 2 : plies / 2;
  *moves = score > 0 ? (count < 1 ? 1 : count) : -count;
  return true;
}

void Say(const std::string& line) {
  std::lock_guard<std::mutex> guard(OutputLock);
  fputs(line.c_str(), stdout);
  fputc('\n', stdout);
  fflush(stdout);
}

std::string UciScore(int32_t score) {
  int32_t moves;
  if (MateInMoves(score, &moves)) return "mate " + std::to_string(moves);
  return "cp " + std::to_string(score);
}

std::string HumanScore(int32_t score) {
  int32_t moves;
  if (MateInMoves(score, &moves)) return "#" + std::to_string(moves);
  char text[32];
  snprintf(text, sizeof(text), "%+.2f", score / 100.0);
  return text;
}
