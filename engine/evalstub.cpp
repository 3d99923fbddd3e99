// TEMPORARY material-only evaluation, replaced by the real evaluation when it lands.
#include "attacks.h"
#include "board.h"
#include "eval.h"
#include "searchstate.h"

int32_t GamePhase;
int32_t MatingClass;

void ClassifyMatingEndgame() { MatingClass = 0; }

void ClassifyGamePhase() {
  GamePhase = PieceMaterial[0] <= 2700 ? 1 : 0;
  if (MatingClass != 0) GamePhase = 2;
}

int32_t RootCheckProbe() {
  if (SideToMove == White) {
    if (AttackedByWhite(BlackKingSquare) != 0) return 32000 - Ply;
    InCheck = AttackedByBlack(WhiteKingSquare);
  } else {
    if (AttackedByBlack(WhiteKingSquare) != 0) return 32000 - Ply;
    InCheck = AttackedByWhite(BlackKingSquare);
  }
  return 0;
}

int32_t Evaluate(int32_t, int32_t) { return MaterialBalance[Ply]; }
