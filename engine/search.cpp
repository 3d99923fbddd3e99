// The alpha-beta node search: fail-soft principal-variation search with null
// move, fractional extensions, table probes, killers, tablebase probes and
// draw rules.

#include "search.h"

#include <cstdlib>

#include "api.h"
#include "attacks.h"
#include "board.h"
#include "captures.h"
#include "eval.h"
#include "evasions.h"
#include "hashtable.h"
#include "makemove.h"
#include "movegen.h"
#include "movelist.h"
#include "rootdriver.h"
#include "searchstate.h"
#include "nodeentry.h"
#include "tables.h"

uint32_t NodeCount;
int32_t NullMoveDepth;
int32_t ThreatExtensions[PlyLimit];
int32_t ExtensionCeiling;

namespace {

// The repetition test looks this far back: 4, 8 and 12 half-moves.
bool RepeatsEarlierPosition() {
  const int32_t last = RepetitionCount - 1;
  const uint32_t key = RepetitionKeys[last];
  for (int32_t back = 4; back <= 12; back += 4) {
    if (last - back < 0) break;
    if (RepetitionKeys[last - back] == key) return true;
  }
  return false;
}

// The capture that led here restored the balance of two or four plies up
// (the balance four plies up exists only from ply 4 on).
inline bool RecapturedBalance() {
  const int32_t balance = MaterialBalance[Ply];
  return balance == MaterialBalance[Ply - 2] || (Ply >= 4 && balance == MaterialBalance[Ply - 4]);
}

// Per ply: the first entry of the move list that may still be unpicked.
int32_t PickCursor[PlyLimit];

inline bool NoPawnsOnBoard() { return PawnCount[WhiteIndex] == 0 && PawnCount[BlackIndex] == 0; }

}  // namespace

namespace {

// Free slots are answered from their bits alone: only taken ones are loaded.
inline void PrefetchSlots(uint32_t slot) {
  if (IsSlotTaken(MainSlotTaken, slot & MainHashMask)) {
    __builtin_prefetch(&MainHashTable[slot & MainHashMask]);
    if (IsSlotTaken(SecondSlotTaken, slot & SecondHashMask))
      __builtin_prefetch(&SecondHashTable[slot & SecondHashMask]);
  }
}

}  // namespace

// The pawn cache entry that the evaluation of a node will look up.
inline void PrefetchPawnSlot(uint32_t pawnIndex, int32_t side) {
  __builtin_prefetch(&PawnCache[(pawnIndex ^ SideKeyOf(side)) & PawnCacheMask]);
}

void PrefetchTableSlots() {
  PrefetchSlots(SideKeyOf(SideToMove) ^ HashKey.Index);
  PrefetchPawnSlot(PawnKingKey.Index, SideToMove);
}

void PrefetchChildSlots(int32_t m) {
  if (m == EndOfListSlot) return;
  const MoveEntry& e = MoveList[m];
  const int32_t piece = SearchBoard[e.From];
  const int32_t victim = SearchBoard[e.To];
  uint32_t index = HashKey.Index ^ ZobristIndexTable[13 * e.From + piece] ^ ZobristIndexTable[13 * e.To + piece];
  if (victim != Empty) index ^= ZobristIndexTable[13 * e.To + victim];
  PrefetchSlots(SideKeyOf(-SideToMove) ^ index);
  uint32_t pawnIndex = PawnKingKey.Index;
  if (piece == Pawn || piece == -Pawn || piece == King || piece == -King)
    pawnIndex ^= ZobristIndexTable[13 * e.From + piece] ^ ZobristIndexTable[13 * e.To + piece];
  if (victim == Pawn || victim == -Pawn) pawnIndex ^= ZobristIndexTable[13 * e.To + victim];
  PrefetchPawnSlot(pawnIndex, -SideToMove);
}

