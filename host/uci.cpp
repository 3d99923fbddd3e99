// The UCI front end: commands read on the main thread at all times, the
// search on its own thread, reports turned into info lines.
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "engine_link.h"
#include "game_record.h"
#include "host_main.h"
#include "output.h"
#include "search_session.h"
#include "tablebase_settings.h"

namespace {

struct UciState {
  ChessPosition Start;
  bool FromInitial = true;
  std::vector<ChessMove> Moves;
  ChessPosition Root;
  int32_t HashMB = 64;
  bool Ponder = false;
};

UciState State;

void Complain(const std::string& text) { Say("info string error: " + text); }

std::string Lower(std::string text) {
  for (char& c : text) c = char(tolower(static_cast<unsigned char>(c)));
  return text;
}

bool ParseInt(const std::string& text, int64_t low, int64_t high, int64_t* value) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  long long parsed = strtoll(text.c_str(), &end, 10);
  if (*end != '\0' || errno != 0 || parsed < low || parsed > high) return false;
  *value = parsed;
  return true;
}

std::string LineText(const std::vector<ChessMove>& line) {
  std::string text;
  for (const ChessMove& move : line) text += " " + MoveToText(move);
  return text;
}

void PrintDepth(int32_t depth, uint32_t) { Say("info depth " + std::to_string(depth)); }

void PrintCurrentMove(int32_t depth, const ChessMove& move, int32_t number, int32_t) {
  Say("info depth " + std::to_string(depth) + " currmove " + MoveToText(move) + " currmovenumber " +
      std::to_string(number));
}

void PrintMainline(const MainlineReport& report) {
  uint64_t nps = report.ElapsedMs > 0 ? uint64_t(uint32_t(report.Nodes)) * 1000u / report.ElapsedMs : 0;
  Say("info depth " + std::to_string(report.Depth) + " score " + UciScore(report.Score) + " nodes " +
      std::to_string(uint32_t(report.Nodes)) + " nps " + std::to_string(nps) + " tbhits " +
      std::to_string(report.TablebaseHits) + " time " + std::to_string(report.ElapsedMs) + " pv" +
      LineText(report.Line));
}

void PrintBestMove(bool has, const ChessMove& best, bool hasPonder, const ChessMove& ponder) {
  if (!has) {
    Say("bestmove 0000");
    return;
  }
  Say("bestmove " + MoveToText(best) + (hasPonder ? " ponder " + MoveToText(ponder) : ""));
}

const SearchPrinter UciPrinter = {PrintDepth, PrintCurrentMove, PrintMainline, PrintBestMove};

void Identify() {
  Say(std::string("id name ") + Plugin.Eng7());
  Say(std::string("id author ") + Plugin.Eng6());
  Say("option name Hash type spin default 64 min 1 max 4096");
  Say("option name Ponder type check default false");
  Say("option name Clear Hash type button");
  Say("option name TablebasePath type string default " + TablebaseSettingPath());
  Say("option name TablebaseCacheKB type spin default " + std::to_string(TablebaseSettingCacheKB()) +
      " min 1024 max 1048576");
  HostParamTable* table = Plugin.Eng13();
  if (table != nullptr) {
    for (int32_t i = 0; i < table->Count; ++i) {
      const HostParamEntry& entry = table->Entries[i];
      Say(std::string("option name ") + entry.Name + " type spin default " + std::to_string(entry.Value) +
          " min " + std::to_string(entry.Minimum) + " max " + std::to_string(entry.Maximum));
    }
  }
  Say("uciok");
}

bool Reconnect() {
  DisconnectPlugin();
  int32_t code = ConnectPlugin(State.HashMB);
  if (code != 0) {
    Complain(ConnectErrorText(code));
    return false;
  }
  return true;
}

