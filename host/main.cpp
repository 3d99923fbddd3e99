// obrantule: the Linux stand-in for the chess GUI. It loads Obrantule.eng as
// the GUI would and speaks UCI, or runs one of its subcommands.
#include <cstdio>
#include <cstring>

#include "host_main.h"
#include "tablebase_settings.h"

namespace {

void Usage(FILE* out) {
  fprintf(out,
          "usage: obrantule [uci]           UCI on standard input and output (the default)\n"
          "       obrantule analyse [--fen \"FEN\"] [--moves MOVE...] [--depth N | --movetime SECONDS | --infinite]\n"
          "                         [--hash MB] [--coordinates]\n"
          "                                 analyse one position and print the best move\n"
          "       obrantule bench [DEPTH] [--tablebases]\n"
          "                                 search the bench positions through the whole chain\n"
          "       obrantule probe FEN       the tablebase answer for a position\n"
          "       obrantule help [COMMAND]  this text, or a command's own (also --help, -h)\n");
}

bool IsHelp(const char* word) {
  return strcmp(word, "help") == 0 || strcmp(word, "--help") == 0 || strcmp(word, "-h") == 0;
}

}  // namespace

int main(int argc, char** argv) {
  int result;
  if (argc >= 2 && IsHelp(argv[1])) {
    // "obrantule help analyse" is "obrantule analyse --help".
    if (argc >= 3 && !IsHelp(argv[2])) {
      char help[] = "--help";
      char* arguments[] = {help, nullptr};
      const char* command = argv[2];
      if (strcmp(command, "analyse") == 0 || strcmp(command, "analyze") == 0) return RunAnalyse(1, arguments);
      if (strcmp(command, "bench") == 0) return RunBench(1, arguments);
      if (strcmp(command, "probe") == 0) return RunProbe(1, arguments);
      if (strcmp(command, "uci") != 0) {
        fprintf(stderr, "obrantule: no command '%s'\n", command);
        Usage(stderr);
        return 2;
      }
    }
    Usage(stdout);
    return 0;
  }
  if (argc < 2 || strcmp(argv[1], "uci") == 0) {
    result = RunUci();
  } else if (strcmp(argv[1], "analyse") == 0 || strcmp(argv[1], "analyze") == 0) {
    result = RunAnalyse(argc - 2, argv + 2);
  } else if (strcmp(argv[1], "bench") == 0) {
    result = RunBench(argc - 2, argv + 2);
  } else if (strcmp(argv[1], "probe") == 0) {
    result = RunProbe(argc - 2, argv + 2);
  } else {
    fprintf(stderr, "obrantule: no command '%.40s'\n", argv[1]);
    Usage(stderr);
    result = 2;
  }
  RemoveHostSettingsFile();
  return result;
}
