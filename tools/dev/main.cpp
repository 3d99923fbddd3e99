// obrantule-dev: dispatches to the registered subcommands.
#include <cstdio>
#include <cstring>

#include "command.h"

namespace {

struct DevCommand {
  const char* Name;
  const char* Usage;
  DevCommandFunction Function;
};

// Filled by the registrars during static initialisation.
DevCommand Commands[32];
int CommandCount = 0;

void PrintUsage(FILE* out) {
  std::fprintf(out, "usage: obrantule-dev COMMAND [ARGUMENTS]\ncommands:\n");
  for (int i = 0; i < CommandCount; ++i) std::fprintf(out, "  obrantule-dev %s\n", Commands[i].Usage);
}

}  // namespace

DevCommandRegistrar::DevCommandRegistrar(const char* name, const char* usage, DevCommandFunction function) {
  if (CommandCount >= int(sizeof Commands / sizeof Commands[0])) return;
  // Kept in name order so that the usage text is stable.
  int i = CommandCount++;
  while (i > 0 && std::strcmp(Commands[i - 1].Name, name) > 0) {
    Commands[i] = Commands[i - 1];
    --i;
  }
  Commands[i] = DevCommand{name, usage, function};
}

int main(int argc, char** argv) {
  if (argc < 2 || std::strcmp(argv[1], "help") == 0 || std::strcmp(argv[1], "--help") == 0 ||
      std::strcmp(argv[1], "-h") == 0) {
    PrintUsage(argc < 2 ? stderr : stdout);
    return argc < 2 ? 2 : 0;
  }
  for (int i = 0; i < CommandCount; ++i) {
    if (std::strcmp(argv[1], Commands[i].Name) != 0) continue;
    // "obrantule-dev perft --help": the command's usage, nothing run.
    if (argc >= 3 && (std::strcmp(argv[2], "--help") == 0 || std::strcmp(argv[2], "-h") == 0)) {
      std::printf("usage: obrantule-dev %s\n", Commands[i].Usage);
      return 0;
    }
    return Commands[i].Function(argc - 2, argv + 2);
  }
  std::fprintf(stderr, "obrantule-dev: unknown command \"%.40s\"\n", argv[1]);
  PrintUsage(stderr);
  return 2;
}
