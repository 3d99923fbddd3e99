// The root driver: installs the game position, prepares the per-search
// state, orders the root moves and runs iterative deepening with aspiration
// and null windows, bounded re-searches and the time controls.

#include "root.h"

#include <cstring>

#include "api.h"
#include "board.h"
#include "clock.h"
#include "eval.h"
#include "hashtable.h"
#include "makemove.h"
#include "movegen.h"
#include "movelist.h"
#include "movetext.h"
#include "report.h"
#include "search.h"
#include "searchstate.h"

int32_t IterationDepth;
int32_t ClockDepth;
int32_t DepthCap;
int32_t PonderSeconds;
int32_t NodePollCountdown;
int32_t BestScore;
int32_t FailLowFlag;
int32_t BestChangeFlag;
int32_t QueensAtRoot;
int32_t RootReSearch;
int32_t PreviousPhase;
int32_t FollowPV;
MovePair FollowLine[PlyLimit];
MoveEntry PVTable[PlyLimit][PVRowLength];

namespace {

// At most this many entries of the next row are copied by UpdatePV.
constexpr int32_t PVCopyLimit = 44;

struct DepthSchedule {
  uint32_t MinBudget;  // first budget (seconds) of the row
  int32_t Clock;
  int32_t Cap;
};

// Larger budgets look at the clock later and may search deeper.
const DepthSchedule Schedule[] = {
    {300, 8, 25}, {60, 7, 21}, {4, 6, 18}, {2, 5, 18}, {1, 4, 15}, {0, 3, 12},
};

void SetDepthSchedule() {
  for (const DepthSchedule& row : Schedule) {
    if (MoveTimeBudget >= row.MinBudget) {
      ClockDepth = row.Clock;
      DepthCap = row.Cap;
      return;
    }
  }
}

// Between iterations: has the clock run out for another one?
bool ClockSaysStop() {
  const int32_t ms = MeasureClock(MoveClock);
  const int32_t secs = ms / 1000;
  if (MoveTimeBudget == 0 && ms > 200) return true;
  if (MoveTimeBudget <= 1 && ms > 500) return true;
  if (double(secs) > double(MoveTimeBudget) * 0.5555555555555556) return true;
  const int32_t spent = int32_t(double(PonderSeconds) * 0.7 + double(secs));
  return double(spent) > double(MoveTimeBudget) * 0.7692307692307692;
}

// No iteration goes deeper than this.
constexpr int32_t MaxIterationDepth = 29;
// Iteration d extends no node beyond ply d + ExtensionHeadroom.
constexpr int32_t ExtensionHeadroom = 9;

bool StopBeforeIteration(int32_t d) {
  if (d > DepthCap && AnalyseMode == 0) return true;
  if (d > MaxIterationDepth) return true;
  if (FixedDepth != 0) return d > FixedDepth;
  if (d >= ClockDepth && AnalyseMode == 0) return ClockSaysStop();
  return false;
}

// Searches root move i (already made) with the window (alpha, beta) seen from the root.
inline int32_t SearchRootMove(int32_t alpha, int32_t beta, int32_t d) {
  ThreatExtensions[0] = 0;
  return -Search(-beta, -alpha, d - 1, 0);
}

inline int32_t WideWindowTop(int32_t v) { return v > WideWindowMateScore ? InfiniteScore : v + WideWindowWidth; }

// The window of the current iteration, seen from the root, and the score
// RunRoot answers when the iterations end.
int32_t RootAlpha;
int32_t RootBeta;
int32_t RootResult;

// Set-up: clocks, killers and the game position for a new search. A change of
// game phase since the last search empties the tables.
void PrepareSearch(int32_t mode) {
  AnalyseMode = mode;
  StartClock(AnalysisClock);
  if (mode == 0) StartClock(MoveClock);
  NodePollCountdown = 100;
  IterationDepth = 0;
  for (int32_t p = 0; p < PlyLimit; ++p) Killers[p][0] = Killers[p][1] = MovePair{0, 0};
  PonderSeconds = 0;

  InstallGamePosition();
  NodeCount = 0;
  if (PreviousPhase != 0 && PreviousPhase != GamePhase) ClearTables(-100);
  PreviousPhase = GamePhase;
}

// The root moves, generated and sorted by their ordering scores: answers
// their count.
int32_t GenerateRootMoves() {
  ListStart[0] = 0;
  MoveListTop = 0;
  RootReSearch = 0;
  GenerateMoves();
  MoveListTop = GeneratedCount;
  SortRootMoves(GeneratedCount);
  ListStart[1] = GeneratedCount;
  return GeneratedCount;
}

// Aspiration: from the second iteration on, the window is centred on the
// score the last one settled.
void OpenIteration(int32_t d) {
  if (d > 1) {
    RootBeta = RootAlpha + AspirationHalfWidth;
    RootAlpha = RootAlpha - AspirationHalfWidth;
  }
  ExtensionCeiling = ExtensionHeadroom + d;
  FailLowFlag = 0;
}

// Reporting and state before root move i: the host is told the depth and the
// move; the first move follows the previous principal variation.
void BeginRootMove(int32_t i, int32_t d, int32_t n) {
  CallShowDepth(d, 0);
  MoveText(i);
  CallShowMove(CurrentMoveText, i + 1, n);
  BestChangeFlag = 0;
  if (i == 0) {
    LoadFollowLine();
    FollowPV = 1;
  } else {
    FollowPV = 0;
  }
  NullMoveDepth = 0;
  PVTable[0][0].From = 0;
}

// Fail low: the expected best move scored v at or below the window; it is
// searched again with the window open downwards, then (unless that found a
// mate) fully open. Answers the score, or -AbortScore when stopped.
int32_t ReSearchFailLow(int32_t v, int32_t d, int32_t n) {
  CallShowMove(EmptyMoveText, 1, n);
  FailLowFlag = 1;
  BestChangeFlag = 1;
  RootReSearch = 1;
  int32_t bound = v;
  for (int32_t pass = 0; pass < 2; ++pass) {
    MakeMove(0);
    FollowPV = 1;
    LoadFollowLine();
    v = SearchRootMove(-InfiniteScore, bound, d);
    UnmakeMove(0);
    if (v == -AbortScore) return v;
    if (v < bound || v >= FoundMateScore) break;
    bound = InfiniteScore;
  }
  return v;
}

// Fail high: root move i beat the window at v; it is searched again above v,
// in a wide window first, then open upwards. Answers the score (-AbortScore
// when stopped) and in top the upper edge of the last window.
int32_t ReSearchAbove(int32_t i, int32_t v, int32_t d, int32_t& top) {
  top = WideWindowTop(v);
  for (;;) {
    FollowPV = 1;
    LoadFollowLine();
    MakeMove(i);
    const int32_t w = SearchRootMove(v, top, d);
    UnmakeMove(i);
    if (w == -AbortScore || w < top || top == InfiniteScore) return w;
    top = InfiniteScore;
  }
}

// The first root move scored v: re-searched when outside the window, then it
// sets the window for the others and is reported. False when stopped.
bool SettleFirstMove(int32_t v, int32_t d, int32_t n) {
  if (v <= RootAlpha) {
    v = ReSearchFailLow(v, d, n);
  } else if (v >= RootBeta) {
    CallShowMove(CurrentMoveText, 1, n);
    RootReSearch = 1;
    int32_t top;
    v = ReSearchAbove(0, v, d, top);
  }
  if (v == -AbortScore) return false;
  // A slightly raised window: a later move must beat the first clearly.
  if (v > -MateThreatScore && v < MateThreatScore) {
    RootAlpha = v + 2;
    RootBeta = v + 3;
  } else {
    RootAlpha = v;
    RootBeta = v + 1;
  }
  MoveList[0].Score = int16_t(RootAlpha);
  UpdatePV(0);
  BestScore = RootAlpha;
  RootResult = RootAlpha;
  ReportPV();
  return true;
}

// A later root move i beat the window at v: re-searched above v; when it is
// still better than the old best it becomes the best, moves to the front and
// is reported. False when stopped.
bool SettleNewBest(int32_t i, int32_t v, int32_t d, int32_t n) {
  CallShowMove(CurrentMoveText, i + 1, n);
  BestChangeFlag = 1;
  const int32_t old = RootAlpha;
  RootAlpha = v;
  int32_t top;
  const int32_t w = ReSearchAbove(i, v, d, top);
  if (w == -AbortScore) return false;
  RootBeta = top;
  if (w > old) {
    BestChangeFlag = 1;
    RootAlpha = w;
    RootBeta = w + 1;
    MoveList[i].Score = int16_t(w);
    BestScore = w;
    RootResult = w;
    UpdatePV(i);
    MoveToFront(i);
  }
  ReportPV();
  return true;
}

// The move loop of iteration d over the n root moves. False when stopped.
bool SearchRootMoves(int32_t d, int32_t n) {
  for (int32_t i = 0; i < n; ++i) {
    BeginRootMove(i, d, n);
    MakeMove(i);
    RootReSearch = 0;
    const int32_t v = SearchRootMove(RootAlpha, RootBeta, d);
    UnmakeMove(i);
    if (v == -AbortScore) return false;
    if (i == 0) {
      if (!SettleFirstMove(v, d, n)) return false;
    } else if (v > RootAlpha) {
      if (!SettleNewBest(i, v, d, n)) return false;
    }
  }
  return true;
}

}  // namespace