int32_t Search(int32_t alpha, int32_t beta, int32_t depth, int32_t extension) {
  PrefetchTableSlots();
  if (StopFlag.load(std::memory_order_relaxed) != 0) return AbortScore;
  if (NodePoll() != 0) return AbortScore;

  const int32_t check = EnterNode();
  if (check < 0) return InfiniteScore - Ply;

  if (Ply >= 35) return Evaluate(alpha, beta);

  if (GamePhase == 1 && check == 0 && Ply >= 5 && NoPawnsOnBoard()) {
    const int32_t material = PieceMaterial[Ply];
    if (material <= 350 || material == 650) return 0;
    if (material <= 700 && std::abs(MaterialBalance[Ply]) < 100) return 0;
  }

  // Extensions, in hundredths of a ply.
  int32_t e = extension;
  int32_t d = depth;
  bool extended = false;
  if (d < 0 || Ply + d > ExtensionCeiling) {
    e = 0;
  } else {
    if (check == 1 && d < 7) {
      e += 100;
    } else {
      const MoveEntry& last = MoveList[PlyMove[Ply]];
      if (Ply >= 3 && d < 5 && last.Captured != 0 && RecapturedBalance()) {
        e += 50;
      } else {
        const int32_t to = last.To;
        const int32_t piece = SearchBoard[to];
        if ((piece == Pawn && to > 80 && SearchBoard[to + 10] == Empty) ||
            (piece == -Pawn && to < 40 && SearchBoard[to - 10] == Empty))
          e += 100;
      }
    }
    if (e >= 100) {
      e -= 100;
      d += 1;
      extended = true;
    }
  }

  if (Ply >= 2) {
    const int32_t probed = ProbeEntry(alpha, beta, d);
    if (probed != NoCutoff) return probed;
    alpha = ProbeAlpha;
    beta = ProbeBeta;
  }

  if (TablebasePieceLimit > 0 && d > 0 && CountSquares(AllOccupied) <= TablebasePieceLimit &&
      PawnCount[WhiteIndex] + PawnCount[BlackIndex] <= 3) {
    int32_t score;
    if (ProbeTablebase(Ply, SideToMove == Black ? 1 : 0, &score) == 1) return score;
  }

  if (check == 0) {
    if (d == 2 && MaterialBalance[Ply] > beta + 1250) return MaterialBalance[Ply];
    // A promotion during the search changes the nature of the position: look less deep.
    if (Ply >= 5 && QueensAtRoot == 0 && !IsEmpty(WhiteQueens | BlackQueens)) d -= 2;
  }

  int32_t standPat = 0;
  if (check + d <= 1) {
    standPat = Evaluate(alpha, beta);
    if (standPat >= beta) return standPat;
  }

  ThreatExtensions[Ply] = ThreatExtensions[Ply - 1];

  // No move led to the root: at ply 1 only the root move counts.
  if (d >= 3 && FollowPV == 0 && MaterialBalance[Ply] > beta - 200 && PieceCount[WhiteIndex] > 0 &&
      PieceCount[BlackIndex] > 0 && BothSidesHavePieces == 1 && PlyMove[Ply] != NullMove &&
      (Ply < 2 || PlyMove[Ply - 1] != NullMove) && check == 0) {
    int32_t r;
    if (PieceMaterial[Ply] >= 2200)
      r = d - 4;
    else
      r = d <= 8 ? d - 3 : d - 4;
    if (r < 1) r = 1;
    ++NullMoveDepth;
    ListStart[Ply + 1] = ListStart[Ply];
    MakeMove(NullMove);
    const int32_t v = -Search(-beta, 1 - beta, r, e);
    UnmakeMove(NullMove);
    --NullMoveDepth;
    SearchBoard[0] = OffBoard;
    InCheck = check;
    if (v == -AbortScore) return AbortScore;
    if (v >= beta) return v;
    // Passing loses to a mate: look one ply deeper here.
    if (v < -20000 && !extended && Ply + d <= ExtensionCeiling && ThreatExtensions[Ply] <= 0 && d < 4) {
      e += 100;
      ThreatExtensions[Ply] += 1;
    }
  }

  int32_t best = d > 0 ? -InfiniteScore : standPat;
  MoveListTop = ListStart[Ply];
  if (check != 0) {
    GenerateEvasions();
  } else if (d > 0) {
    GenerateMoves();
  } else {
    GenerateCaptures(best, beta);
  }
  ListStart[Ply + 1] = MoveListTop = ListStart[Ply] + GeneratedCount;
  // Generation reached the end of the move list and may have dropped moves:
  // with an incomplete list neither mate nor stalemate can be told, so the
  // node counts as a horizon node.
  if (MoveListTop >= GeneratorLimit) return Evaluate(alpha, beta);
  if (check != 0) {
    if (GeneratedCount == 0) return Ply - 31999;
    if (GeneratedCount == 1 && Ply + d <= ExtensionCeiling && d < 4) e += 100;
  }

  int32_t picked = 0;
  int32_t bestMove = -1;
  int32_t bound = BoundUpper;
  for (int32_t m = PickNextMove(picked), next; m != EndOfListSlot; m = next) {
    ++picked;
    // The order of the picks is fixed by the scores given at generation, so
    // the next move is known now and its slots load while m is searched.
    next = PickNextMove(picked);
    PrefetchChildSlots(next);
    MakeMove(m);
    int32_t v;
    if (NullMoveDepth <= 0 && RepeatsEarlierPosition()) {
      v = 0;
    } else if (d > 0 || (d == 0 && check == 1)) {
      if (FollowPV == 1) {
        v = -Search(-beta, -alpha, d - 1, e);
      } else {
        v = -Search(-alpha - 1, -alpha, d - 1, e);
        if (alpha < v && v < beta) v = -Search(-beta, 1 - v, d - 1, e);
      }
    } else {
      v = -Quiesce(-beta, -alpha, d - 1);
    }
    UnmakeMove(m);
    if (v == -AbortScore) return AbortScore;
    if (v > best) {
      best = v;
      bestMove = m;
      if (v >= beta) {
        bound = BoundLower;
        if (d > 0) UpdatePV(m);
        break;
      }
      if (v > alpha) {
        bound = BoundExact;
        alpha = v;
        if (d > 0) UpdatePV(m);
      } else {
        bound = BoundUpper;
        if (d > 0 && v == alpha) UpdatePV(m);
      }
    }
  }

  if (bestMove >= 0) {
    StoreEntry(bestMove, best, d, bound);
    if (bound == BoundLower && best >= beta) {
      Killers[Ply][1] = Killers[Ply][0];
      Killers[Ply][0] = MovePair{MoveList[bestMove].From, MoveList[bestMove].To};
    }
  }

  if (best > Ply - 31999 || check == 1) return best;
  // No legal move and not in check: stalemate, which the table must not remember as a score.
  InvalidateEntry();
  return 0;
}

