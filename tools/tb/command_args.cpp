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
