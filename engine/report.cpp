// The principal-variation report. The line is replayed on the board before it
// is written, and it is cut at the first move that is not legal where it
// stands: a row can end in a stale tail (a move scored without a search keeps
// the row of an earlier sibling), and a root without a legal move would
// otherwise report an illegal first move.

#include "report.h"

#include <cstring>

#include "api.h"
#include "attacks.h"
#include "board.h"
#include "hashtable.h"
#include "makemove.h"
#include "movegen.h"
#include "movelist.h"
#include "movetext.h"
#include "root.h"
#include "search.h"
#include "searchstate.h"

namespace {

constexpr int32_t ReportedMoves = 22;

// Finds the move (from, to) among the pseudo-legal moves of the position,
// copies it to `slot` with the line's promotion piece, plays it and keeps it
// when it leaves the mover's king safe. Returns 1 when the move was played.
int32_t PlayLineMove(const MoveEntry& wanted, int32_t slot, int32_t scratch) {
  MoveListTop = scratch;
  GenerateMoves();
  int32_t found = -1;
  for (int32_t k = scratch; k < scratch + GeneratedCount; ++k) {
    if (MoveList[k].From == wanted.From && MoveList[k].To == wanted.To) {
      found = k;
      break;
    }
  }
  if (found < 0) return 0;
  MoveList[slot] = MoveList[found];
  // Deep in the tree only the queen promotion is generated; evasions list all four.
  if (IsPromotionFlag(MoveList[slot].Flag) && wanted.Flag >= Knight && wanted.Flag <= Queen)
    MoveList[slot].Flag = wanted.Flag;
  MakeMove(slot);
  const int32_t unsafe =
      SideToMove == Black ? BitAttackedByBlack(WhiteKingSquare) : BitAttackedByWhite(BlackKingSquare);
  if (unsafe > 0) {
    UnmakeMove(slot);
    return 0;
  }
  return 1;
}

void AppendMove(char* text, const MoveEntry& e) {
  char sq[3];
  char* out = text + std::strlen(text);
  SquareText(e.From, sq);
  *out++ = sq[0] >= 'A' && sq[0] <= 'H' ? char(sq[0] - 'A' + 'a') : sq[0];
  *out++ = sq[1];
  SquareText(e.To, sq);
  *out++ = sq[0] >= 'A' && sq[0] <= 'H' ? char(sq[0] - 'A' + 'a') : sq[0];
  *out++ = sq[1];
  const int8_t flag = int8_t(e.Flag);
  if (flag < 10) {
    if (flag == Queen) *out++ = 'Q';
    if (flag == Rook) *out++ = 'R';
    if (flag == Bishop) *out++ = 'B';
    if (flag == Knight) *out++ = 'N';
  }
  *out++ = ' ';
  *out = '\0';
}

}  // namespace

int32_t FormatPrincipalVariation(char* text, int32_t limit) {
  text[0] = '\0';
  // Everything the replay touches besides the position, which unmake restores.
  const int32_t savedTop = MoveListTop;
  const int32_t savedCount = GeneratedCount;
  const int32_t savedHashValid = HashMoveValid;
  const MovePair savedHashMove = HashMove;
  const SquareSet savedWhiteAttacks = WhitePawnAttacks;
  const SquareSet savedBlackAttacks = BlackPawnAttacks;
  const int32_t savedFollow = FollowPV;
  const int32_t savedCheck = InCheck;

  // The played moves sit just above the root list; each generation goes above them.
  const int32_t slots = ListStart[Ply + 1] > MoveListTop ? ListStart[Ply + 1] : MoveListTop;
  const int32_t scratch = slots + ReportedMoves;
  int32_t played = 0;
  while (played < limit && played < ReportedMoves) {
    const MoveEntry& e = PVTable[0][played];
    if (e.From == 0) break;
    if (!PlayLineMove(e, slots + played, scratch)) break;
    AppendMove(text, e);
    ++played;
  }
  for (int32_t k = played - 1; k >= 0; --k) UnmakeMove(slots + k);

  MoveListTop = savedTop;
  GeneratedCount = savedCount;
  HashMoveValid = savedHashValid;
  HashMove = savedHashMove;
  WhitePawnAttacks = savedWhiteAttacks;
  BlackPawnAttacks = savedBlackAttacks;
  FollowPV = savedFollow;
  InCheck = savedCheck;
  return played;
}

void ReportPV() {
  int32_t score = BestScore;
  // Mates the search found are shown 2000 nearer to zero.
  if (score >= FoundMateScore) score -= 2000;
  if (score <= -FoundMateScore) score += 2000;
  static char text[ReportedMoves * 6 + 1];
  if (FormatPrincipalVariation(text, ReportedMoves) == 0) return;
  CallShowNodes(int32_t(NodeCount), 0);
  CallShowMainline(text, score);
}