void InstallGamePosition() {
  for (int32_t p = 1; p < PlyLimit; ++p) {
    CastledFlags[p][WhiteIndex] = CastledFlags[0][WhiteIndex];
    CastledFlags[p][BlackIndex] = CastledFlags[0][BlackIndex];
  }
  std::memcpy(SearchBoard, GameBoard, sizeof(Board));
  RecomputeSets();
  Ply = 0;
  RepetitionCount = GameMoveCount;
  RecomputeKeys();
  BothSidesHavePieces = 0;
  RecountMaterial();
  CountFilePawns();
  ClassifyMatingEndgame();
  ClassifyGamePhase();
  PlyHashKey[0] = HashKey;
  PlyPawnKingKey[0] = PawnKingKey;
  PlyMove[0] = NullMove;
  ListStart[0] = 0;
  MoveListTop = 0;
}

int32_t RunRoot(int32_t mode) {
  PrepareSearch(mode);
  int32_t score = RootCheckProbe();
  if (score == 0) score = Evaluate(-InfiniteScore, InfiniteScore);
  const int32_t n = GenerateRootMoves();
  SetDepthSchedule();
  QueensAtRoot = IsEmpty(WhiteQueens) && IsEmpty(BlackQueens) ? 0 : 1;

  BestScore = score;
  RootResult = score;
  PVTable[0][0].From = 0;
  TableAge = uint8_t(GameMoveCount < 255 ? GameMoveCount : 255);

  // Iterative deepening until the depth, the clock or a stop ends it.
  RootAlpha = -InfiniteScore;
  RootBeta = InfiniteScore;
  for (int32_t d = 1;; ++d) {
    IterationDepth = d;
    if (StopBeforeIteration(d)) {
      ReportPV();
      return RootResult;
    }
    OpenIteration(d);
    if (n != 0 && !SearchRootMoves(d, n)) return -1;
  }
}

