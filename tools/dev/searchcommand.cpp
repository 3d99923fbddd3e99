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

// How the search is bounded, and the hash size.
struct SearchRequest {
  enum { ToDepth, Blitz, Time, Infinite } Control = ToDepth;
  int32_t Depth = 6, First = 0, Second = 0, HashMB = 32;
};

// Reads the options before the position into *request and sets *next to the
// first argument after them; -1 when they are sound, else the exit status.
int ParseSearchOptions(int argc, char** argv, SearchRequest* request, int* next) {
  int i = 0;
  for (; i < argc && std::strncmp(argv[i], "--", 2) == 0; ++i) {
    const std::string option = argv[i];
    if (option == "--depth" && i + 1 < argc) {
      if (!ReadInt(argv[++i], &request->Depth) || request->Depth < 1 || request->Depth > 29) return Usage();
      request->Control = SearchRequest::ToDepth;
    } else if (option == "--hash" && i + 1 < argc) {
      if (!ReadInt(argv[++i], &request->HashMB) || request->HashMB < 1) return Usage();
    } else if ((option == "--blitz" || option == "--time") && i + 2 < argc) {
      if (!ReadInt(argv[i + 1], &request->First) || !ReadInt(argv[i + 2], &request->Second) || request->First < 0 ||
          request->Second < 0)
        return Usage();
      i += 2;
      request->Control = option == "--blitz" ? SearchRequest::Blitz : SearchRequest::Time;
    } else if (option == "--infinite" && i + 1 < argc) {
      if (!ReadInt(argv[++i], &request->First) || request->First < 0) return Usage();
      request->Control = SearchRequest::Infinite;
    } else {
      return Usage();
    }
  }
  *next = i;
  return -1;
}

// Initialises the engine with the printing callbacks; false when its tables
// cannot be had.
bool StartEngine(int32_t hashMB) {
  static EngineCallbacks callbacks;
  callbacks.Size = int32_t(sizeof(EngineCallbacks));
  callbacks.ShowNodes = PrintNodes;
  callbacks.ShowDepth = PrintDepth;
  callbacks.ShowMove = PrintMove;
  callbacks.ShowMainline = PrintMainline;
  callbacks.ShowText = IgnoreText;
  callbacks.TBProbeList = nullptr;
  if (ObrantuleInit(hashMB, &callbacks, "", 0) >= 0) return true;
  std::fprintf(stderr, "obrantule-dev search: cannot allocate the tables\n");
  return false;
}

// Sets the position from argv[*i] on (a position text, "startpos" or
// nothing) and advances *i past it; -1 when it is playable, else the exit
// status.
int SetUpPosition(int argc, char** argv, int* i) {
  if (*i >= argc || std::strcmp(argv[*i], "startpos") == 0) {
    if (*i < argc) ++*i;
    ObrantuleSetStartPosition();
    return -1;
  }
  std::string text = argv[(*i)++];
  if (text.find('/') == std::string::npos) {
    std::fprintf(stderr, "obrantule-dev search: \"%s\" is not a position text\n", text.c_str());
    return 2;
  }
  // Fields given as separate arguments belong to the text (side, castling,
  // en passant, clocks); moves never look like them.
  const bool separateFields = text.find(' ') == std::string::npos;
  for (int fields = 0; separateFields && fields < 5 && *i < argc; ++fields) {
    const std::string field = argv[*i];
    const bool looksLikeField = field == "w" || field == "b" || field == "-" ||
                                field.find_first_not_of("KQkq") == std::string::npos ||
                                field.find_first_not_of("0123456789") == std::string::npos ||
                                (field.size() == 2 && field[0] >= 'a' && field[0] <= 'h' &&
                                 (field[1] == '3' || field[1] == '6'));
    if (!looksLikeField) break;
    text += ' ';
    text += field;
    ++*i;
  }
  ObrantuleSetPosition(text.c_str());
  // The engine answers such a position with no report at all.
  if (PositionUnusable) {
    std::fprintf(stderr, "obrantule-dev search: \"%s\" is no playable position\n", text.c_str());
    return 1;
  }
  return -1;
}

// Enters the game moves argv[i..argc); -1 when every one was played, else
// the exit status.
int EnterMoves(int argc, char** argv, int i) {
  for (; i < argc; ++i) {
    std::vector<char> move(argv[i], argv[i] + std::strlen(argv[i]) + 1);
    // The engine reads an upper-case promotion letter only.
    if (move.size() == 6) move[4] = char(std::toupper(static_cast<unsigned char>(move[4])));
    // The export answers 0 either way; a refused move leaves the game where it was.
    const int32_t played = GameMoveCount;
    ObrantuleEnterMove(move.data());
    if (GameMoveCount == played && played < GameKeyLimit) {
      std::fprintf(stderr, "obrantule-dev search: not a move in this position: %s\n", argv[i]);
      return 1;
    }
  }
  return -1;
}

// Searches under the requested control and prints the totals and the move.
void SearchAndReport(const SearchRequest& request) {
  std::thread stopper;
  std::atomic<int> done{0};
  const int32_t first = request.First;
  switch (request.Control) {
    case SearchRequest::ToDepth:
      ObrantuleSetDepth(request.Depth);
      break;
    case SearchRequest::Blitz:
      ObrantuleSetBlitz(first, request.Second);
      break;
    case SearchRequest::Time:
      ObrantuleSetTime(first, request.Second);
      break;
    case SearchRequest::Infinite:
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
  ObrantuleAnalyse(request.Control == SearchRequest::Infinite ? 1 : 0);
  const double cpuSeconds = ProcessCpuSeconds() - cpuBefore;
  done.store(1);
  if (stopper.joinable()) stopper.join();

  // Every node searched (the reports carry only the count a host sees) and
  // the processor time of the search, for speed comparisons.
  std::printf("all nodes %lld cpu %.3f s\n", (long long)uint32_t(NodeCount), cpuSeconds);
  const std::string best = LastMainline.substr(0, LastMainline.find(' '));
  std::printf("bestmove %s\n", best.empty() ? "(none)" : best.c_str());
}

}  // namespace

int SearchCommand(int argc, char** argv) {
  SearchRequest request;
  int i = 0;
  int status = ParseSearchOptions(argc, argv, &request, &i);
  if (status >= 0) return status;
  if (!StartEngine(request.HashMB)) {
    ObrantuleQuit();
    return 1;
  }
  status = SetUpPosition(argc, argv, &i);
  if (status < 0) status = EnterMoves(argc, argv, i);
  if (status < 0) {
    SearchAndReport(request);
    status = 0;
  }
  ObrantuleQuit();
  return status;
}

OBRANTULE_DEV_COMMAND(search, "search [--hash MB] [--depth N | --blitz S I | --time M S | --infinite MS] [FEN [MOVE...]]",
                      SearchCommand);
