// The alpha-beta node search: fail-soft principal-variation search with null
// move, fractional extensions, table probes, killers, tablebase probes and
// draw rules.

#include "search.h"

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
#include "root.h"
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

namespace {

// Extensions are counted in hundredths of a ply.
constexpr int32_t FullPlyExtension = 100;
constexpr int32_t RecaptureExtension = 50;
// Plies the search loses below a queen promoted during the search.
constexpr int32_t PromotionReduction = 2;

// The depth of a node once its extensions are counted.
struct NodeDepth {
  int32_t Depth;      // plies still to search
  int32_t Extension;  // hundredths of a ply handed on to the children
  bool Extended;      // a whole ply was added at this node
};

// What the move loop found.
struct NodeResult {
  int32_t Best;      // best score (fail-soft)
  int32_t BestMove;  // its move list entry, -1 when no move was searched
  int32_t Bound;     // how Best relates to the true score
};

// A pawn just moved to the seventh rank (from its side) with the square in
// front empty.
inline bool PawnReachedSeventh(int32_t to) {
  const int32_t piece = SearchBoard[to];
  return (piece == Pawn && to > 80 && SearchBoard[to + 10] == Empty) ||
         (piece == -Pawn && to < 40 && SearchBoard[to - 10] == Empty);
}

// Extensions: a check near the horizon adds a ply, a recapture restoring the
// earlier balance half a ply, a pawn reaching the seventh rank a ply. Whole
// plies collected (with the fraction inherited from above) deepen the node.
// Beyond the extension ceiling nothing is added and the fraction is dropped.
inline NodeDepth ExtendNode(int32_t depth, int32_t extension, int32_t check) {
  NodeDepth n{depth, extension, false};
  if (depth < 0 || Ply + depth > ExtensionCeiling) {
    n.Extension = 0;
    return n;
  }
  if (check == 1 && depth < 7) {
    n.Extension += FullPlyExtension;
  } else {
    const MoveEntry& last = MoveList[PlyMove[Ply]];
    if (Ply >= 3 && depth < 5 && last.Captured != 0 && RecapturedBalance()) {
      n.Extension += RecaptureExtension;
    } else if (PawnReachedSeventh(last.To)) {
      n.Extension += FullPlyExtension;
    }
  }
  if (n.Extension >= FullPlyExtension) {
    n.Extension -= FullPlyExtension;
    n.Depth += 1;
    n.Extended = true;
  }
  return n;
}

// Table probe, from ply 2: true with the node's score when the entry ends
// the node; otherwise the window is narrowed by the entry's bound.
inline bool TableCutoff(int32_t& alpha, int32_t& beta, int32_t depth, int32_t& score) {
  if (Ply < 2) return false;
  const int32_t probed = ProbeEntry(alpha, beta, depth);
  if (probed != NoCutoff) {
    score = probed;
    return true;
  }
  alpha = ProbeAlpha;
  beta = ProbeBeta;
  return false;
}

// Tablebase probe above the horizon when few enough men (and at most three
// pawns) are left: true with the table's score.
inline bool TablebaseCutoff(int32_t depth, int32_t& score) {
  if (TablebasePieceLimit > 0 && depth > 0 && CountSquares(AllOccupied) <= TablebasePieceLimit &&
      PawnCount[WhiteIndex] + PawnCount[BlackIndex] <= 3)
    return ProbeTablebase(Ply, SideToMove == Black ? 1 : 0, &score) == 1;
  return false;
}

// The null move is tried deep enough, off the previous principal variation,
// not in check, with the balance near beta or above, both sides holding
// pieces, and not right after another null move. At ply 1 only the root move
// led here, so the move before it is not looked at.
inline bool NullMoveAllowed(int32_t beta, int32_t depth, int32_t check) {
  return depth >= 3 && FollowPV == 0 && MaterialBalance[Ply] > beta - NullMoveMargin && PieceCount[WhiteIndex] > 0 &&
         PieceCount[BlackIndex] > 0 && BothSidesHavePieces == 1 && PlyMove[Ply] != NullMove &&
         (Ply < 2 || PlyMove[Ply - 1] != NullMove) && check == 0;
}

// Depth of the search after the null move: three or four plies less, at
// least one.
inline int32_t NullMoveReducedDepth(int32_t depth) {
  int32_t r;
  if (PieceMaterial[Ply] >= NullMoveDeepMaterial)
    r = depth - 4;
  else
    r = depth <= 8 ? depth - 3 : depth - 4;
  return r < 1 ? 1 : r;
}

// The side to move passes: true with the node's score when the reduced
// search still reaches beta (or was stopped). When passing loses to a mate,
// the node earns a ply of threat extension instead.
inline bool NullMoveCutoff(int32_t beta, int32_t check, NodeDepth& n, int32_t& score) {
  const int32_t r = NullMoveReducedDepth(n.Depth);
  ++NullMoveDepth;
  ListStart[Ply + 1] = ListStart[Ply];
  MakeMove(NullMove);
  const int32_t v = -Search(-beta, 1 - beta, r, n.Extension);
  UnmakeMove(NullMove);
  --NullMoveDepth;
  SearchBoard[0] = OffBoard;
  InCheck = check;
  if (v == -AbortScore) {
    score = AbortScore;
    return true;
  }
  if (v >= beta) {
    score = v;
    return true;
  }
  if (v < -MateThreatScore && !n.Extended && Ply + n.Depth <= ExtensionCeiling && ThreatExtensions[Ply] <= 0 &&
      n.Depth < 4) {
    n.Extension += FullPlyExtension;
    ThreatExtensions[Ply] += 1;
  }
  return false;
}

// The node's moves: evasions in check, all moves above the horizon, captures
// (those that may reach beta from best) at it.
inline void GenerateNodeMoves(int32_t check, int32_t depth, int32_t best, int32_t beta) {
  MoveListTop = ListStart[Ply];
  if (check != 0) {
    GenerateEvasions();
  } else if (depth > 0) {
    GenerateMoves();
  } else {
    GenerateCaptures(best, beta);
  }
  ListStart[Ply + 1] = MoveListTop = ListStart[Ply] + GeneratedCount;
}

// The score of the move just made, from the mover's side: a repetition is a
// draw; above the horizon (or at it in check) a principal-variation search,
// with a null window first off the previous principal variation; else the
// quiescence search.
inline int32_t SearchChild(int32_t alpha, int32_t beta, int32_t depth, int32_t extension,
                                                  int32_t check) {
  if (NullMoveDepth <= 0 && RepeatsEarlierPosition()) return 0;
  if (depth > 0 || (depth == 0 && check == 1)) {
    if (FollowPV == 1) return -Search(-beta, -alpha, depth - 1, extension);
    int32_t v = -Search(-alpha - 1, -alpha, depth - 1, extension);
    if (alpha < v && v < beta) v = -Search(-beta, 1 - v, depth - 1, extension);
    return v;
  }
  return -Quiesce(-beta, -alpha, depth - 1);
}

// The move loop, best first. Raises r.Best from its starting value, records
// the best move, the bound and (above the horizon) the principal variation.
// False when the search was stopped.
inline bool SearchMoves(int32_t alpha, int32_t beta, int32_t depth, int32_t extension,
                                               int32_t check, NodeResult& r) {
  int32_t picked = 0;
  for (int32_t m = PickNextMove(picked), next; m != EndOfListSlot; m = next) {
    ++picked;
    // The order of the picks is fixed by the scores given at generation, so
    // the next move is known now and its slots load while m is searched.
    next = PickNextMove(picked);
    PrefetchChildSlots(next);
    MakeMove(m);
    const int32_t v = SearchChild(alpha, beta, depth, extension, check);
    UnmakeMove(m);
    if (v == -AbortScore) return false;
    if (v > r.Best) {
      r.Best = v;
      r.BestMove = m;
      if (v >= beta) {
        r.Bound = BoundLower;
        if (depth > 0) UpdatePV(m);
        break;
      }
      if (v > alpha) {
        r.Bound = BoundExact;
        alpha = v;
        if (depth > 0) UpdatePV(m);
      } else {
        r.Bound = BoundUpper;
        if (depth > 0 && v == alpha) UpdatePV(m);
      }
    }
  }
  return true;
}

// Store: the result goes to the table, and a move that reached beta becomes
// the ply's first killer.
inline void StoreNodeResult(const NodeResult& r, int32_t depth, int32_t beta) {
  if (r.BestMove < 0) return;
  StoreEntry(r.BestMove, r.Best, depth, r.Bound);
  if (r.Bound == BoundLower && r.Best >= beta) {
    Killers[Ply][1] = Killers[Ply][0];
    Killers[Ply][0] = MovePair{MoveList[r.BestMove].From, MoveList[r.BestMove].To};
  }
}

}  // namespace

