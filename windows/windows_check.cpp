// Drives Obrantule.eng the way the host does: loads it by path, connects,
// asks the identity queries, thinks to a fixed depth from the initial
// position with the stand-in Chess32.dll recording every post, stops an
// endless analysis from a second thread, and disconnects. Optionally probes
// a generated KQK table through TBProbeBoard.
//
//   obrantule-wincheck.exe [--tables DIRECTORY]
//
// Prints one line per failed check and "N passed, N failed"; the exit code
// is 0 only when every check passed.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "../adapter/host/host_records.h"
#include "chess32.h"

namespace {

int32_t Passed = 0;
int32_t Failed = 0;

void Check(bool condition, const char* what) {
  if (condition) {
    ++Passed;
  } else {
    ++Failed;
    printf("FAILED: %s\n", what);
  }
}

void CheckValue(int64_t actual, int64_t expected, const char* what) {
  if (actual == expected) {
    ++Passed;
  } else {
    ++Failed;
    printf("FAILED: %s: got %lld, expected %lld\n", what, static_cast<long long>(actual),
           static_cast<long long>(expected));
  }
}

void CheckText(const char* actual, const char* expected, const char* what) {
  if (actual != nullptr && strcmp(actual, expected) == 0) {
    ++Passed;
  } else {
    ++Failed;
    printf("FAILED: %s: got \"%s\", expected \"%s\"\n", what, actual ? actual : "(null)", expected);
  }
}

typedef int32_t(HOSTCALL* Eng1Function)(void*, int32_t, int32_t, void*, void*, int32_t, int32_t, int32_t, int32_t);
typedef int32_t(HOSTCALL* IntFunction)();
typedef void(HOSTCALL* VoidFunction)();
typedef const char*(HOSTCALL* TextFunction)();
typedef int32_t(HOSTCALL* Eng9Function)(void*);
typedef HostParamTable*(HOSTCALL* Eng13Function)();
typedef void*(HOSTCALL* Eng19Function)(int32_t);
typedef int32_t(HOSTCALL* ProbeBoardFunction)(const uint8_t*, int32_t, int32_t, int32_t*);

// An entry point of the module by its plain name, as the host looks it up.
template <typename Function>
Function Entry(HMODULE module, const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

const char* const ExportNames[] = {
    "Eng1",      "Eng2",      "Eng3",     "Eng4",         "Eng5",     "Eng6",         "Eng7",        "Eng8",
    "Eng9",      "Eng10",     "Eng11",    "Eng12",        "Eng13",    "Eng14",        "Eng15",       "Eng19",
    "ShowNodes", "ShowDepth", "ShowMove", "ShowMainline", "ShowText", "TBProbeBoard", "TBProbeList",
};

// Host move codes of the twenty moves of the initial position.
bool IsInitialMove(HostMoveCode code) {
  int32_t from = code & 63, to = (code >> 6) & 63;
  if ((code >> 12) != 0) return false;
  if (from >= 8 && from < 16) return to == from + 8 || to == from + 16;
  if (from == 1) return to == 16 || to == 18;
  if (from == 6) return to == 21 || to == 23;
  return false;
}

// The directory of this program, with its trailing separator.
void ProgramDirectory(char* text, DWORD capacity) {
  DWORD length = GetModuleFileNameA(nullptr, text, capacity);
  if (length == 0 || length >= capacity) length = 0;
  text[length] = '\0';
  char* last = strrchr(text, '\\');
  if (last != nullptr) last[1] = '\0';
}

// Points the host's settings file at the table directory: a bare
// "ChssBase.ini" is looked for in the Windows directory.
bool WriteSettings(const char* tables) {
  char path[MAX_PATH];
  UINT length = GetWindowsDirectoryA(path, MAX_PATH);
  if (length == 0 || length + 14 >= MAX_PATH) return false;
  strcat(path, "\\ChssBase.ini");
  FILE* file = fopen(path, "w");
  if (file == nullptr) return false;
  fprintf(file, "[Tablebase]\r\nPath=%s\r\nCacheSizeKB=1024\r\n", tables);
  return fclose(file) == 0;
}

void CheckProbes(HMODULE adapter) {
  ProbeBoardFunction probe = Entry<ProbeBoardFunction>(adapter, "TBProbeBoard");
  if (probe == nullptr) return;
  // White Kb6, Qh2 against Ka8, White to move: Qh8 mates at once.
  uint8_t board[64] = {};
  board[41] = HostKing;
  board[15] = HostQueen;
  board[56] = HostKing | HostBlack;
  int32_t value = -99;
  CheckValue(probe(board, 0, 0, &value), 1, "KQK mate in one answered");
  CheckValue(value, 1, "KQK mate in one value");
  // White Kb6, Qc7 against Ka8, Black to move: stalemate.
  memset(board, 0, sizeof board);
  board[41] = HostKing;
  board[50] = HostQueen;
  board[56] = HostKing | HostBlack;
  value = -99;
  CheckValue(probe(board, 1, 0, &value), 1, "KQK stalemate answered");
  CheckValue(value, 0, "KQK stalemate value");
  // Five pieces of a class that was not generated: no answer.
  board[0] = HostRook;
  board[63] = HostRook | HostBlack;
  CheckValue(probe(board, 1, 0, &value), 0, "missing class not answered");
}

struct ThinkCall {
  Eng9Function Think;
  GameRecord* Game;
  int32_t Result;
};

DWORD WINAPI ThinkThread(void* parameter) {
  ThinkCall* call = static_cast<ThinkCall*>(parameter);
  call->Result = call->Think(call->Game);
  return 0;
}

// The entry points the checks call.
struct AdapterEntries {
  Eng1Function Eng1;
  VoidFunction Eng2, Eng3;
  IntFunction Eng4, Eng5;
  TextFunction Eng6, Eng7;
  IntFunction Eng8;
  Eng9Function Eng9;
  IntFunction Eng12;
  Eng13Function Eng13;
  Eng19Function Eng19;
};

// The host's records of a connection; they outlive it, as the host's do.
AnalysisRecord Analysis;
StatsRecord Stats;
InfoRecord Info;

int Summary() {
  printf("%d passed, %d failed\n", Passed, Failed);
  return Failed == 0 ? 0 : 1;
}

// Every export by its plain name, and the start-up dialog.
void CheckExports(HMODULE adapter) {
  for (const char* name : ExportNames) {
    if (GetProcAddress(adapter, name) == nullptr) {
      ++Failed;
      printf("FAILED: export %s not found by its plain name\n", name);
    } else {
      ++Passed;
    }
  }
  Check(FindResourceA(adapter, MAKEINTRESOURCEA(101), MAKEINTRESOURCEA(5)) != nullptr,
        "dialog resource 101 present");
}

// False when an entry point the checks call is missing.
bool BindEntries(HMODULE adapter, AdapterEntries* e) {
  e->Eng1 = Entry<Eng1Function>(adapter, "Eng1");
  e->Eng2 = Entry<VoidFunction>(adapter, "Eng2");
  e->Eng3 = Entry<VoidFunction>(adapter, "Eng3");
  e->Eng4 = Entry<IntFunction>(adapter, "Eng4");
  e->Eng5 = Entry<IntFunction>(adapter, "Eng5");
  e->Eng6 = Entry<TextFunction>(adapter, "Eng6");
  e->Eng7 = Entry<TextFunction>(adapter, "Eng7");
  e->Eng8 = Entry<IntFunction>(adapter, "Eng8");
  e->Eng9 = Entry<Eng9Function>(adapter, "Eng9");
  e->Eng12 = Entry<IntFunction>(adapter, "Eng12");
  e->Eng13 = Entry<Eng13Function>(adapter, "Eng13");
  e->Eng19 = Entry<Eng19Function>(adapter, "Eng19");
  return e->Eng1 && e->Eng2 && e->Eng3 && e->Eng4 && e->Eng5 && e->Eng6 && e->Eng7 && e->Eng8 && e->Eng9 &&
         e->Eng12 && e->Eng13 && e->Eng19;
}

// The identity queries before and after Eng1, and a second Eng1 refused.
void CheckConnection(const AdapterEntries& e) {
  // Before any connection the version comes from loading the engine library
  // for a moment.
  CheckValue(e.Eng5(), 0, "Eng5 before Eng1");
  CheckText(e.Eng7(), "Obrantule3.06N", "Eng7 before Eng1");

  Analysis.HostValue8 = 8008;
  Analysis.HostValue16 = 1616;
  CheckValue(e.Eng1(&Analysis, 2, 3, &Stats, &Info, 16, 0, 0, 0), 0, "Eng1 connects");
  CheckValue(Info.InitResult, 15360, "engine Init result in the information record");
  CheckValue(Analysis.InitResult, 15360, "engine Init result in the analysis record");
  CheckValue(e.Eng5(), 1, "Eng5 while connected");
  static AnalysisRecord other;
  CheckValue(e.Eng1(&other, 0, 0, &Stats, &Info, 16, 0, 0, 0), 1, "second Eng1 refused");
  CheckText(e.Eng6(), "Orvel Tamstra", "Eng6 author");
  CheckText(e.Eng7(), "Obrantule3.06N", "Eng7 version");
  CheckValue(e.Eng8(), 2300, "Eng8 without GetElo");
  CheckValue(e.Eng12(), 67117072, "Eng12");
  CheckValue(e.Eng4(), 0, "Eng4 before thinking");
  Check(e.Eng19(1) == nullptr && e.Eng19(2) == nullptr && e.Eng19(3) == nullptr, "Eng19 logos absent");
  Check(e.Eng13() != nullptr, "Eng13 parameter table");
}

// What the stand-in Chess32.dll recorded of a depth-5 search from the
// initial position.
void CheckPosts() {
  int32_t count = 0;
  const RecordedPost* posts = Chess32Posts(&count);
  Check(count > 0 && count <= RecordedPostCapacity, "posts recorded");
  if (count > RecordedPostCapacity) count = RecordedPostCapacity;
  if (count > 0) {
    CheckValue(posts[0].Message, MessageAnalysisStart, "first post announces the analysis");
    CheckValue(posts[0].Value16, 1616, "post carries the record's field at 16");
    CheckValue(posts[0].Value8, 8008, "post carries the record's field at 8");
  }
  int32_t maxDepth = 0, mainlines = 0, nodePosts = 0, movePosts = 0, unknown = 0;
  const RecordedPost* last = nullptr;
  for (int32_t i = 0; i < count; ++i) {
    switch (posts[i].Message) {
      case MessageDepth:
        if (posts[i].Depth > maxDepth) maxDepth = posts[i].Depth;
        break;
      case MessageMainline:
        ++mainlines;
        last = &posts[i];
        break;
      case MessageNodes:
        ++nodePosts;
        break;
      case MessageCurrentMove:
        ++movePosts;
        break;
      case MessageAnalysisStart:
        if (i != 0) ++unknown;
        break;
      default:
        ++unknown;
    }
  }
  CheckValue(maxDepth, 5, "deepest depth report");
  Check(mainlines > 0, "principal variations posted");
  Check(nodePosts > 0, "node counts posted from depth 4");
  CheckValue(movePosts, 0, "no move posts below depth 6");
  CheckValue(unknown, 0, "no unexpected messages");
  if (last != nullptr) {
    Check(last->MainlineLength >= 1 && last->MainlineLength <= MainlineCapacity, "last line has moves");
    Check(IsInitialMove(last->Mainline[0]), "first move of the last line is legal");
    Check(last->Score > -300 && last->Score < 300, "score of the initial position is modest");
  }
}

void CheckDepthSearch(const AdapterEntries& e) {
  Chess32Forget();
  static GameRecord game;
  game.StartsFromInitial = 1;
  game.WhiteToMove = 1;
  game.TimeMode = TimeModeDepth;
  game.Depth = 5;
  CheckValue(e.Eng9(&game), 0, "Eng9 result");
  CheckValue(e.Eng4(), 0, "Eng4 after thinking");
  CheckPosts();
}

// Infinite analysis on a thread of its own, stopped from this one with
// Eng3, as the host does.
void CheckStopFromAnotherThread(const AdapterEntries& e) {
  static GameRecord endless;
  endless.StartsFromInitial = 1;
  endless.WhiteToMove = 1;
  endless.TimeMode = TimeModeInfinite;
  ThinkCall call = {e.Eng9, &endless, -1};
  HANDLE thinker = CreateThread(nullptr, 0, ThinkThread, &call, 0, nullptr);
  Check(thinker != nullptr, "thinking thread started");
  if (thinker == nullptr) return;
  int32_t thinking = 0;
  for (int32_t wait = 0; wait < 3000 && thinking == 0; ++wait) {
    thinking = e.Eng4();
    if (thinking == 0) Sleep(10);
  }
  CheckValue(thinking, 1, "Eng4 while thinking");
  Sleep(500);
  e.Eng3();
  Check(WaitForSingleObject(thinker, 120000) == WAIT_OBJECT_0, "Eng3 ends an infinite analysis");
  CloseHandle(thinker);
  CheckValue(call.Result, 0, "Eng9 result after a stop");
  CheckValue(e.Eng4(), 0, "Eng4 after the stop");
}

// Eng2 ends the connection, and a second one after it starts afresh.
void CheckReconnection(const AdapterEntries& e) {
  e.Eng2();
  CheckValue(e.Eng5(), 0, "Eng5 after Eng2");
  CheckValue(e.Eng1(&Analysis, 2, 3, &Stats, &Info, 8, 0, 0, 0), 0, "Eng1 reconnects");
  CheckValue(Info.InitResult, 6144, "engine Init result with 8 MB");
  e.Eng2();
}

}  // namespace

int main(int argc, char** argv) {
  const char* tables = nullptr;
  for (int i = 1; i < argc; ++i) {
    if (strcmp(argv[i], "--tables") == 0 && i + 1 < argc) {
      tables = argv[++i];
    } else {
      printf("usage: obrantule-wincheck.exe [--tables DIRECTORY]\n");
      return 2;
    }
  }
  if (tables != nullptr) Check(WriteSettings(tables), "settings file written to the Windows directory");

  char path[MAX_PATH + 32];
  ProgramDirectory(path, MAX_PATH);
  strcat(path, "Obrantule.eng");
  HMODULE adapter = LoadLibraryA(path);
  Check(adapter != nullptr, "Obrantule.eng loads by path");
  if (adapter == nullptr) {
    Summary();
    return 1;
  }
  CheckExports(adapter);
  AdapterEntries entries;
  if (!BindEntries(adapter, &entries)) {
    Summary();
    return 1;
  }
  CheckConnection(entries);
  CheckDepthSearch(entries);
  CheckStopFromAnotherThread(entries);
  if (tables != nullptr) CheckProbes(adapter);
  CheckReconnection(entries);
  FreeLibrary(adapter);
  return Summary();
}
