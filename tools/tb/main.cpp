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
  if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
    PrintUsage(argc < 2 ? stderr : stdout);
    return argc < 2 ? 2 : 0;
  }
  for (const TbCommand& c : kCommands)
    if (std::strcmp(c.Name, argv[1]) == 0) return c.Routine(argc - 2, argv + 2);
  std::fprintf(stderr, "obrantule-tb: unknown command '%s'\n", argv[1]);
  PrintUsage(stderr);
  return 2;
}
