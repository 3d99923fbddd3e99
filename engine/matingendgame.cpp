// Basic mates against a lone king: recognised once at the root, then scored
// by tables that drive the lone king to the edge (or to a corner the bishop
// controls), by the distances between the pieces and kings, and by the lone
// king's mobility.
#include "attacks.h"
#include "eval.h"
#include "evaltables.h"
#include "pawncache.h"
#include "steps.h"

int32_t MatingClass;
int32_t StrongSide;
int32_t BishopColour;

void ClassifyMatingEndgame() {
  MatingClass = 0;
  const int32_t whiteMen = CountSquares(WhiteOccupied);
  const int32_t blackMen = CountSquares(BlackOccupied);
  if (whiteMen >= 2 && blackMen >= 2) return;
  StrongSide = whiteMen < 2 ? Black : White;

  const bool white = StrongSide == White;
  const int32_t knights = CountSquares(white ? WhiteKnights : BlackKnights);
  const SquareSet bishopSet = white ? WhiteBishops : BlackBishops;
  const int32_t bishops = CountSquares(bishopSet);
  const int32_t rooks = CountSquares(white ? WhiteRooks : BlackRooks);
  const int32_t queens = CountSquares(white ? WhiteQueens : BlackQueens);
  const int32_t pawns = CountSquares(white ? WhitePawns : BlackPawns);
  if (pawns != 0) return;
  if (bishops == 1) BishopColour = SquareColour[LowestSquare(bishopSet)];

  if ((rooks == 1 && queens == 0) || (rooks == 0 && queens == 1)) {
    MatingClass = 1;
  } else if (rooks == 0 && queens == 0) {
    if (bishops >= 1 && knights >= 1) MatingClass = 2;
    if (bishops == 2) MatingClass = 3;
  }
}

namespace {

inline int32_t Manhattan(int32_t a, int32_t b) {
  const int32_t df = a % 10 - b % 10;
  const int32_t dr = a / 10 - b / 10;
  return (df < 0 ? -df : df) + (dr < 0 ? -dr : dr);
}
inline int32_t Distance(int32_t a, int32_t b) { return KingDistance[a][b]; }
inline int32_t Absolute(int32_t x) { return x < 0 ? -x : x; }
inline bool OnEdge(int32_t s) {
  const int32_t f = s % 10, r = s / 10;
  return f == 1 || f == 8 || r == 2 || r == 9;
}
// The lone king's edge test leaves out the a-file.
inline bool OnEdgeButAFile(int32_t s) {
  const int32_t f = s % 10, r = s / 10;
  return f == 8 || r == 2 || r == 9;
}
inline int32_t Min(int32_t a, int32_t b) { return a < b ? a : b; }

// King and rook or queen: drive the lone king to the edge and bring the
// heavy piece close.
int32_t QueenOrRookMate() {
  const int32_t wk = WhiteKingSquare;
  const int32_t bk = BlackKingSquare;
  int32_t whiteMen = 0;
  int32_t blackMen = 0;
  for (SquareSet set = WhiteRooks | WhiteQueens; !IsEmpty(set);) {
    whiteMen -= 2 * Manhattan(PopLowestSquare(set), bk);
  }
  whiteMen += KingMateTable[wk];
  if (StrongSide == Black) whiteMen -= 2 * Manhattan(wk, bk);
  // Kings in opposition: good for the side that does not have to move.
  const int32_t apart = Absolute(wk - bk);
  if (apart == 2 || apart == 20) whiteMen += SideToMove == White ? -20 : 20;

  for (SquareSet set = BlackRooks | BlackQueens; !IsEmpty(set);) {
    blackMen += 2 * Manhattan(PopLowestSquare(set), wk);
  }
  blackMen -= KingMateTable[bk];
  if (StrongSide == White) blackMen += 2 * Manhattan(bk, wk);

  if (ExplainEvaluation) {
    LastEvalTerms.MatingWhiteMen = whiteMen;
    LastEvalTerms.MatingBlackMen = blackMen;
    LastEvalTerms.MatingLoneKing = 0;
  }
  return whiteMen + blackMen;
}

// King, bishop and knight, or two bishops: drive the lone king to a corner
// the bishops can cover.
int32_t MinorPieceMate() {
  const int32_t wk = WhiteKingSquare;
  const int32_t bk = BlackKingSquare;
  int32_t whiteMen = 0;
  int32_t blackMen = 0;

  for (SquareSet set = WhiteKnights; !IsEmpty(set);) {
    whiteMen += 4 * (8 - Distance(bk, PopLowestSquare(set)));
  }
  const int32_t d = Distance(bk, wk);
  if (StrongSide == White) {
    whiteMen += 4 * StrongKingTable[wk] - 8 * d;
    if (OnEdge(wk)) whiteMen -= 80;
  } else {
    whiteMen += 4 * LoneKingTable[wk] + 8 * d;
    if (OnEdgeButAFile(wk)) whiteMen -= 80;
  }

  for (SquareSet set = BlackKnights; !IsEmpty(set);) {
    blackMen += 4 * Distance(wk, PopLowestSquare(set)) - 32;
  }
  if (StrongSide == Black) {
    blackMen -= 4 * StrongKingTable[bk];
    if (OnEdge(bk)) blackMen += 80;
  } else {
    blackMen -= 4 * LoneKingTable[bk];
    if (OnEdgeButAFile(bk)) blackMen += 80;
  }

  // The lone king: in check, its free squares, and its distance to the
  // nearest corner where mate can be given.
  const bool loneIsWhite = StrongSide == Black;
  const int32_t lone = loneIsWhite ? wk : bk;
  int32_t lonePart = 0;
  const int32_t check = loneIsWhite ? AttackedByBlack(lone) : AttackedByWhite(lone);
  if (check == 1) lonePart += loneIsWhite ? 20 : -30;
  int32_t free = 0;
  for (int32_t step : KingSteps) {
    const int32_t s = lone + step;
    if (SearchBoard[s] != Empty) continue;
    if ((loneIsWhite ? AttackedByBlack(s) : AttackedByWhite(s)) == 0) ++free;
  }
  int32_t corner;
  if (MatingClass == 2) {
    corner = BishopColour == 1 ? Min(Distance(lone, SqH1), Distance(lone, SqA8))
                               : Min(Distance(lone, SqA1), Distance(lone, SqH8));
  } else {
    corner = Min(Min(Distance(lone, SqA1), Distance(lone, SqH1)), Min(Distance(lone, SqA8), Distance(lone, SqH8)));
  }
  lonePart += loneIsWhite ? free + 64 * corner : -free - 64 * corner;

  if (ExplainEvaluation) {
    LastEvalTerms.MatingWhiteMen = whiteMen;
    LastEvalTerms.MatingBlackMen = blackMen;
    LastEvalTerms.MatingLoneKing = lonePart;
  }
  return whiteMen + blackMen + lonePart;
}

}  // namespace

int32_t EvalMatingEndgame() {
  return MatingClass == 1 ? QueenOrRookMate() : MinorPieceMate();
}
