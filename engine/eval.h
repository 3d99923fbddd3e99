// The static evaluation: entry with its lazy material exit and the
// insufficient-material rule, pawn structure with its cache, the middlegame
// and endgame evaluators, the endgame pawn terms with the pawn race, and the
// basic mating endgames.
#pragma once

#include <cstdint>

#include "types.h"

// 0 middlegame, 1 endgame, 2 mating endgame; fixed for a whole search.
extern int32_t GamePhase;

// Copy of PieceMaterial[ply] for the evaluators (0 means kings and pawns only).
extern int32_t CurrentPieceMaterial;
// Positional terms of the running evaluation, white's view.
extern int32_t PositionalScore;

// Results of the pawn terms, rebuilt on a pawn cache miss or restored on a hit.
extern int32_t PawnScore;
extern SquareSet WhitePassed, BlackPassed;
extern SquareSet WhiteWeak, BlackWeak;

// Mating endgame of the root position (set before each search).
extern int32_t MatingClass;   // 0 none, 1 K+Q or K+R, 2 K+B+N, 3 K+B+B against a lone king
extern int32_t StrongSide;    // +1 white has the mating material, -1 black
extern int32_t BishopColour;  // +1 light-squared, -1 dark-squared single bishop

// Root preparation, called by the root driver before a search.
void ClassifyMatingEndgame();
void ClassifyGamePhase();
int32_t RootCheckProbe();

// Score of the position on SearchBoard for the side to move.
int32_t Evaluate(int32_t alpha, int32_t beta);

// Positional evaluators, white's view.
int32_t EvalMiddlegame();
int32_t EvalEndgame();
int32_t EvalMatingEndgame();

// Pawn terms (run on a pawn cache miss).
void EvalPawnsWhite();
void EvalPawnsBlack();
void EvalEndgamePawnsWhite();
void EvalEndgamePawnsBlack();
int32_t WeakPawnsNearKingWhite();
int32_t WeakPawnsNearKingBlack();
int32_t PawnRace();
int32_t PassedPawnExtrasWhite();
int32_t PassedPawnExtrasBlack();

// Test switch: 0 makes Evaluate skip its lazy material exit. Only read when
// the exit would be taken, so the search pays nothing for it.
extern int32_t LazyExitEnabled;

// What the last evaluation was made of, for the developer tool and tests.
// Every term is from white's view (black's good is negative). Filled only
// while ExplainEvaluation is 1, so the search (which leaves it 0) pays a
// single test per evaluation. Each part writes its own fields when it runs
// (pawn parts only when computed, not on a cache hit); callers that want a
// clean record clear it before evaluating.
extern int32_t ExplainEvaluation;
struct EvalTerms {
  int32_t Path;           // see EvalPath
  int32_t Material;       // M, side to move's view
  int32_t PieceMaterial;  // T
  int32_t Positional;     // P returned by the evaluator
  int32_t BeforeCorrection;  // side to move's score before the insufficient-material rule
  int32_t WhiteInsufficient, BlackInsufficient;

  int32_t PawnCacheHit;   // 1 when the pawn terms came from the cache
  int32_t PawnScore;      // pawn-structure score as used (white's view)
  // Pawn-structure parts, known only when computed (cache miss).
  int32_t PawnKingWhite, PawnKingBlack;        // king placement (middlegame: penalty; endgame: bonus)
  int32_t ShelterWhite, ShelterBlack;          // pawns in front of the king (middlegame)
  int32_t PawnsWhite, PawnsBlack;              // per-pawn terms
  int32_t WeakNearKingWhite, WeakNearKingBlack;  // endgame, no passed pawns
  int32_t Race;                                // endgame, kings and pawns only

  int32_t KingWhite, KingBlack;        // castling and file cover (middlegame)
  int32_t KnightsWhite, KnightsBlack;
  int32_t BishopsWhite, BishopsBlack;  // including the bishop pair
  int32_t RooksWhite, RooksBlack;      // including the seventh-rank bonus
  int32_t QueensWhite, QueensBlack;
  int32_t PassedWhite, PassedBlack;    // endgame passed-pawn extras

  // Mating endgame parts.
  int32_t MatingWhiteMen, MatingBlackMen, MatingLoneKing;
};

enum : int32_t {
  EvalPathLazy = 1,        // lazy exit: material only
  EvalPathDeadDraw = 2,    // both sides without mating material
  EvalPathMiddlegame = 3,
  EvalPathEndgame = 4,
  EvalPathMating = 5,
};

extern EvalTerms LastEvalTerms;
