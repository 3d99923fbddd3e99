// obrantule analyse: the analysis of one position through the whole chain,
// written for a chess player: the board, one line per depth in standard
// notation with the score from White's view, and the best move at the end.
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
#include "tablebase_settings.h"

namespace {

const char Usage[] =
    "usage: obrantule analyse [--fen \"FEN\"] [--moves MOVE...] [--depth N | --movetime SECONDS | --infinite]\n"
    "                         [--hash MB] [--coordinates]\n"
    "  --fen \"FEN\"         the position, quoted as one argument (default: the initial position)\n"
    "  --moves MOVE...     moves played from it first, in coordinate form (e2e4 e7e8q)\n"
    "  --depth N           search depth 1..29 (default 10)\n"
    "  --movetime SECONDS  think this long (0.001..10000000; fractions allowed)\n"
    "  --infinite          think until Ctrl-C\n"
    "  --hash MB           hash table size 1..4096 MB (default 64)\n"
    "  --coordinates       write moves as e2e4 instead of standard notation\n"
    "Scores are from White's view: +1.00 is a pawn up for White, #3 White mates in 3, #-3 Black does.\n";

volatile sig_atomic_t Interrupted = 0;

void OnInterrupt(int) { Interrupted = 1; }

ChessPosition Root;
bool Coordinates = false;
MainlineReport Pending;   // the last line of the depth being searched
bool HavePending = false;

std::string Pad(const std::string& text, size_t width, bool right = true) {
  if (text.size() >= width) return text;
  std::string padding(width - text.size(), ' ');
  return right ? padding + text : text + padding;
}

// "Obrantule3.06N" reads as "Obrantule 3.06N".
std::string ReadableName(std::string name) {
  size_t digit = name.find_first_of("0123456789");
  if (digit != std::string::npos && digit > 0 && isalpha(static_cast<unsigned char>(name[digit - 1])))
    name.insert(digit, " ");
  return name;
}

std::string LineText(const std::vector<ChessMove>& line) {
  if (!Coordinates) return LineToSan(Root, line);
  std::string text;
  for (const ChessMove& move : line) text += (text.empty() ? "" : " ") + MoveToText(move);
  return text;
}

std::string MoveText(const ChessPosition& position, const ChessMove& move) {
  return Coordinates ? MoveToText(move) : MoveToSan(position, move) + " (" + MoveToText(move) + ")";
}

void PrintDiagram(const ChessPosition& p) {
  Say("  +-----------------+");
  for (int rank = 7; rank >= 0; --rank) {
    std::string row = std::to_string(rank + 1) + " |";
    for (int file = 0; file < 8; ++file) {
      uint8_t piece = p.Board[rank * 8 + file];
      char letter = piece == 0 ? '.' : " PNBRQK"[piece & 7];
      if (piece & 8) letter = char(tolower(letter));
      row += std::string(" ") + letter;
    }
    Say(row + " |");
  }
  Say("  +-----------------+");
  Say("    a b c d e f g h");
}

void PrintLine(const MainlineReport& report) {
  uint64_t nps = report.ElapsedMs > 0 ? report.Nodes * 1000u / report.ElapsedMs : 0;
  char seconds[32];
  snprintf(seconds, sizeof(seconds), "%.2f", report.ElapsedMs / 1000.0);
  int32_t whiteScore = Root.WhiteToMove ? report.Score : -report.Score;
  Say(Pad(std::to_string(report.Depth), 5) + Pad(HumanScore(whiteScore), 8) + Pad(std::to_string(report.Nodes), 13) +
      Pad(std::to_string(nps), 10) + Pad(seconds, 9) + Pad(std::to_string(report.TablebaseHits), 8) + "  " +
      LineText(report.Line));
}

// One line per depth: a depth's last line is printed when the next depth
// begins or the search ends.
void FlushPending() {
  if (HavePending) PrintLine(Pending);
  HavePending = false;
}

void KeepMainline(const MainlineReport& report) {
  if (HavePending && Pending.Depth != report.Depth) FlushPending();
  Pending = report;
  HavePending = true;
}

void NewDepth(int32_t depth, uint32_t) {
  if (HavePending && Pending.Depth < depth) FlushPending();
}

void SayNoMove(const ChessPosition& p) {
  const char* side = p.WhiteToMove ? "White" : "Black";
  if (InCheck(p)) Say(std::string("Checkmate: ") + side + " is mated and has no move.");
  else Say(std::string("Stalemate: ") + side + " has no legal move; the game is drawn.");
}

void PrintFinished(bool has, const ChessMove& best, bool hasPonder, const ChessMove& ponder) {
  FlushPending();
  if (!has) {
    SayNoMove(Root);
    return;
  }
  std::string text = "Best move: " + MoveText(Root, best);
  if (hasPonder) {
    ChessPosition after = Root;
    PlayMove(&after, best);
    text += ", expected reply " + MoveText(after, ponder);
  }
  Say(text);
}

bool Number(const char* text, double low, double high, double* value) {
  char* end = nullptr;
  *value = strtod(text, &end);
  return end != text && *end == '\0' && *value >= low && *value <= high;
}

int Refuse(const std::string& message, const std::string& hint = "") {
  fprintf(stderr, "analyse: %s\n", message.c_str());
  if (!hint.empty()) fprintf(stderr, "hint: %s\n", hint.c_str());
  fprintf(stderr, "(obrantule analyse --help shows the options)\n");
  return 2;
}

const char FenHint[] = "put the whole FEN in quotes, as in --fen \"8/8/8/4k3/8/8/8/R3K3 w - - 0 1\"";

// What the command line asks for.
struct AnalyseRequest {
  std::string Fen = StartFen;
  bool FenGiven = false;
  std::vector<std::string> MoveTexts;
  double Depth = 0, MoveTime = 0, Hash = 64;
  bool Infinite = false;
};

// Reads the options into *request; answers -1 when they are complete, else
// the exit status (0 after --help).
int ParseAnalyseArguments(int argc, char** argv, AnalyseRequest* request) {
  int limitCount = 0;
  for (int i = 0; i < argc; ++i) {
    std::string option = argv[i];
    if (option == "--help" || option == "-h") {
      fputs(Usage, stdout);
      return 0;
    }
    const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
    struct { const char* Name; double* Target; double Low, High; bool Whole; const char* Range; } numbers[] = {
        {"--depth", &request->Depth, 1, 29, true, "a whole number from 1 to 29"},
        {"--movetime", &request->MoveTime, 0.001, 1e7, false, "seconds from 0.001 to 10000000"},
        {"--hash", &request->Hash, 1, 4096, true, "a whole number of megabytes from 1 to 4096"}};
    bool matched = false;
    for (const auto& number : numbers) {
      if (option != number.Name) continue;
      matched = true;
      if (value == nullptr) return Refuse(option + " needs a value: " + number.Range);
      if (!Number(value, number.Low, number.High, number.Target) ||
          (number.Whole && *number.Target != double(int64_t(*number.Target))))
        return Refuse(option + " must be " + number.Range + ", not '" + value + "'");
      ++i;
      if (option != "--hash") ++limitCount;
    }
    if (matched) continue;
    if (option == "--fen") {
      if (value == nullptr) return Refuse("--fen needs a position", FenHint);
      if (request->FenGiven) return Refuse("--fen given twice");
      request->Fen = argv[++i];
      request->FenGiven = true;
    } else if (option == "--moves") {
      while (i + 1 < argc && strncmp(argv[i + 1], "--", 2) != 0) request->MoveTexts.push_back(argv[++i]);
    } else if (option == "--infinite") {
      request->Infinite = true;
      ++limitCount;
    } else if (option == "--coordinates") {
      Coordinates = true;
    } else {
      // A FEN without quotes arrives as several words: its side to move,
      // castling field and counters then look like stray arguments.
      bool fenWord = request->FenGiven && i > 0 &&
                     (option == "w" || option == "b" || option == "-" ||
                      option.find_first_not_of("KQkq") == std::string::npos ||
                      option.find_first_not_of("0123456789") == std::string::npos);
      return Refuse("unknown option '" + option + "'", fenWord ? FenHint : "");
    }
  }
  if (limitCount > 1) return Refuse("--depth, --movetime and --infinite contradict each other: give one of them");
  return -1;
}

// Sets *start from the FEN and Root from it and the moves played; answers -1,
// else the exit status.
int SetUpPosition(const AnalyseRequest& request, ChessPosition* start, std::vector<ChessMove>* moves,
                  std::string* notes) {
  std::string error;
  if (!ParseFen(request.Fen, start, &error, notes)) {
    bool oneWord = request.Fen.find(' ') == std::string::npos;
    return Refuse("bad FEN (" + error + "): " + request.Fen, oneWord ? FenHint : "");
  }
  Root = *start;
  for (const std::string& text : request.MoveTexts) {
    ChessMove move;
    if (!FindLegalMove(Root, text, &move))
      return Refuse("illegal or unreadable move '" + text + "' in " + PositionToFen(Root),
                    "moves are written from square and to square, as e2e4, e1g1 or e7e8q");
    PlayMove(&Root, move);
    moves->push_back(move);
  }
  return -1;
}

// Loads and connects the plug-in and shows the position; false (with the
// error printed) when the plug-in cannot be had.
bool ConnectAndShowPosition(int32_t hashMB, const std::string& notes) {
  std::string error;
  if (!LoadPlugin(&error)) {
    fprintf(stderr, "analyse: %s\n", error.c_str());
    return false;
  }
  LocateDefaultTablebases();
  int32_t code = ConnectPlugin(hashMB);
  if (code != 0) {
    fprintf(stderr, "analyse: %s\n", ConnectErrorText(code).c_str());
    return false;
  }
  Say(ReadableName(Plugin.Eng7()) + " analyses " + PositionToFen(Root));
  if (!notes.empty()) Say("Note: " + notes + ".");
  PrintDiagram(Root);
  Say(std::string(Root.WhiteToMove ? "White" : "Black") + " to move.  Tablebases: " + TablebaseReport() + ".");
  return true;
}

// The engine's own depth limit where it suffices; deeper searches, a time and
// an endless analysis run without a clock and the host ends them.
void SetLimits(const AnalyseRequest& request, GameRecord* record, SearchLimits* limits) {
  double depth = request.Depth;
  if (depth == 0 && request.MoveTime == 0 && !request.Infinite) depth = 10;
  if (depth > 0 && depth <= 20) {
    record->TimeMode = TimeModeDepth;
    record->Depth = uint16_t(depth);
  } else {
    record->TimeMode = TimeModeInfinite;
    record->AnalyseValue = 1;
    limits->StopAfterDepth = int32_t(depth);
    limits->StopAfterMs = int32_t(request.MoveTime * 1000);
    limits->HoldUntilStop = request.Infinite ? 1 : 0;
  }
}

// Runs the search to its end, printing as it goes; Ctrl-C stops it.
void SearchAndPrint(const GameRecord& record, const SearchLimits& limits, bool infinite) {
  if (infinite) Say("Press Ctrl-C to stop.");
  Say("Scores are from White's view (+1.00: White is a pawn up; #3: White mates in 3, #-3: Black does).");
  Say(Pad("depth", 5) + Pad("score", 8) + Pad("nodes", 13) + Pad("nps", 10) + Pad("seconds", 9) + Pad("tb hits", 8) +
      "  line");
  struct sigaction action;
  memset(&action, 0, sizeof(action));
  action.sa_handler = OnInterrupt;
  sigaction(SIGINT, &action, nullptr);
  const SearchPrinter printer = {NewDepth, nullptr, KeepMainline, PrintFinished, FlushPending};
  StartSearch(record, Root, limits, printer);
  while (SearchRunning()) {
    if (Interrupted) {
      Interrupted = 0;
      StopSearch();
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  WaitForSearch();
  signal(SIGINT, SIG_DFL);
}

}  // namespace

int RunAnalyse(int argc, char** argv) {
  AnalyseRequest request;
  int status = ParseAnalyseArguments(argc, argv, &request);
  if (status >= 0) return status;
  ChessPosition start;
  std::vector<ChessMove> moves;
  std::string notes;
  status = SetUpPosition(request, &start, &moves, &notes);
  if (status >= 0) return status;
  if (!ConnectAndShowPosition(int32_t(request.Hash), notes)) return 1;
  if (LegalMoves(Root).empty()) {
    SayNoMove(Root);
    DisconnectPlugin();
    return 0;
  }
  GameRecord record{};
  FillGameRecord(&record, start, !request.FenGiven, moves);
  SearchLimits limits;
  SetLimits(request, &record, &limits);
  SearchAndPrint(record, limits, request.Infinite);
  DisconnectPlugin();
  return 0;
}
