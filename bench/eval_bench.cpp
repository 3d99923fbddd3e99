// Evaluation speed: full static evaluations per second (root window, so no
// lazy exit) over positions from random legal play, middlegame and endgame
// separately (thread CPU time), with the pawn cache as a search would meet it (positions in
// the order played), warm (every pawn entry already cached), and cold (the
// pawn terms computed on every call).
//
//   build/bin/obrantule-eval-bench [POSITIONS [REPEATS]]
#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "engine/engine.h"
#include "engine/eval.h"
#include "engine/perft.h"
#include "bench_help.h"
#include "engine/root.h"

namespace {

// CPU time of this thread: the machine may be shared, and wall time would
// count the time other programs run.
double ThreadSeconds() {
  timespec t;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

// Everything Evaluate reads, captured at a node and put back at the root ply.
struct Snapshot {
  Board SearchCells;
  SquareSet Sets[15];
  int32_t WhiteKing, BlackKing, Side;
  int32_t Pieces[2], Pawns[2];
  KeyPair PawnKey;
  int32_t PieceSum, Balance;
  int32_t Castled[2];
  uint8_t Moves[128];
  int32_t FilePawns[10][2];
};

SquareSet* const SetAddress[15] = {&WhitePawns,  &WhiteKnights,  &WhiteBishops, &WhiteRooks, &WhiteQueens,
                                   &WhiteKing,   &BlackPawns,    &BlackKnights, &BlackBishops, &BlackRooks,
                                   &BlackQueens, &BlackKing,     &WhiteOccupied, &BlackOccupied, &AllOccupied};

Snapshot Take() {
  Snapshot s;
  std::memcpy(s.SearchCells, SearchBoard, sizeof(Board));
  for (int i = 0; i < 15; ++i) s.Sets[i] = *SetAddress[i];
  s.WhiteKing = WhiteKingSquare;
  s.BlackKing = BlackKingSquare;
  s.Side = SideToMove;
  s.Pieces[0] = PieceCount[0];
  s.Pieces[1] = PieceCount[1];
  s.Pawns[0] = PawnCount[0];
  s.Pawns[1] = PawnCount[1];
  s.PawnKey = PawnKingKey;
  s.PieceSum = PieceMaterial[Ply];
  s.Balance = MaterialBalance[Ply];
  s.Castled[0] = CastledFlags[Ply][0];
  s.Castled[1] = CastledFlags[Ply][1];
  std::memcpy(s.Moves, MoveCount, sizeof s.Moves);
  std::memcpy(s.FilePawns, FilePawnCount, sizeof s.FilePawns);
  return s;
}

inline void Restore(const Snapshot& s) {
  std::memcpy(SearchBoard, s.SearchCells, sizeof(Board));
  for (int i = 0; i < 15; ++i) *SetAddress[i] = s.Sets[i];
  WhiteKingSquare = s.WhiteKing;
  BlackKingSquare = s.BlackKing;
  SideToMove = s.Side;
  PieceCount[0] = s.Pieces[0];
  PieceCount[1] = s.Pieces[1];
  PawnCount[0] = s.Pawns[0];
  PawnCount[1] = s.Pawns[1];
  PawnKingKey = s.PawnKey;
  Ply = 0;
  PieceMaterial[0] = s.PieceSum;
  MaterialBalance[0] = s.Balance;
  CastledFlags[0][0] = s.Castled[0];
  CastledFlags[0][1] = s.Castled[1];
  std::memcpy(MoveCount, s.Moves, sizeof s.Moves);
  std::memcpy(FilePawnCount, s.FilePawns, sizeof s.FilePawns);
}

// Random games from the start position; every position reached is kept in
// the middlegame or endgame list by its piece material (as the root would
// classify it; bare mating endgames are left out). The game is re-rooted
// every 40 plies so that the per-ply stacks never run out.
void Collect(size_t wanted, std::vector<Snapshot>& middlegame, std::vector<Snapshot>& endgame) {
  std::mt19937 rng(20261208);
  while (middlegame.size() < wanted || endgame.size() < wanted) {
    SetUpStart();
    InstallGamePosition();
    for (int32_t played = 0; played < 400; ++played) {
      if (Ply == 40) {
        // Re-root: the current position becomes the game position.
        const int32_t castled[2] = {CastledFlags[Ply][0], CastledFlags[Ply][1]};
        const int32_t side = SideToMove;
        std::memcpy(GameBoard, SearchBoard, sizeof(Board));
        SideToMove = side;
        InstallGamePosition();
        CastledFlags[0][0] = castled[0];
        CastledFlags[0][1] = castled[1];
        for (int32_t p = 1; p < PlyLimit; ++p) {
          CastledFlags[p][0] = castled[0];
          CastledFlags[p][1] = castled[1];
        }
      }
      ClassifyMatingEndgame();
      if (MatingClass == 0) {
        std::vector<Snapshot>& list = PieceMaterial[Ply] > 2700 ? middlegame : endgame;
        if (list.size() < wanted) list.push_back(Take());
      }
      const int32_t start = MoveListTop;
      ListStart[Ply] = start;
      GenerateMoves();
      const int32_t n = GeneratedCount;
      MoveListTop = start + n;
      ListStart[Ply + 1] = MoveListTop;
      int32_t chosen = -1;
      const int32_t first = n > 0 ? static_cast<int32_t>(rng() % static_cast<uint32_t>(n)) : 0;
      for (int32_t k = 0; k < n && chosen < 0; ++k) {
        const int32_t m = start + (first + k) % n;
        MakeMove(m);
        if (!MoverKingAttacked()) {
          chosen = m;
        } else {
          UnmakeMove(m);
        }
      }
      if (chosen < 0) break;  // mate or stalemate
    }
  }
}

void ClearPawnCache() {
  for (uint32_t i = 0; i <= PawnCacheMask; ++i) PawnCache[i].Tag = 0;
}

struct Run {
  double Seconds;
  int64_t Hits;
};

// One pass over the positions; mode 0: cache as it is, 1: every pawn entry
// forgotten before its evaluation, 2: restore only (the overhead to subtract).
Run Pass(const std::vector<Snapshot>& positions, int32_t phase, int mode, int64_t& checksum) {
  GamePhase = phase;
  MatingClass = 0;
  int64_t hits = 0;
  const double started = ThreadSeconds();
  for (const Snapshot& s : positions) {
    Restore(s);
    if (mode == 2) {
      checksum += SearchBoard[s.WhiteKing];
      continue;
    }
    if (mode == 1) PawnCache[(PawnKingKey.Index ^ SideKeyOf(SideToMove)) & PawnCacheMask].Tag = 0;
    checksum += Evaluate(-32000, 32000);
    hits += ExplainEvaluation ? LastEvalTerms.PawnCacheHit : 0;
  }
  const double seconds = ThreadSeconds() - started;
  return Run{seconds, hits};
}

void Report(const char* name, const std::vector<Snapshot>& positions, int32_t phase, int repeats) {
  int64_t checksum = 0;
  double overhead = 1e30, order = 1e30, warm = 1e30, cold = 1e30;
  // The hit rate in play order, counted once with the breakdown on; the
  // timed passes run without it, as the search does.
  ClearPawnCache();
  ExplainEvaluation = 1;
  const int64_t orderHits = Pass(positions, phase, 0, checksum).Hits;
  ExplainEvaluation = 0;
  for (int r = 0; r < repeats; ++r) {
    const Run o = Pass(positions, phase, 2, checksum);
    if (o.Seconds < overhead) overhead = o.Seconds;
    ClearPawnCache();
    const Run a = Pass(positions, phase, 0, checksum);
    if (a.Seconds < order) order = a.Seconds;
    const Run w = Pass(positions, phase, 0, checksum);
    if (w.Seconds < warm) warm = w.Seconds;
    const Run c = Pass(positions, phase, 1, checksum);
    if (c.Seconds < cold) cold = c.Seconds;
  }
  const double n = static_cast<double>(positions.size());
  auto rate = [&](double seconds) { return seconds > overhead ? n / (seconds - overhead) : 0.0; };
  std::printf("%s: %zu positions, pawn cache hits in play order %.1f%%\n", name, positions.size(),
              100.0 * static_cast<double>(orderHits) / n);
  std::printf("  play order   %12.0f evaluations/s\n", rate(order));
  std::printf("  cache warm   %12.0f evaluations/s\n", rate(warm));
  std::printf("  cache cold   %12.0f evaluations/s\n", rate(cold));
  std::printf("  (position restore %.1f ns each, subtracted; checksum %lld)\n", 1e9 * overhead / n,
              static_cast<long long>(checksum % 1000003));
}

}  // namespace

int main(int argc, char** argv) {
  if (AnswerHelp(argc, argv,
      "usage: obrantule-eval-bench [POSITIONS [REPEATS]]\n"
      "Static evaluations per second over POSITIONS middlegame and endgame positions each\n"
      "(default 50000), best of REPEATS (default 5).\n"))
    return 0;
  const long wanted = argc > 1 ? std::atol(argv[1]) : 50000;
  int repeats = argc > 2 ? std::atoi(argv[2]) : 5;
  if (wanted < 1 || repeats < 1) {
    std::fprintf(stderr, "usage: obrantule-eval-bench [POSITIONS [REPEATS]]\n");
    return 2;
  }
  if (ObrantuleInit(8, nullptr, "", 0) < 0) {
    std::fprintf(stderr, "obrantule-eval-bench: cannot allocate the engine's tables\n");
    return 1;
  }
  ClearTables(-100);
  std::vector<Snapshot> middlegame, endgame;
  middlegame.reserve(static_cast<size_t>(wanted));
  endgame.reserve(static_cast<size_t>(wanted));
  Collect(static_cast<size_t>(wanted), middlegame, endgame);
  Report("Middlegame (evaluator of phase 0)", middlegame, 0, repeats);
  Report("Endgame (evaluator of phase 1)", endgame, 1, repeats);
  return 0;
}
