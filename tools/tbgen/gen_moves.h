// Legal moves and retracted moves on the generator's board. Children keep the
// parent's man order: a captured man gets square -1, a promoted pawn its new
// type, so a child outside the parent's class is recognised by those marks.
#pragma once
#include "gen_class.h"

inline int GenManAt(const GenPosition& pos, int sq) {
  for (int i = 0; i < pos.men; i++)
    if (pos.square[i] == sq) return i;
  return -1;
}

inline bool GenKingSafeAfterMove(const GenPosition& child, int side, uint64_t occupied) {
  return !GenSquareAttacked(child, child.square[side], 1 - side, occupied);
}

// Calls visit(child, captured, promoted) for every legal move of the side to
// move: captured = index of the taken man or -1, promoted = index of the pawn
// that promoted or -1. A double step sets the child's en-passant square when
// the other side could take. visit returns false to stop early; so does the
// walk (true when it ran through).
template <class Visit>
bool GenForEachMove(const GenPosition& pos, Visit&& visit) {
  int us = pos.toMove, them = 1 - us;
  uint64_t occupied = GenOccupied(pos), own = 0;
  for (int i = 0; i < pos.men; i++)
    if (pos.square[i] >= 0 && pos.side[i] == us) own |= GenBit(pos.square[i]);
  GenPosition child = pos;
  child.toMove = them;
  child.epSquare = -1;
  // Out of check, a man that leaves no line to its own king cannot expose it.
  int king = pos.square[us];
  bool inCheck = GenSquareAttacked(pos, king, them, occupied);
  for (int i = 0; i < pos.men; i++) {
    int from = pos.square[i];
    if (from < 0 || pos.side[i] != us) continue;
    bool mustTest = inCheck || i == us || GenAlign[king][from];
    if (pos.type[i] != GenPawn) {
      uint64_t targets = GenPieceReach(pos.type[i], from, occupied) & ~own;
      while (targets) {
        int to = __builtin_ctzll(targets);
        targets &= targets - 1;
        int victim = GenManAt(pos, to);
        if (victim >= 0 && pos.type[victim] == GenKing) continue;
        child.square[i] = to;
        if (victim >= 0) child.square[victim] = -1;
        bool go = (mustTest && !GenKingSafeAfterMove(child, us, (occupied ^ GenBit(from)) | GenBit(to))) ||
                  visit(child, victim, -1);
        child.square[i] = from;
        if (victim >= 0) child.square[victim] = to;
        if (!go) return false;
      }
      continue;
    }
    int step = us == 0 ? 8 : -8;
    int one = from + step;
    bool promotes = us == 0 ? one >= 56 : one < 8;
    auto emit = [&](int to, int victim, int epSquare) {
      child.square[i] = to;
      uint64_t occ = (occupied ^ GenBit(from)) | GenBit(to);
      if (victim >= 0) {
        occ &= ~GenBit(pos.square[victim]);
        occ |= GenBit(to);
        child.square[victim] = -1;
      }
      bool go = true;
      if (!(mustTest || (victim >= 0 && pos.square[victim] != to)) ||
          GenKingSafeAfterMove(child, us, occ)) {
        if (promotes) {
          for (int t = GenQueen; t >= GenKnight && go; t--) {
            child.type[i] = t;
            go = visit(child, victim, i);
          }
          child.type[i] = GenPawn;
        } else {
          child.epSquare = epSquare >= 0 && GenEnPassantEligible(child, epSquare) ? epSquare : -1;
          go = visit(child, victim, -1);
          child.epSquare = -1;
        }
      }
      child.square[i] = from;
      if (victim >= 0) child.square[victim] = pos.square[victim];
      return go;
    };
    if (!(occupied & GenBit(one))) {
      if (!emit(one, -1, -1)) return false;
      bool start = us == 0 ? (from >= 8 && from < 16) : (from >= 48 && from < 56);
      if (start && !(occupied & GenBit(one + step)) && !emit(one + step, -1, one)) return false;
    }
    uint64_t hits = GenPawnAttacks[us][from];
    while (hits) {
      int to = __builtin_ctzll(hits);
      hits &= hits - 1;
      int victim = GenManAt(pos, to);
      if (victim >= 0) {
        if (pos.side[victim] == us || pos.type[victim] == GenKing) continue;
        if (!emit(to, victim, -1)) return false;
      } else if (to == pos.epSquare) {
        victim = GenManAt(pos, to - step);
        if (victim >= 0 && pos.side[victim] == them && pos.type[victim] == GenPawn && !emit(to, victim, -1))
          return false;
      }
    }
  }
  return true;
}

// Calls visit(previous) for every placement from which the side that just
// moved reached `pos` by a move that stays in the class (no capture, no
// promotion). previous has no en-passant square; the caller adds the
// en-passant variants of it. Legality of previous is left to the caller.
template <class Visit>
void GenForEachRetraction(const GenPosition& pos, Visit&& visit) {
  int mover = 1 - pos.toMove;
  uint64_t occupied = GenOccupied(pos);
  GenPosition prev = pos;
  prev.toMove = mover;
  prev.epSquare = -1;
  int step = mover == 0 ? 8 : -8;
  if (pos.epSquare >= 0) {
    // Only the double step can have led here.
    int pawn = GenManAt(pos, pos.epSquare + step);
    if (pawn < 0) return;
    prev.square[pawn] = pos.epSquare - step;
    visit(prev);
    return;
  }
  for (int i = 0; i < pos.men; i++) {
    int from = pos.square[i];
    if (from < 0 || pos.side[i] != mover) continue;
    if (pos.type[i] != GenPawn) {
      uint64_t origins = GenPieceReach(pos.type[i], from, occupied) & ~occupied;
      while (origins) {
        int o = __builtin_ctzll(origins);
        origins &= origins - 1;
        prev.square[i] = o;
        visit(prev);
      }
      prev.square[i] = from;
      continue;
    }
    int back = from - step;
    bool backOnBoard = mover == 0 ? back >= 8 : back < 56;
    if (!backOnBoard || (occupied & GenBit(back))) continue;
    prev.square[i] = back;
    visit(prev);
    int fourth = mover == 0 ? 3 : 4;
    int back2 = back - step;
    if ((from >> 3) == fourth && !(occupied & GenBit(back2)) && !GenEnPassantEligible(pos, back)) {
      prev.square[i] = back2;
      visit(prev);
    }
    prev.square[i] = from;
  }
}