int32_t PickNextMove(int32_t picked) {
  // Entries before the ply's cursor are all picked: no scan looks at them again.
  if (picked == 0) PickCursor[Ply] = ListStart[Ply];
  int32_t& cursor = PickCursor[Ply];
  const int32_t end = ListStart[Ply + 1];
  while (cursor < end && MoveList[cursor].Score == PickedScore) ++cursor;
  int32_t taken = EndOfListSlot;
  if (picked <= 9) {
    int32_t bestScore = PickedScore;
    for (int32_t i = cursor; i < end; ++i) {
      const int32_t s = MoveList[i].Score;
      if (s > bestScore) {
        bestScore = s;
        taken = i;
      }
    }
  } else if (cursor < end) {
    taken = cursor;
  }
  MoveList[taken].Score = PickedScore;
  return taken;
}

int32_t ProbeTablebase(int32_t ply, int32_t blackToMove, int32_t* score) {
  int32_t counts[10] = {0};
  int32_t white[24] = {0};
  int32_t black[24] = {0};
  for (int32_t sq = 21; sq <= 99; ++sq) {
    const int32_t p = SearchBoard[sq];
    if (p == Empty || p == OffBoard) continue;
    const int32_t type = p > 0 ? p : -p;
    int32_t* list = p > 0 ? white : black;
    if (type == King) {
      list[0] = SquareToBit[sq];
      continue;
    }
    int32_t& count = counts[(p > 0 ? 0 : 5) + type - 1];
    // Four slots per piece type: more is no tablebase position.
    if (count >= 4) return 0;
    list[4 * type + count] = SquareToBit[sq];
    ++count;
  }
  if (Callbacks.TBProbeList == nullptr) return 0;
  int32_t r = 0;
  if (Callbacks.TBProbeList(counts, white, black, blackToMove, 0, &r) != 1) return 0;
  if (r > 0)
    *score = 32000 - 2 * r - ply;
  else if (r == 0)
    *score = 0;
  else
    *score = ply - 2 * r - 32001;
  return 1;
}