void SetOption(std::istringstream& in) {
  std::string word, name, value;
  in >> word;
  if (word != "name") {
    Complain("setoption needs: setoption name <name> [value <value>]");
    return;
  }
  bool inValue = false;
  while (in >> word) {
    if (!inValue && word == "value") {
      inValue = true;
      continue;
    }
    std::string& target = inValue ? value : name;
    target += (target.empty() ? "" : " ") + word;
  }
  if (SearchRunning()) {
    Complain("options cannot change while the engine is thinking");
    return;
  }
  std::string key = Lower(name);
  int64_t number = 0;
  if (key == "hash") {
    if (!ParseInt(value, 1, 4096, &number)) {
      Complain("Hash must be a whole number of megabytes from 1 to 4096");
      return;
    }
    State.HashMB = int32_t(number);
    Reconnect();
  } else if (key == "ponder") {
    if (Lower(value) != "true" && Lower(value) != "false") {
      Complain("Ponder must be true or false");
      return;
    }
    State.Ponder = Lower(value) == "true";
  } else if (key == "clear hash") {
    Plugin.Eng15();
  } else if (key == "tablebasepath") {
    SetTablebaseSettingPath(value);
    Reconnect();
  } else if (key == "tablebasecachekb") {
    if (!ParseInt(value, 1024, 1048576, &number)) {
      Complain("TablebaseCacheKB must be a whole number from 1024 to 1048576");
      return;
    }
    SetTablebaseSettingCacheKB(int32_t(number));
    Reconnect();
  } else {
    HostParamTable* table = Plugin.Eng13();
    for (int32_t i = 0; table != nullptr && i < table->Count; ++i) {
      const HostParamEntry& entry = table->Entries[i];
      if (Lower(entry.Name) != key) continue;
      if (!ParseInt(value, entry.Minimum, entry.Maximum, &number)) {
        Complain(name + " must be a whole number from " + std::to_string(entry.Minimum) + " to " +
                 std::to_string(entry.Maximum));
        return;
      }
      SetParameterEdits({{i, int32_t(number)}});
      Plugin.Eng14(1);
      return;
    }
    Complain("no such option: " + name);
  }
}

void SetPosition(std::istringstream& in) {
  std::string word;
  in >> word;
  ChessPosition start;
  bool fromInitial = false;
  std::string error;
  if (word == "startpos") {
    ParseFen(StartFen, &start, &error);
    fromInitial = true;
    in >> word;
  } else if (word == "fen") {
    std::string fen;
    while (in >> word && word != "moves") fen += (fen.empty() ? "" : " ") + word;
    if (!ParseFen(fen, &start, &error)) {
      Complain("bad FEN (" + error + "): " + fen);
      return;
    }
  } else {
    Complain("position needs startpos or fen");
    return;
  }
  std::vector<ChessMove> moves;
  ChessPosition position = start;
  if (!in.fail() && word == "moves") {
    while (in >> word) {
      ChessMove move;
      if (!FindLegalMove(position, word, &move)) {
        Complain("illegal or unreadable move " + word + " in position " + PositionToFen(position));
        return;
      }
      PlayMove(&position, move);
      moves.push_back(move);
    }
  } else if (!in.fail()) {
    Complain("unexpected '" + word + "' in position");
    return;
  }
  State.Start = start;
  State.FromInitial = fromInitial;
  State.Moves = moves;
  State.Root = position;
}

// The move budget the engine itself would plan, in milliseconds; the host
// uses it after a ponder hit, when the engine no longer reads its clock.
int32_t PlannedMoveMs(int64_t timeMs, int64_t incrementMs, int64_t movesToGo) {
  int64_t budget;
  int64_t hard;
  if (movesToGo > 0) {
    budget = timeMs / (movesToGo + 2);
    hard = timeMs / 2;
  } else {
    budget = incrementMs >= 2000 ? timeMs / 25 + incrementMs : timeMs / 40 + incrementMs;
    hard = (timeMs + incrementMs) / 2;
  }
  if (budget > hard) budget = hard;
  if (budget < 10) budget = 10;
  return int32_t(budget);
}

