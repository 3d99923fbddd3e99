// Quiescence search: resolves pending captures at the horizon so that the
// static evaluation is only taken in quiet positions.

#include "api.h"
#include "attacks.h"
#include "board.h"
#include "captures.h"
#include "eval.h"
#include "hashtable.h"
#include "makemove.h"
#include "movelist.h"
#include "root.h"
#include "search.h"
#include "searchstate.h"
#include "nodeentry.h"

int32_t Quiesce(int32_t alpha, int32_t beta, int32_t depth) {
  PrefetchTableSlots();
  if (StopFlag.load(std::memory_order_relaxed) != 0) return AbortScore;
  if (PonderOffFlag.load(std::memory_order_relaxed) != 0 && PonderHit() != 0) return AbortScore;

  const int32_t check = EnterNode();
  if (check < 0) return InfiniteScore - Ply;

  if (IsMaterialDraw(check)) return 0;

  const int32_t probed = ProbeEntry(alpha, beta, depth);
  if (probed != NoCutoff) return probed;
  alpha = ProbeAlpha;
  beta = ProbeBeta;

  // In check at the first quiescence ply there is no standing pat: captures only, from 0.
  int32_t best = 0;
  if (check == 0 || depth < -1) {
    best = Evaluate(alpha, beta);
    if (best >= beta) return best;
  }

  if (depth <= -12 || Ply >= SearchPlyLimit) return Evaluate(alpha, beta);

  MoveListTop = ListStart[Ply];
  GenerateCaptures(best, beta);
  ListStart[Ply + 1] = MoveListTop = ListStart[Ply] + GeneratedCount;

  int32_t picked = 0;
  for (int32_t m = PickNextMove(picked), next; m != EndOfListSlot; m = next) {
    ++picked;
    next = PickNextMove(picked);  // see Search: its slots load while m is searched
    PrefetchChildSlots(next);
    MakeMove(m);
    const int32_t v = -Quiesce(-beta, -alpha, depth - 1);
    UnmakeMove(m);
    if (v == -AbortScore) return AbortScore;
    if (v > best) {
      best = v;
      if (v >= beta) break;
      if (v > alpha) alpha = v;
    }
  }

  // Out of check no mated score stands: the node scores as level.
  if (best <= MatedScore(Ply) && check == 0) return 0;
  return best;
}
