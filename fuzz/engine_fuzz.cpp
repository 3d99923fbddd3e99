// libFuzzer target for the engine library through its exports, called as the
// plug-in calls them and in any order: position texts, move texts, time
// controls and short analyses.
//
// The input is a list of lines. A line that starts with an upper-case letter
// is a call; any other line is a move text for ObrantuleEnterMove.
//   P<text>  ObrantuleSetPosition        S  ObrantuleSetStartPosition
//   A<mode>  ObrantuleAnalyse            D<n>  ObrantuleSetDepth
//   B<s> <i> ObrantuleSetBlitz           T<m> <s>  ObrantuleSetTime
//   I  ObrantuleSetInfinite   K  ObrantuleStopAnalyse   O  ObrantulePonderingOff
//   N  ObrantuleNextBest      C  ObrantuleClearHashtable
//   X<i> <v> ObrantuleSetParam (and the texts and parameter list are read)
//   R<v>  the tablebase probe answers v from now on (0: no answer)
//   Q<mb> ObrantuleQuit, then ObrantuleInit with that hash size
// Every input starts from the initial position with empty tables and depth 2.
// An analysis is stopped when its third iteration begins (as a host stops
// one), so every control ends at depth 2. Texts are passed in buffers of
// exactly their size, so the sanitizers see any read past their end.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "engine/api.h"

namespace {

enum : int32_t {
  DeepestIteration = 2,
  MostAnalysesPerInput = 4,
  TablebaseLimit = 5,
};

int32_t ProbeAnswer;  // 0 none, else 1 + the distance handed back

void Check(bool condition, const char* what) {
  if (condition) return;
  fprintf(stderr, "engine-fuzz: %s\n", what);
  abort();
}

int32_t OBRANTULE_CALL OnNodes(int32_t, int32_t) { return 0; }

int32_t OBRANTULE_CALL OnDepth(int32_t depth, int32_t) {
  if (depth > DeepestIteration) ObrantuleStopAnalyse();
  return 0;
}

int32_t OBRANTULE_CALL OnMove(const char* move, int32_t, int32_t) {
  Check(move != nullptr && strlen(move) < 8, "root move text");
  return 0;
}

int32_t OBRANTULE_CALL OnMainline(const char* line, int32_t) {
  Check(line != nullptr && strlen(line) < 4096, "principal variation text");
  return 0;
}

int32_t OBRANTULE_CALL OnText(const char* text) {
  Check(text != nullptr, "shown text");
  (void)strlen(text);
  return 0;
}

// The probe sees the same lists the real one does: every used slot must
// name a square.
int32_t OBRANTULE_CALL OnProbe(int32_t* counts, int32_t* white, int32_t* black, int32_t side, int32_t,
                               int32_t* result) {
  Check(side == 0 || side == 1, "probe side");
  int32_t men = 2;
  for (int32_t colour = 0; colour < 2; ++colour) {
    const int32_t* list = colour == 0 ? white : black;
    Check(list[0] >= 0 && list[0] < 64, "probe king square");
    for (int32_t type = 1; type <= 5; ++type) {
      int32_t count = counts[colour * 5 + type - 1];
      Check(count >= 0 && count <= 4, "probe piece count");
      men += count;
      for (int32_t i = 0; i < count; ++i) Check(list[4 * type + i] >= 0 && list[4 * type + i] < 64, "probe square");
    }
  }
  Check(men <= TablebaseLimit, "probe of a position beyond the piece limit");
  if (ProbeAnswer == 0) return 0;
  *result = ProbeAnswer - 1;
  return 1;
}

const EngineCallbacks Reports = {int32_t(sizeof(EngineCallbacks)), OnNodes, OnDepth, OnMove, OnMainline, OnText,
                                 OnProbe};

void Connect(int32_t hashMB) {
  int32_t answer = ObrantuleInit(hashMB, &Reports, "", TablebaseLimit);
  Check(answer >= 0, "ObrantuleInit failed");
}

// A text in a heap buffer of exactly its size.
std::vector<char> Text(const std::string& text) { return std::vector<char>(text.c_str(), text.c_str() + text.size() + 1); }

void Numbers(const std::string& text, int32_t* a, int32_t* b) {
  long long x = 0, y = 0;
  sscanf(text.c_str(), "%lld %lld", &x, &y);
  *a = int32_t(x);
  *b = int32_t(y);
}

void RunLine(const std::string& line, int32_t* analyses) {
  char op = line.empty() ? 0 : line[0];
  std::string rest = line.empty() ? "" : line.substr(1);
  int32_t a = 0, b = 0;
  Numbers(rest, &a, &b);
  switch (op) {
    case 'P': {
      std::vector<char> text = Text(rest);
      ObrantuleSetPosition(text.data());
      break;
    }
    case 'S': ObrantuleSetStartPosition(); break;
    case 'A':
      if (++*analyses <= MostAnalysesPerInput) ObrantuleAnalyse(a);
      break;
    case 'D': ObrantuleSetDepth(a); break;
    case 'B': ObrantuleSetBlitz(a, b); break;
    case 'T': ObrantuleSetTime(a, b); break;
    case 'I': ObrantuleSetInfinite(); break;
    case 'K': ObrantuleStopAnalyse(); break;
    case 'O': ObrantulePonderingOff(); break;
    case 'N': ObrantuleNextBest(); break;
    case 'C': ObrantuleClearHashtable(); break;
    case 'X': {
      ObrantuleSetParam(a, b);
      Check(strlen(ObrantuleGetVersion()) + strlen(ObrantuleGetAuthor()) > 0, "identity texts");
      ParamList* list = ObrantuleGetParamList();
      for (int32_t i = 0; list != nullptr && i < list->Count; ++i) Check(list->Items[i].Name != nullptr, "parameter");
      break;
    }
    case 'R': ProbeAnswer = a; break;
    case 'Q':
      ObrantuleQuit();
      Connect(a);
      break;
    default: {
      std::vector<char> text = Text(line);
      ObrantuleEnterMove(text.data());
      break;
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  Connect(1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ProbeAnswer = 0;
  ObrantuleClearHashtable();
  ObrantuleSetStartPosition();
  ObrantuleSetDepth(DeepestIteration);
  int32_t analyses = 0;
  std::string input(reinterpret_cast<const char*>(data), size);
  size_t start = 0;
  while (start <= input.size()) {
    size_t end = input.find('\n', start);
    if (end == std::string::npos) end = input.size();
    RunLine(input.substr(start, end - start), &analyses);
    start = end + 1;
  }
  return 0;
}
