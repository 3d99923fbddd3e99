// The UCI front end: commands read on the main thread at all times, the
// search on its own thread, reports turned into info lines.
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "clock_plan.h"
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
  // False after a refused position command, until a good one arrives.
  bool Valid = true;
};

UciState State;

void Complain(const std::string& text) { Say("info string error: " + text); }

// At most a short prefix of text that came from the GUI.
std::string ShortText(const std::string& text) {
  const size_t limit = 40;
  return text.size() <= limit ? text : text.substr(0, limit) + "...";
}

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
  uint64_t nps = report.ElapsedMs > 0 ? report.Nodes * 1000u / report.ElapsedMs : 0;
  Say("info depth " + std::to_string(report.Depth) + " score " + UciScore(report.Score) + " nodes " +
      std::to_string(report.Nodes) + " nps " + std::to_string(nps) + " tbhits " +
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

const SearchPrinter UciPrinter = {PrintDepth, PrintCurrentMove, PrintMainline, PrintBestMove, nullptr};

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
  Say("info string tablebases: " + TablebaseReport());
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
    if (Reconnect()) Say("info string tablebases: " + TablebaseReport());
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
  // Until this command is accepted no move may be given for the old position.
  State.Valid = false;
  std::string word;
  in >> word;
  ChessPosition start;
  bool fromInitial = false;
  std::string error, notes;
  if (word == "startpos") {
    ParseFen(StartFen, &start, &error);
    fromInitial = true;
    in >> word;
  } else if (word == "fen") {
    std::string fen;
    while (in >> word && word != "moves") fen += (fen.empty() ? "" : " ") + word;
    if (!ParseFen(fen, &start, &error, &notes)) {
      Complain("bad FEN (" + error + "): " + ShortText(fen));
      return;
    }
    if (!notes.empty()) Say("info string " + notes);
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
        Complain("illegal or unreadable move " + ShortText(word) + " in position " + PositionToFen(position));
        return;
      }
      PlayMove(&position, move);
      moves.push_back(move);
    }
  } else if (!in.fail()) {
    Complain("unexpected '" + ShortText(word) + "' in position");
    return;
  }
  State.Start = start;
  State.FromInitial = fromInitial;
  State.Moves = moves;
  State.Root = position;
  State.Valid = true;
}

// The words of a "go" command. Read leniently: what cannot be used is named
// in an info string and the search still runs, so every "go" is answered.
const int64_t Absent = INT64_MIN;

struct GoRequest {
  int64_t WhiteTime = Absent, BlackTime = Absent, WhiteIncrement = 0, BlackIncrement = 0, MovesToGo = 0;
  int64_t Depth = Absent, Nodes = Absent, MoveTime = Absent, Mate = Absent;
  bool Infinite = false, Ponder = false, Empty = true, Unusable = false;
};

// The depth of a search whose words gave no usable limit.
const int32_t DefaultGoDepth = 10;
// Iterations the engine runs at most.
const int32_t EngineDepthLimit = 29;

GoRequest ReadGo(std::istringstream& in) {
  GoRequest go;
  static const struct { const char* Name; int64_t GoRequest::*Field; } Numbers[] = {
      {"wtime", &GoRequest::WhiteTime}, {"btime", &GoRequest::BlackTime},
      {"winc", &GoRequest::WhiteIncrement}, {"binc", &GoRequest::BlackIncrement},
      {"movestogo", &GoRequest::MovesToGo}, {"depth", &GoRequest::Depth},
      {"nodes", &GoRequest::Nodes}, {"movetime", &GoRequest::MoveTime}, {"mate", &GoRequest::Mate}};
  std::string word;
  bool inSearchMoves = false;
  while (in >> word) {
    go.Empty = false;
    if (word == "searchmoves") {
      // The engine always searches every root move; there is no honest way
      // to restrict it from outside.
      Say("info string searchmoves is not supported: all moves are searched");
      inSearchMoves = true;
      continue;
    }
    if (word == "infinite" || word == "ponder") {
      (word == "infinite" ? go.Infinite : go.Ponder) = true;
      inSearchMoves = false;
      continue;
    }
    int64_t GoRequest::*field = nullptr;
    for (const auto& number : Numbers)
      if (word == number.Name) field = number.Field;
    if (field == nullptr) {
      if (!inSearchMoves) {
        Complain("unknown go parameter " + ShortText(word) + " ignored");
        go.Unusable = true;
      }
      continue;
    }
    inSearchMoves = false;
    std::string value;
    in >> value;
    int64_t number = 0;
    if (!ParseInt(value, -(int64_t(1) << 40), int64_t(1) << 40, &number)) {
      Complain("bad value '" + ShortText(value) + "' for " + word + " ignored");
      go.Unusable = true;
      continue;
    }
    go.*field = number;
  }
  // Clocks may run below zero in some GUIs: no time left.
  for (int64_t* clock : {&go.WhiteTime, &go.BlackTime})
    if (*clock != Absent && *clock < 0) *clock = 0;
  for (int64_t* increment : {&go.WhiteIncrement, &go.BlackIncrement}) {
    if (*increment >= 0) continue;
    Say("info string a negative increment counts as 0");
    *increment = 0;
  }
  if (go.MovesToGo < 0) {
    Say("info string a negative movestogo is ignored");
    go.MovesToGo = 0;
  }
  // A limit below 1 leaves nothing to search: the smallest search, depth 1.
  static const struct { const char* Name; int64_t GoRequest::*Field; } Limits[] = {
      {"depth", &GoRequest::Depth}, {"nodes", &GoRequest::Nodes},
      {"movetime", &GoRequest::MoveTime}, {"mate", &GoRequest::Mate}};
  for (const auto& limit : Limits) {
    int64_t& value = go.*limit.Field;
    if (value == Absent || value >= 1) continue;
    Say(std::string("info string ") + limit.Name + " " + std::to_string(value) +
        " is below 1: searching to depth 1");
    value = Absent;
    go.Depth = 1;
  }
  return go;
}