int32_t Search(int32_t alpha, int32_t beta, int32_t depth, int32_t extension) {
  PrefetchTableSlots();
  if (StopFlag.load(std::memory_order_relaxed) != 0) return AbortScore;
  if (NodePoll() != 0) return AbortScore;

  const int32_t check = EnterNode();
  if (check < 0) return InfiniteScore - Ply;
  if (Ply >= SearchPlyLimit) return Evaluate(alpha, beta);
  if (IsMaterialDraw(check)) return 0;

  NodeDepth n = ExtendNode(depth, extension, check);

  int32_t score;
  if (TableCutoff(alpha, beta, n.Depth, score)) return score;
  if (TablebaseCutoff(n.Depth, score)) return score;

  if (check == 0) {
    if (n.Depth == 2 && MaterialBalance[Ply] > beta + MaterialCutoffMargin) return MaterialBalance[Ply];
    // A promotion during the search changes the nature of the position: look less deep.
    if (Ply >= 5 && QueensAtRoot == 0 && !IsEmpty(WhiteQueens | BlackQueens)) n.Depth -= PromotionReduction;
  }

  // Stand pat at the horizon.
  int32_t standPat = 0;
  if (check + n.Depth <= 1) {
    standPat = Evaluate(alpha, beta);
    if (standPat >= beta) return standPat;
  }

  ThreatExtensions[Ply] = ThreatExtensions[Ply - 1];
  if (NullMoveAllowed(beta, n.Depth, check) && NullMoveCutoff(beta, check, n, score)) return score;

  NodeResult r{n.Depth > 0 ? -InfiniteScore : standPat, -1, BoundUpper};
  GenerateNodeMoves(check, n.Depth, r.Best, beta);
  // Generation reached the end of the move list and may have dropped moves:
  // with an incomplete list neither mate nor stalemate can be told, so the
  // node counts as a horizon node.
  if (MoveListTop >= GeneratorLimit) return Evaluate(alpha, beta);
  if (check != 0) {
    if (GeneratedCount == 0) return MatedScore(Ply);
    // A single reply to check: one ply deeper.
    if (GeneratedCount == 1 && Ply + n.Depth <= ExtensionCeiling && n.Depth < 4) n.Extension += FullPlyExtension;
  }

  if (!SearchMoves(alpha, beta, n.Depth, n.Extension, check, r)) return AbortScore;
  StoreNodeResult(r, n.Depth, beta);

  if (r.Best > MatedScore(Ply) || check == 1) return r.Best;
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
  // Won in r moves: the sooner the better; lost in -r moves: the later the better.
  if (r > 0)
    *score = InfiniteScore - 2 * r - ply;
  else if (r == 0)
    *score = 0;
  else
    *score = ply - 2 * r - (InfiniteScore + 1);
  return 1;
}
