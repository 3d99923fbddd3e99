// obrantule-dev search: drives the engine through its exported functions only,
// as the host adapter does, and prints every report the engine makes.

#include <atomic>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include <time.h>

#include "command.h"
#include "engine/api.h"
#include "engine/board.h"
#include "engine/playable.h"
#include "engine/search.h"

namespace {

std::string LastMainline;

int32_t OBRANTULE_CALL PrintNodes(int32_t nodes, int32_t second) {
  std::printf("ShowNodes %d %d\n", nodes, second);
  return 0;
}
int32_t OBRANTULE_CALL PrintDepth(int32_t depth, int32_t second) {
  std::printf("ShowDepth %d %d\n", depth, second);
  return 0;
}
int32_t OBRANTULE_CALL PrintMove(const char* move, int32_t place, int32_t count) {
  std::printf("ShowMove \"%s\" %d %d\n", move, place, count);
  return 0;
}
int32_t OBRANTULE_CALL PrintMainline(const char* line, int32_t score) {
  std::printf("ShowMainline \"%s\" %d\n", line, score);
  LastMainline = line;
  return 0;
}
int32_t OBRANTULE_CALL IgnoreText(const char*) { return 0; }

double ProcessCpuSeconds() {
  timespec t;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

int Usage() {
  std::fprintf(stderr,
               "usage: obrantule-dev search [--hash MB] [--depth N | --blitz SECONDS INCREMENT |\n"
               "                            --time MOVES SECONDS | --infinite MILLISECONDS]\n"
               "                            [FEN [MOVE...]]\n"
               "  --depth N          search iterations 1..N (the default, N = 6)\n"
               "  --blitz S I        S seconds left on the clock, I seconds increment per move\n"
               "  --time M S         M moves to make in S seconds\n"
               "  --infinite MS      analyse without limit, stopped from another thread after MS ms\n"
               "  FEN                position text (one argument, or its fields as separate arguments),\n"
               "                     or startpos; without it the search starts from the initial position\n"
               "  MOVE               game moves in coordinate text (e2e4, e7e8Q), entered in order\n");
  return 2;
}

bool ReadInt(const char* text, int32_t* value) {
  char* end = nullptr;
  const long v = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || v < -2000000000L || v > 2000000000L) return false;
  *value = int32_t(v);
  return true;
}

}  // namespace