void Go(std::istringstream& in) {
  // A new "go" ends a search that is still running (many GUIs send "stop"
  // and the next "go" without waiting for the move); its move comes first.
  if (SearchRunning()) {
    StopSearch();
    WaitForSearch();
  }
  GoRequest go = ReadGo(in);
  if (!State.Valid) {
    // The GUI's position was refused: no move may be given for another one.
    Complain("no position to search: the last position command was refused");
    Say("bestmove 0000");
    return;
  }
  if (Plugin.Eng5() == 0) {
    Complain("the engine is not connected: " + ConnectErrorText(9));
    Say("bestmove 0000");
    return;
  }
  bool white = State.Root.WhiteToMove != 0;
  int64_t timeMs = white ? go.WhiteTime : go.BlackTime;
  int64_t incrementMs = white ? go.WhiteIncrement : go.BlackIncrement;
  bool limited = go.Depth != Absent || go.Nodes != Absent || go.MoveTime != Absent || go.Mate != Absent;
  // Only the other side's clock: no limit for this side either.
  bool otherClockOnly = timeMs == Absent && (white ? go.BlackTime : go.WhiteTime) != Absent;
  if (!go.Infinite && !limited && timeMs == Absent && (go.Unusable || otherClockOnly)) {
    Say("info string no usable limit in go: searching to depth " + std::to_string(DefaultGoDepth));
    go.Depth = DefaultGoDepth;
    limited = true;
  }
  GameRecord record{};
  FillGameRecord(&record, State.Start, State.FromInitial, State.Moves);
  SearchLimits limits;
  // Analysis runs (value 1 to the engine) have no clock; the host stops them.
  auto analyse = [&]() {
    record.TimeMode = TimeModeInfinite;
    record.AnalyseValue = 1;
  };
  ClockPlan plan{};
  if (timeMs != Absent) plan = PlanMoveTime(timeMs, incrementMs, go.MovesToGo);
  if (go.Infinite || (!limited && timeMs == Absent)) {
    // "go infinite", a bare "go" and "go ponder" without a clock think until
    // told; a depth given as well ends the thinking, not the wait.
    analyse();
    limits.HoldUntilStop = go.Ponder ? 0 : 1;
    if (go.Depth != Absent) limits.StopAfterDepth = int32_t(go.Depth);
  } else if (limited) {
    if (go.Mate != Absent) {
      int64_t depth = go.Mate * 2 + 3 < EngineDepthLimit ? go.Mate * 2 + 3 : EngineDepthLimit;
      if (go.Depth == Absent || go.Depth > depth) go.Depth = depth;
      Say("info string go mate " + std::to_string(go.Mate) + ": searching until a mate in " +
          std::to_string(go.Mate) + " or less is found, at most to depth " + std::to_string(go.Depth));
      limits.StopAtMateIn = int32_t(go.Mate);
    }
    if (go.Depth != Absent && go.Depth <= 20 && go.Nodes == Absent && go.MoveTime == Absent &&
        go.Mate == Absent) {
      record.TimeMode = TimeModeDepth;
      record.Depth = uint16_t(go.Depth);
    } else {
      analyse();
      if (go.Depth != Absent) limits.StopAfterDepth = int32_t(go.Depth < 1000 ? go.Depth : 1000);
    }
    if (go.Nodes != Absent) limits.StopAfterNodes = go.Nodes;
    if (go.MoveTime != Absent) limits.StopAfterMs = int32_t(go.MoveTime < INT32_MAX ? go.MoveTime : INT32_MAX);
    // A clock given as well still bounds the search.
    if (timeMs != Absent && (limits.StopAfterMs == 0 || limits.StopAfterMs > plan.HardMs))
      limits.StopAfterMs = plan.HardMs;
  } else if (plan.EngineClock && !go.Ponder) {
    // Whole seconds are meaningful here: the engine plans its own time and
    // the host keeps only a safety net.
    record.TimeBase = int32_t(timeMs / 1000);
    if (go.MovesToGo > 0) {
      record.TimeMode = TimeModeMovesInTime;
      record.MovesToGo = uint16_t(go.MovesToGo < 10000 ? go.MovesToGo : 10000);
    } else {
      record.TimeMode = TimeModeBlitz;
      record.Increment = int32_t(incrementMs / 1000);
    }
    limits.StopAfterMs = plan.SafetyMs;
  } else {
    // Planned here in milliseconds: the engine analyses and the host ends
    // it, after a ponder hit counted from the hit.
    analyse();
    if (go.Ponder) {
      limits.PonderHitSoftMs = plan.SoftMs;
      limits.PonderHitBudgetMs = plan.HardMs;
    } else {
      limits.SoftStopMs = plan.SoftMs;
      limits.StopAfterMs = plan.HardMs;
    }
  }
  if (go.Ponder) {
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
  LocateDefaultTablebases();
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
  else if (command == "go") Go(in);
  else if (command == "stop") StopSearch();
  else if (command == "ponderhit") PonderHit();
  else if (command == "quit") return false;
  else if (command == "debug" || command == "register") {}
  else Complain("unknown command: " + ShortText(command));
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
