// The game phase of a search, fixed at the root: it picks the positional
// evaluator for every node of that search.
#include "board.h"
#include "eval.h"

int32_t GamePhase;

// Run after RecountMaterial and ClassifyMatingEndgame.
void ClassifyGamePhase() {
  GamePhase = PieceMaterial[0] <= 2700 ? 1 : 0;
  if (MatingClass != 0) GamePhase = 2;
}
