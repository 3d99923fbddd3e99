#include "search_session.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "engine_link.h"
#include "output.h"

namespace {

typedef std::chrono::steady_clock Clock;

std::mutex Lock;
std::condition_variable Changed;
std::thread Worker;
std::thread Watcher;
bool Running = false;         // from StartSearch until the move is delivered
bool EngineDone = false;      // Eng9 has returned
bool StopReceived = false;
bool PonderHitReceived = false;
Clock::time_point Start;
Clock::time_point HitTime;
std::atomic<int32_t> StopIssued{0};

GameRecord Record;
ChessPosition Root;
SearchLimits Limits;
SearchPrinter Printer;
MainlineReport LastMainline;
bool HaveMainline = false;
int32_t LastDepth = 0;
uint32_t LastRawNodes = 0;   // the engine's last reported count
uint64_t TotalNodes = 0;     // the same, without wrapping

uint32_t MillisecondsSince(Clock::time_point t) {
  return uint32_t(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t).count());
}

void IssueStop() {
  StopIssued.store(1, std::memory_order_relaxed);
  Plugin.Eng3();
}

// Whether an iteration that begins now would overrun the move's plan.
bool PastSoftLimit() {
  if (!HaveMainline) return false;
  if (Limits.Pondering) {
    std::lock_guard<std::mutex> guard(Lock);
    return PonderHitReceived && Limits.PonderHitSoftMs > 0 &&
           MillisecondsSince(HitTime) >= uint32_t(Limits.PonderHitSoftMs);
  }
  return Limits.SoftStopMs > 0 && MillisecondsSince(Start) >= uint32_t(Limits.SoftStopMs);
}

// Func3 posts during the search, on the search thread.
void OnPost(int32_t message, void* record) {
  uint32_t raw = uint32_t(HostStats.Nodes);
  TotalNodes += uint32_t(raw - LastRawNodes);
  LastRawNodes = raw;
  if (message == MessageDepth) {
    const AnalysisRecord* analysis = static_cast<const AnalysisRecord*>(record);
    int32_t depth = analysis->Depth;
    if (Limits.StopAfterDepth > 0 && depth > Limits.StopAfterDepth) {
      IssueStop();
      return;
    }
    if (depth != LastDepth) {
      LastDepth = depth;
      if (PastSoftLimit()) {
        IssueStop();
        return;
      }
      if (Printer.Depth != nullptr) Printer.Depth(depth, MillisecondsSince(Start));
    }
  } else if (message == MessageCurrentMove) {
    const AnalysisRecord* analysis = static_cast<const AnalysisRecord*>(record);
    if (Printer.CurrentMove != nullptr && analysis->CurrentMove != 0)
      Printer.CurrentMove(analysis->Depth, CodeToMove(analysis->CurrentMove), analysis->MoveNumber,
                          analysis->MoveTotal);
  } else if (message == MessageMainline) {
    const AnalysisRecord* analysis = static_cast<const AnalysisRecord*>(record);
    MainlineReport report;
    report.Depth = analysis->Depth;
    report.Score = analysis->Score;
    report.Nodes = TotalNodes;
    report.TablebaseHits = HostStats.TablebaseHits;
    report.ElapsedMs = MillisecondsSince(Start);
    // Keep the line only as far as it is legal from the root.
    ChessPosition position = Root;
    for (int32_t i = 0; i < analysis->MainlineLength && i < MainlineCapacity; ++i) {
      ChessMove move;
      if (!FindLegalMove(position, MoveToText(CodeToMove(analysis->Mainline[i])), &move)) break;
      report.Line.push_back(move);
      PlayMove(&position, move);
    }
    if (!report.Line.empty()) {
      LastMainline = report;
      HaveMainline = true;
      if (Printer.Mainline != nullptr) Printer.Mainline(report);
      int32_t mateMoves = 0;
      if (Limits.StopAtMateIn > 0 && MateInMoves(report.Score, &mateMoves) && mateMoves > 0 &&
          mateMoves <= Limits.StopAtMateIn)
        IssueStop();
    }
  }
  if (Limits.StopAfterNodes > 0 && TotalNodes >= uint64_t(Limits.StopAfterNodes)) IssueStop();
}