void Go(std::istringstream& in) {
  // A new "go" ends a search that is still running (many GUIs send "stop"
  // and the next "go" without waiting for the move); its move comes first.
  if (SearchRunning()) {
    StopSearch();
    WaitForSearch();
  }
  int64_t wtime = -1, btime = -1, winc = 0, binc = 0, movesToGo = 0, depth = 0, nodes = 0, moveTime = 0;
  bool infinite = false, ponder = false;
  std::string word;
  while (in >> word) {
    int64_t* target = nullptr;
    int64_t low = 0, high = int64_t(1) << 40;
    if (word == "infinite") { infinite = true; continue; }
    if (word == "ponder") { ponder = true; continue; }
    if (word == "wtime") target = &wtime;
    else if (word == "btime") target = &btime;
    else if (word == "winc") target = &winc;
    else if (word == "binc") target = &binc;
    else if (word == "movestogo") { target = &movesToGo; high = 10000; }
    else if (word == "depth") { target = &depth; low = 1; high = 1000; }
    else if (word == "nodes") { target = &nodes; low = 1; }
    else if (word == "movetime") { target = &moveTime; low = 1; }
    else if (word == "mate" || word == "searchmoves") {
      Complain("go " + word + " is not supported; ignored");
      while (in >> word) {}
      break;
    } else {
      Complain("unknown go parameter " + word);
      continue;
    }
    std::string value;
    in >> value;
    // Clocks may run below zero in some GUIs; treat that as no time left.
    if ((word == "wtime" || word == "btime") && !value.empty() && value[0] == '-') value = "0";
    if (!ParseInt(value, low, high, target)) {
      Complain("bad value '" + value + "' for " + word);
      return;
    }
  }
  bool white = State.Root.WhiteToMove != 0;
  int64_t timeMs = white ? wtime : btime;
  int64_t incrementMs = white ? winc : binc;
  GameRecord record{};
  FillGameRecord(&record, State.Start, State.FromInitial, State.Moves);
  SearchLimits limits;
  limits.StopAfterNodes = nodes;
  // Analysis runs (value 1 to the engine) have no clock; the host stops them.
  auto analyse = [&]() {
    record.TimeMode = TimeModeInfinite;
    record.AnalyseValue = 1;
  };
  if (infinite) {
    analyse();
    limits.HoldUntilStop = 1;
    if (depth > 0) limits.StopAfterDepth = int32_t(depth);
  } else if (timeMs >= 0 && depth == 0 && moveTime == 0) {
    record.TimeBase = int32_t(timeMs / 1000);
    if (movesToGo > 0) {
      record.TimeMode = TimeModeMovesInTime;
      record.MovesToGo = uint16_t(movesToGo);
    } else {
      record.TimeMode = TimeModeBlitz;
      record.Increment = int32_t(incrementMs / 1000);
    }
    if (!ponder) {
      // A safety net only: the engine plans its own time.
      int64_t safety = (timeMs + incrementMs) / 2;
      if (safety > timeMs - 50) safety = timeMs - 50;
      limits.StopAfterMs = int32_t(safety < 10 ? 10 : safety);
    }
    limits.PonderHitBudgetMs = PlannedMoveMs(timeMs, incrementMs, movesToGo);
  } else if (depth > 0 && depth <= 20) {
    record.TimeMode = TimeModeDepth;
    record.Depth = uint16_t(depth);
    limits.StopAfterMs = int32_t(moveTime);
  } else if (depth > 20 || moveTime > 0 || nodes > 0) {
    analyse();
    limits.StopAfterDepth = int32_t(depth);
    limits.StopAfterMs = int32_t(moveTime);
  } else {
    analyse();  // a bare "go" thinks until stopped
    limits.HoldUntilStop = 1;
  }
  if (ponder) {
    record.AnalyseValue = 1;
    limits.Pondering = 1;
  }
  StartSearch(record, State.Root, limits, UciPrinter);
}

}  // namespace

bool UciStart() {
  std::string error;
  ParseFen(StartFen, &State.Start, &error);
  State.Root = State.Start;
  if (!LoadPlugin(&error)) {
    Say("info string error: " + error);
    return false;
  }
  int32_t code = ConnectPlugin(State.HashMB);
  if (code != 0) Complain(ConnectErrorText(code));
  return true;
}

bool UciCommand(const std::string& line) {
  std::istringstream in(line);
  std::string command;
  if (!(in >> command)) return true;
  if (command == "uci") Identify();
  else if (command == "isready") Say("readyok");
  else if (command == "setoption") SetOption(in);
  else if (command == "ucinewgame") {}
  else if (command == "position") SetPosition(in);
  else if (command == "go") {
    if (Plugin.Eng5() == 0) Complain("the engine is not connected: " + ConnectErrorText(9));
    else Go(in);
  }
  else if (command == "stop") StopSearch();
  else if (command == "ponderhit") PonderHit();
  else if (command == "quit") return false;
  else if (command == "debug" || command == "register") {}
  else Complain("unknown command: " + command);
  return true;
}

void UciEnd() {
  StopSearch();
  WaitForSearch();
  DisconnectPlugin();
}

int RunUci() {
  if (!UciStart()) return 1;
  std::string line;
  while (std::getline(std::cin, line))
    if (!UciCommand(line)) break;
  UciEnd();
  return 0;
}
