// --help, -h and help for the benchmark programs: the usage on standard
// output and exit status 0, before anything is measured.
#pragma once

#include <cstdio>
#include <cstring>

inline bool AnswerHelp(int argc, char** argv, const char* usage) {
  if (argc < 2) return false;
  const char* word = argv[1];
  if (std::strcmp(word, "--help") != 0 && std::strcmp(word, "-h") != 0 && std::strcmp(word, "help") != 0)
    return false;
  std::fputs(usage, stdout);
  return true;
}
