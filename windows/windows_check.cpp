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
    printf("%d passed, %d failed\n", Passed, Failed);
    return 1;
  }
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

  auto eng1 = Entry<Eng1Function>(adapter, "Eng1");
  auto eng2 = Entry<VoidFunction>(adapter, "Eng2");
  auto eng3 = Entry<VoidFunction>(adapter, "Eng3");
  auto eng4 = Entry<IntFunction>(adapter, "Eng4");
  auto eng5 = Entry<IntFunction>(adapter, "Eng5");
  auto eng6 = Entry<TextFunction>(adapter, "Eng6");
  auto eng7 = Entry<TextFunction>(adapter, "Eng7");
  auto eng8 = Entry<IntFunction>(adapter, "Eng8");
  auto eng9 = Entry<Eng9Function>(adapter, "Eng9");
  auto eng12 = Entry<IntFunction>(adapter, "Eng12");
  auto eng13 = Entry<Eng13Function>(adapter, "Eng13");
  auto eng19 = Entry<Eng19Function>(adapter, "Eng19");
  if (!eng1 || !eng2 || !eng3 || !eng4 || !eng5 || !eng6 || !eng7 || !eng8 || !eng9 || !eng12 || !eng13 || !eng19) {
    printf("%d passed, %d failed\n", Passed, Failed);
    return 1;
  }

  // Before any connection the version comes from loading the engine library
  // for a moment.
  CheckValue(eng5(), 0, "Eng5 before Eng1");
  CheckText(eng7(), "Obrantule3.06N", "Eng7 before Eng1");

  static AnalysisRecord analysis;
  static StatsRecord stats;
  static InfoRecord info;
  analysis.HostValue8 = 8008;
  analysis.HostValue16 = 1616;
  CheckValue(eng1(&analysis, 2, 3, &stats, &info, 16, 0, 0, 0), 0, "Eng1 connects");
  CheckValue(info.InitResult, 15360, "engine Init result in the information record");
  CheckValue(analysis.InitResult, 15360, "engine Init result in the analysis record");
  CheckValue(eng5(), 1, "Eng5 while connected");
  static AnalysisRecord other;
  CheckValue(eng1(&other, 0, 0, &stats, &info, 16, 0, 0, 0), 1, "second Eng1 refused");
  CheckText(eng6(), "Orvel Tamstra", "Eng6 author");
  CheckText(eng7(), "Obrantule3.06N", "Eng7 version");
  CheckValue(eng8(), 2300, "Eng8 without GetElo");
  CheckValue(eng12(), 67117072, "Eng12");
  CheckValue(eng4(), 0, "Eng4 before thinking");
  Check(eng19(1) == nullptr && eng19(2) == nullptr && eng19(3) == nullptr, "Eng19 logos absent");
  Check(eng13() != nullptr, "Eng13 parameter table");

  Chess32Forget();
  static GameRecord game;
  game.StartsFromInitial = 1;
  game.WhiteToMove = 1;
  game.TimeMode = TimeModeDepth;
  game.Depth = 5;
  CheckValue(eng9(&game), 0, "Eng9 result");
  CheckValue(eng4(), 0, "Eng4 after thinking");

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

  // Infinite analysis on a thread of its own, stopped from this one with
  // Eng3, as the host does.
  static GameRecord endless;
  endless.StartsFromInitial = 1;
  endless.WhiteToMove = 1;
  endless.TimeMode = TimeModeInfinite;
  ThinkCall call = {eng9, &endless, -1};
  HANDLE thinker = CreateThread(nullptr, 0, ThinkThread, &call, 0, nullptr);
  Check(thinker != nullptr, "thinking thread started");
  if (thinker != nullptr) {
    int32_t thinking = 0;
    for (int32_t wait = 0; wait < 3000 && thinking == 0; ++wait) {
      thinking = eng4();
      if (thinking == 0) Sleep(10);
    }
    CheckValue(thinking, 1, "Eng4 while thinking");
    Sleep(500);
    eng3();
    Check(WaitForSingleObject(thinker, 120000) == WAIT_OBJECT_0, "Eng3 ends an infinite analysis");
    CloseHandle(thinker);
    CheckValue(call.Result, 0, "Eng9 result after a stop");
    CheckValue(eng4(), 0, "Eng4 after the stop");
  }

  if (tables != nullptr) CheckProbes(adapter);

  eng2();
  CheckValue(eng5(), 0, "Eng5 after Eng2");
  // A second connection after the first has ended.
  CheckValue(eng1(&analysis, 2, 3, &stats, &info, 8, 0, 0, 0), 0, "Eng1 reconnects");
  CheckValue(info.InitResult, 6144, "engine Init result with 8 MB");
  eng2();
  FreeLibrary(adapter);

  printf("%d passed, %d failed\n", Passed, Failed);
  return Failed == 0 ? 0 : 1;
}