// The engine ends some searches only when told; the host keeps the clock.
void WatchClock() {
  std::unique_lock<std::mutex> guard(Lock);
  while (!EngineDone) {
    Changed.wait_for(guard, std::chrono::milliseconds(2));
    if (EngineDone) continue;
    if (StopIssued.load(std::memory_order_relaxed) != 0) {
      // A stop that came before Eng9 took up its work is cleared by it;
      // repeating the stop until the engine is done closes that gap.
      Plugin.Eng3();
      continue;
    }
    bool stop = false;
    if (Limits.StopAfterMs > 0 && MillisecondsSince(Start) >= uint32_t(Limits.StopAfterMs)) stop = true;
    if (Limits.Pondering && PonderHitReceived && Limits.PonderHitBudgetMs > 0 &&
        MillisecondsSince(HitTime) >= uint32_t(Limits.PonderHitBudgetMs))
      stop = true;
    if (stop) IssueStop();
  }
}

void RunSearch() {
  SetPostSink(OnPost);
  GameRecord record = Record;
  Plugin.Eng9(&record);
  {
    std::unique_lock<std::mutex> guard(Lock);
    EngineDone = true;
    Changed.notify_all();
    // An infinite search or an unanswered ponder keeps its move until the
    // host is told to stop (or the ponder move is played).
    Changed.wait(guard, [] {
      return StopReceived || (!Limits.HoldUntilStop && !(Limits.Pondering && !PonderHitReceived));
    });
  }
  if (!HaveMainline) {
    // No line came (a stop before the first report): ask again at depth 1.
    GameRecord again = Record;
    again.TimeMode = TimeModeDepth;
    again.Depth = 1;
    again.AnalyseValue = 0;
    Plugin.Eng9(&again);
  }
  SetPostSink(nullptr);
  bool has = false, hasPonder = false;
  ChessMove best{}, ponder{};
  if (HaveMainline) {
    best = LastMainline.Line[0];
    has = true;
    if (LastMainline.Line.size() > 1) {
      ponder = LastMainline.Line[1];
      hasPonder = true;
    }
  } else {
    std::vector<ChessMove> legal = LegalMoves(Root);
    if (!legal.empty()) {
      best = legal[0];
      has = true;
    }
  }
  {
    // Free for the next search before the move goes out: a GUI answers the
    // move at once. A new search first joins this thread.
    std::lock_guard<std::mutex> guard(Lock);
    Running = false;
    Changed.notify_all();
  }
  if (Printer.Finished != nullptr) Printer.Finished(has, best, hasPonder, ponder);
}

void JoinThreads() {
  if (Worker.joinable()) Worker.join();
  if (Watcher.joinable()) Watcher.join();
}

}  // namespace

bool StartSearch(const GameRecord& record, const ChessPosition& root, const SearchLimits& limits,
                 const SearchPrinter& printer) {
  {
    std::lock_guard<std::mutex> guard(Lock);
    if (Running) return false;
  }
  JoinThreads();
  Record = record;
  Root = root;
  Limits = limits;
  Printer = printer;
  HaveMainline = false;
  LastDepth = 0;
  // The node count of an earlier search must not end this one.
  HostStats.Nodes = 0;
  LastRawNodes = 0;
  TotalNodes = 0;
  StopIssued.store(0, std::memory_order_relaxed);
  Running = true;
  EngineDone = false;
  StopReceived = false;
  PonderHitReceived = false;
  Start = Clock::now();
  Worker = std::thread(RunSearch);
  Watcher = std::thread(WatchClock);
  return true;
}

void StopSearch() {
  std::lock_guard<std::mutex> guard(Lock);
  if (!Running) return;
  StopReceived = true;
  if (!EngineDone) IssueStop();
  Changed.notify_all();
}

void PonderHit() {
  std::lock_guard<std::mutex> guard(Lock);
  if (!Running || !Limits.Pondering || PonderHitReceived) return;
  PonderHitReceived = true;
  HitTime = Clock::now();
  if (!EngineDone) Plugin.Eng10();
  Changed.notify_all();
}

bool SearchRunning() {
  std::lock_guard<std::mutex> guard(Lock);
  return Running;
}

void WaitForSearch() {
  {
    std::unique_lock<std::mutex> guard(Lock);
    Changed.wait(guard, [] { return !Running; });
  }
  // The move has been printed once the worker is joined.
  JoinThreads();
}

uint32_t SearchElapsedMs() { return MillisecondsSince(Start); }