void ResetRootState() { PVTable[0][0].From = 0; }

void UpdatePV(int32_t m) {
  MoveEntry* row = PVTable[Ply];
  const MoveEntry* next = PVTable[Ply + 1];
  row[0] = MoveList[m];
  for (int32_t j = 0; j < PVCopyLimit; ++j) {
    row[j + 1] = next[j];
    if (next[j].From == 0) break;
  }
}

void LoadFollowLine() {
  int32_t p = 0;
  for (; p < PlyLimit; ++p) {
    const MoveEntry& e = PVTable[0][p];
    FollowLine[p] = MovePair{e.From, e.To};
    if (e.From == 0 || e.To == 0) {
      ++p;
      break;
    }
  }
  for (; p < PlyLimit; ++p) FollowLine[p] = MovePair{255, 255};
}

void SortRootMoves(int32_t n) {
  for (int32_t i = 0; i + 1 < n; ++i) {
    for (int32_t j = i + 1; j < n; ++j) {
      if (MoveList[i].Score < MoveList[j].Score) {
        MoveList[SwapSlot] = MoveList[i];
        MoveList[i] = MoveList[j];
        MoveList[j] = MoveList[SwapSlot];
      }
    }
  }
}

void MoveToFront(int32_t i) {
  const MoveEntry saved = MoveList[i];
  for (int32_t k = i; k > 0; --k) MoveList[k] = MoveList[k - 1];
  MoveList[0] = saved;
}

int32_t PonderHit() {
  PonderSeconds = MeasureClock(AnalysisClock) / 1000;
  StartClock(MoveClock);
  PonderOffFlag.store(0, std::memory_order_relaxed);
  if (IterationDepth >= DepthCap) return AbortScore;
  if (double(PonderSeconds) > double(MoveTimeBudget) * 1.5) return AbortScore;
  return 0;
}

int32_t NodePoll() {
  if (PonderOffFlag.load(std::memory_order_relaxed) == 1) {
    if (PonderHit() != 0) return AbortScore;
    NodePollCountdown = 1000;
  }
  if (--NodePollCountdown > 0) return 0;
  if (AnalyseMode != 0) {
    // Pondering and analysis are not limited by the clock.
    NodePollCountdown = 50000;
    return 0;
  }
  NodePollCountdown = 6000;
  const int32_t secs = MeasureClock(MoveClock) / 1000;
  if (secs >= HardTimeLimit) return AbortScore;
  if (uint32_t(secs) > 2 * MoveTimeBudget && BestChangeFlag == 0 && FailLowFlag == 0) return AbortScore;
  if (uint32_t(secs) > 4 * MoveTimeBudget) return AbortScore;
  return 0;
}
