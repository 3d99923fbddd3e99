// obrantule: the Linux stand-in for the chess GUI. It loads Obrantule.eng as
// the GUI would and speaks UCI, or runs one of its subcommands.
#include <cstdio>
#include <cstring>

#include "host_main.h"
#include "tablebase_settings.h"

namespace {

void Usage() {
  fprintf(stderr,
          "usage: obrantule [uci]\n"
          "       obrantule analyse [--fen FEN] [--moves MOVE...] [--depth N | --movetime SECONDS | --infinite]\n"
          "       obrantule bench [DEPTH]\n"
          "       obrantule probe FEN\n");
}

}  // namespace

int main(int argc, char** argv) {
  int result;
  if (argc < 2 || strcmp(argv[1], "uci") == 0) {
    result = RunUci();
  } else if (strcmp(argv[1], "analyse") == 0 || strcmp(argv[1], "analyze") == 0) {
    result = RunAnalyse(argc - 2, argv + 2);
  } else if (strcmp(argv[1], "bench") == 0) {
    result = RunBench(argc - 2, argv + 2);
  } else if (strcmp(argv[1], "probe") == 0) {
    result = RunProbe(argc - 2, argv + 2);
  } else {
    Usage();
    result = strcmp(argv[1], "--help") == 0 || strcmp(argv[1], "-h") == 0 ? 0 : 2;
  }
  RemoveHostSettingsFile();
  return result;
}
