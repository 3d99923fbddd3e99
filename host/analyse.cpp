// obrantule analyse: the analysis of one position through the whole chain,
// with readable progress and the best move at the end.
#include <signal.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "engine_link.h"
#include "game_record.h"
#include "host_main.h"
#include "output.h"
#include "search_session.h"

namespace {

volatile sig_atomic_t Interrupted = 0;

void OnInterrupt(int) { Interrupted = 1; }

std::string Pad(const std::string& text, size_t width, bool right = true) {
  if (text.size() >= width) return text;
  std::string padding(width - text.size(), ' ');
  return right ? padding + text : text + padding;
}

void PrintMainline(const MainlineReport& report) {
  uint64_t nps = report.ElapsedMs > 0 ? uint64_t(uint32_t(report.Nodes)) * 1000u / report.ElapsedMs : 0;
  char seconds[32];
  snprintf(seconds, sizeof(seconds), "%.2f", report.ElapsedMs / 1000.0);
  std::string line;
  for (const ChessMove& move : report.Line) line += " " + MoveToText(move);
  Say(Pad(std::to_string(report.Depth), 5) + Pad(HumanScore(report.Score), 8) +
      Pad(std::to_string(uint32_t(report.Nodes)), 12) + Pad(std::to_string(nps), 10) + Pad(seconds, 8) +
      (report.TablebaseHits > 0 ? "  tb " + std::to_string(report.TablebaseHits) : "") + " " + line);
}

void PrintFinished(bool has, const ChessMove& best, bool hasPonder, const ChessMove& ponder) {
  if (!has) {
    Say("No legal move: the side to move is checkmated or stalemated.");
    return;
  }
  Say("Best move: " + MoveToText(best) + (hasPonder ? " (expected reply " + MoveToText(ponder) + ")" : ""));
}

bool Number(const char* text, double low, double high, double* value) {
  char* end = nullptr;
  *value = strtod(text, &end);
  return end != text && *end == '\0' && *value >= low && *value <= high;
}

}  // namespace

int RunAnalyse(int argc, char** argv) {
  std::string fen = StartFen;
  std::vector<std::string> moveTexts;
  double depth = 0, moveTime = 0, hash = 64;
  bool infinite = false;
  for (int i = 0; i < argc; ++i) {
    std::string option = argv[i];
    bool hasValue = i + 1 < argc;
    if (option == "--fen" && hasValue) {
      fen = argv[++i];
    } else if (option == "--moves") {
      while (i + 1 < argc && strncmp(argv[i + 1], "--", 2) != 0) moveTexts.push_back(argv[++i]);
    } else if (option == "--depth" && hasValue && Number(argv[i + 1], 1, 29, &depth)) {
      ++i;
    } else if (option == "--movetime" && hasValue && Number(argv[i + 1], 0.001, 1e7, &moveTime)) {
      ++i;
    } else if (option == "--hash" && hasValue && Number(argv[i + 1], 1, 4096, &hash)) {
      ++i;
    } else if (option == "--infinite") {
      infinite = true;
    } else {
      fprintf(stderr, "analyse: bad or incomplete option %s\n", option.c_str());
      return 2;
    }
  }
  ChessPosition start, root;
  std::string error;
  if (!ParseFen(fen, &start, &error)) {
    fprintf(stderr, "analyse: bad FEN (%s): %s\n", error.c_str(), fen.c_str());
    return 2;
  }
  root = start;
  std::vector<ChessMove> moves;
  for (const std::string& text : moveTexts) {
    ChessMove move;
    if (!FindLegalMove(root, text, &move)) {
      fprintf(stderr, "analyse: illegal or unreadable move %s in %s\n", text.c_str(), PositionToFen(root).c_str());
      return 2;
    }
    PlayMove(&root, move);
    moves.push_back(move);
  }
  if (!LoadPlugin(&error)) {
    fprintf(stderr, "analyse: %s\n", error.c_str());
    return 1;
  }
  int32_t code = ConnectPlugin(int32_t(hash));
  if (code != 0) {
    fprintf(stderr, "analyse: %s\n", ConnectErrorText(code).c_str());
    return 1;
  }
  GameRecord record{};
  FillGameRecord(&record, start, fen == StartFen, moves);
  SearchLimits limits;
  if (depth == 0 && moveTime == 0 && !infinite) depth = 10;
  if (depth > 0 && depth <= 20 && moveTime == 0 && !infinite) {
    record.TimeMode = TimeModeDepth;
    record.Depth = uint16_t(depth);
  } else {
    // The engine analyses without a clock; the host ends the search.
    record.TimeMode = TimeModeInfinite;
    record.AnalyseValue = 1;
    limits.StopAfterDepth = int32_t(depth);
    limits.StopAfterMs = int32_t(moveTime * 1000);
    limits.HoldUntilStop = infinite ? 1 : 0;
  }
  Say(std::string(Plugin.Eng7()) + " analysing " + PositionToFen(root));
  if (infinite) Say("Press Ctrl-C to stop.");
  Say(Pad("depth", 5) + Pad("score", 8) + Pad("nodes", 12) + Pad("nps", 10) + Pad("seconds", 8) + "  line");
  struct sigaction action;
  memset(&action, 0, sizeof(action));
  action.sa_handler = OnInterrupt;
  sigaction(SIGINT, &action, nullptr);
  const SearchPrinter printer = {nullptr, nullptr, PrintMainline, PrintFinished};
  StartSearch(record, root, limits, printer);
  while (SearchRunning()) {
    if (Interrupted) {
      Interrupted = 0;
      StopSearch();
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  WaitForSearch();
  signal(SIGINT, SIG_DFL);
  DisconnectPlugin();
  return 0;
}