int SearchCommand(int argc, char** argv) {
  enum { Depth, Blitz, Time, Infinite } control = Depth;
  int32_t depth = 6, first = 0, second = 0, hashMB = 32;
  int i = 0;
  for (; i < argc && std::strncmp(argv[i], "--", 2) == 0; ++i) {
    const std::string option = argv[i];
    if (option == "--depth" && i + 1 < argc) {
      if (!ReadInt(argv[++i], &depth) || depth < 1 || depth > 29) return Usage();
      control = Depth;
    } else if (option == "--hash" && i + 1 < argc) {
      if (!ReadInt(argv[++i], &hashMB) || hashMB < 1) return Usage();
    } else if (option == "--blitz" && i + 2 < argc) {
      if (!ReadInt(argv[i + 1], &first) || !ReadInt(argv[i + 2], &second) || first < 0 || second < 0)
        return Usage();
      i += 2;
      control = Blitz;
    } else if (option == "--time" && i + 2 < argc) {
      if (!ReadInt(argv[i + 1], &first) || !ReadInt(argv[i + 2], &second) || first < 0 || second < 0)
        return Usage();
      i += 2;
      control = Time;
    } else if (option == "--infinite" && i + 1 < argc) {
      if (!ReadInt(argv[++i], &first) || first < 0) return Usage();
      control = Infinite;
    } else {
      return Usage();
    }
  }

  static EngineCallbacks callbacks;
  callbacks.Size = int32_t(sizeof(EngineCallbacks));
  callbacks.ShowNodes = PrintNodes;
  callbacks.ShowDepth = PrintDepth;
  callbacks.ShowMove = PrintMove;
  callbacks.ShowMainline = PrintMainline;
  callbacks.ShowText = IgnoreText;
  callbacks.TBProbeList = nullptr;
  if (ObrantuleInit(hashMB, &callbacks, "", 0) < 0) {
    std::fprintf(stderr, "obrantule-dev search: cannot allocate the tables\n");
    ObrantuleQuit();
    return 1;
  }

  if (i < argc && std::strcmp(argv[i], "startpos") != 0) {
    std::string text = argv[i++];
    if (text.find('/') == std::string::npos) {
      std::fprintf(stderr, "obrantule-dev search: \"%s\" is not a position text\n", text.c_str());
      ObrantuleQuit();
      return 2;
    }
    // Fields given as separate arguments belong to the text (side, castling,
    // en passant, clocks); moves never look like them.
    const bool separateFields = text.find(' ') == std::string::npos;
    for (int fields = 0; separateFields && fields < 5 && i < argc; ++fields) {
      const std::string field = argv[i];
      const bool looksLikeField = field == "w" || field == "b" || field == "-" ||
                                  field.find_first_not_of("KQkq") == std::string::npos ||
                                  field.find_first_not_of("0123456789") == std::string::npos ||
                                  (field.size() == 2 && field[0] >= 'a' && field[0] <= 'h' &&
                                   (field[1] == '3' || field[1] == '6'));
      if (!looksLikeField) break;
      text += ' ';
      text += field;
      ++i;
    }
    ObrantuleSetPosition(text.c_str());
    // The engine answers such a position with no report at all.
    if (PositionUnusable) {
      std::fprintf(stderr, "obrantule-dev search: \"%s\" is no playable position\n", text.c_str());
      ObrantuleQuit();
      return 1;
    }
  } else {
    if (i < argc) ++i;
    ObrantuleSetStartPosition();
  }
  for (; i < argc; ++i) {
    std::vector<char> move(argv[i], argv[i] + std::strlen(argv[i]) + 1);
    // The engine reads an upper-case promotion letter only.
    if (move.size() == 6) move[4] = char(std::toupper(static_cast<unsigned char>(move[4])));
    // The export answers 0 either way; a refused move leaves the game where it was.
    const int32_t played = GameMoveCount;
    ObrantuleEnterMove(move.data());
    if (GameMoveCount == played && played < GameKeyLimit) {
      std::fprintf(stderr, "obrantule-dev search: not a move in this position: %s\n", argv[i]);
      ObrantuleQuit();
      return 1;
    }
  }

  std::thread stopper;
  std::atomic<int> done{0};
  switch (control) {
    case Depth:
      ObrantuleSetDepth(depth);
      break;
    case Blitz:
      ObrantuleSetBlitz(first, second);
      break;
    case Time:
      ObrantuleSetTime(first, second);
      break;
    case Infinite:
      ObrantuleSetInfinite();
      stopper = std::thread([&done, first] {
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(first);
        while (done.load() == 0 && std::chrono::steady_clock::now() < until)
          std::this_thread::sleep_for(std::chrono::milliseconds(5));
        ObrantuleStopAnalyse();
      });
      break;
  }
  const double cpuBefore = ProcessCpuSeconds();
  ObrantuleAnalyse(control == Infinite ? 1 : 0);
  const double cpuSeconds = ProcessCpuSeconds() - cpuBefore;
  done.store(1);
  if (stopper.joinable()) stopper.join();

  // Every node searched (the reports carry only the count a host sees) and
  // the processor time of the search, for speed comparisons.
  std::printf("all nodes %lld cpu %.3f s\n", (long long)uint32_t(NodeCount), cpuSeconds);
  const std::string best = LastMainline.substr(0, LastMainline.find(' '));
  std::printf("bestmove %s\n", best.empty() ? "(none)" : best.c_str());
  ObrantuleQuit();
  return 0;
}

OBRANTULE_DEV_COMMAND(search, "search [--hash MB] [--depth N | --blitz S I | --time M S | --infinite MS] [FEN [MOVE...]]",
                      SearchCommand);
