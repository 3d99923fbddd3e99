// Arguments shared by several subcommands: thread counts and class names.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "table_files.h"
#include "tablebase_classes.h"
#include "tb_commands.h"

int DefaultThreadCount() {
  int threads = int(std::thread::hardware_concurrency());
  return threads < 1 ? 1 : threads;
}

bool ParseThreadCount(const char* command, const char* text, int* threads) {
  char* end = nullptr;
  long n = std::strtol(text, &end, 10);
  if (end == text || *end || n < 1 || n > 256) {
    std::fprintf(stderr, "obrantule-tb %s: bad thread count '%s'\n", command, text);
    return false;
  }
  *threads = int(n);
  return true;
}

bool ExpandClassArgument(const char* word, std::vector<std::string>* names) {
  if (std::strncmp(word, "all", 3) == 0 && word[3] >= '3' && word[3] <= '5' && !word[4]) {
    int men = word[3] - '0';
    for (int c = 1; c < TablebaseClassCount; c++)
      if (ClassPieceCount(c) <= men) names->push_back(TablebaseClasses[c].Name);
    return true;
  }
  if (!TbClassNumber(word)) return false;
  names->push_back(word);
  return true;
}

// The option of the table, or null.
static const ExtraOption* FindExtra(const std::vector<ExtraOption>& extras, const char* arg) {
  for (const ExtraOption& option : extras)
    if (std::strcmp(arg, option.name) == 0) return &option;
  return nullptr;
}

int ParseClassRequest(const char* command, int argc, char** argv, const std::vector<ExtraOption>& extras,
                      ClassRequest* request) {
  for (int at = 0; at < argc; at++) {
    const char* arg = argv[at];
    const ExtraOption* extra = FindExtra(extras, arg);
    bool hasValue = at + 1 < argc;
    if (std::strcmp(arg, "--dir") == 0 && hasValue) {
      request->dir = argv[++at];
    } else if (std::strcmp(arg, "--threads") == 0 && hasValue) {
      if (!ParseThreadCount(command, argv[++at], &request->threads)) return 2;
    } else if (std::strcmp(arg, "--compress") == 0) {
      request->compression = TbCompressAll;
    } else if (std::strcmp(arg, "--plain") == 0) {
      request->compression = TbCompressNone;
    } else if (extra && extra->flag) {
      *extra->flag = true;
    } else if (extra && hasValue) {
      *extra->text = argv[++at];
    } else if (arg[0] == '-') {
      std::fprintf(stderr, "obrantule-tb %s: bad option '%s'\n", command, arg);
      return CommandUsage(command);
    } else if (!ExpandClassArgument(arg, &request->wanted)) {
      std::fprintf(stderr, "obrantule-tb %s: '%s' is not an endgame class (for example kqkr, krpkp)\n", command, arg);
      return 2;
    }
  }
  return request->wanted.empty() ? CommandUsage(command) : -1;
}
