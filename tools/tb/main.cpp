// obrantule-tb: tablebase file tools. The subcommands are listed in
// tb_commands.def.
#include <cstdio>
#include <cstring>

#include "tb_commands.h"

namespace {

struct TbCommand {
  const char* Name;
  int (*Routine)(int, char**);
  const char* Arguments;
  const char* Summary;
};

const TbCommand kCommands[] = {
#define TB_COMMAND(name, routine, arguments, summary) {#name, routine, arguments, summary},
#include "tb_commands.def"
#undef TB_COMMAND
};

void PrintUsage(std::FILE* out) {
  std::fprintf(out, "usage: obrantule-tb COMMAND [ARGUMENTS]\n\ncommands:\n");
  for (const TbCommand& c : kCommands)
    std::fprintf(out, "  %s %s\n      %s\n", c.Name, c.Arguments, c.Summary);
}

}  // namespace

int CommandUsage(const char* name) {
  for (const TbCommand& c : kCommands)
    if (std::strcmp(c.Name, name) == 0) std::fprintf(stderr, "usage: obrantule-tb %s %s\n", c.Name, c.Arguments);
  return 2;
}

int main(int argc, char** argv) {
  auto isHelp = [](const char* word) {
    return std::strcmp(word, "--help") == 0 || std::strcmp(word, "-h") == 0 || std::strcmp(word, "help") == 0;
  };
  if (argc < 2 || isHelp(argv[1])) {
    // "obrantule-tb help gen" is "obrantule-tb gen --help".
    if (argc >= 3)
      for (const TbCommand& c : kCommands)
        if (std::strcmp(c.Name, argv[2]) == 0) {
          std::printf("usage: obrantule-tb %s %s\n      %s\n", c.Name, c.Arguments, c.Summary);
          return 0;
        }
    PrintUsage(argc < 2 ? stderr : stdout);
    return argc < 2 ? 2 : 0;
  }
  for (const TbCommand& c : kCommands) {
    if (std::strcmp(c.Name, argv[1]) != 0) continue;
    if (argc >= 3 && (std::strcmp(argv[2], "--help") == 0 || std::strcmp(argv[2], "-h") == 0)) {
      std::printf("usage: obrantule-tb %s %s\n      %s\n", c.Name, c.Arguments, c.Summary);
      return 0;
    }
    return c.Routine(argc - 2, argv + 2);
  }
  std::fprintf(stderr, "obrantule-tb: unknown command '%.40s'\n", argv[1]);
  PrintUsage(stderr);
  return 2;
}
