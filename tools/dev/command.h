// Subcommands of obrantule-dev. A subcommand lives in its own file and
// registers itself with one line at namespace scope:
//
//   OBRANTULE_DEV_COMMAND(perft, "perft DEPTH [FEN [MOVE...]]", PerftCommand);
//
// The function receives the arguments after the subcommand's name and returns
// the process exit status.
#pragma once

typedef int (*DevCommandFunction)(int argc, char** argv);

struct DevCommandRegistrar {
  DevCommandRegistrar(const char* name, const char* usage, DevCommandFunction function);
};

#define OBRANTULE_DEV_COMMAND(name, usage, function) \
  static DevCommandRegistrar devCommandRegistrar_##name(#name, usage, function)
