// obrantule-tb probe: the probe entry point's answer for positions given as
// FEN, through the same set-up, registry and cache the engine uses.
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "../../host/chess_rules.h"
#include "../../host/output.h"
#include "tablebase_probe.h"
#include "tablebase_registry.h"
#include "tb_commands.h"


int RunProbe(int argc, char** argv) {
  if (argc < 1 || argv[0][0] == '-') return CommandUsage("probe");
  std::string dir = argv[0];
  struct stat info;
  if (stat(dir.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
    std::fprintf(stderr, "obrantule-tb probe: no directory %s\n", dir.c_str());
    return 1;
  }
  // The set-up reads its directories from the settings; a private settings
  // file points it at DIR alone.
  char settings[] = "/tmp/obrantule-tb-probe-XXXXXX";
  int fd = mkstemp(settings);
  if (fd < 0) {
    std::fprintf(stderr, "obrantule-tb probe: cannot create a settings file\n");
    return 1;
  }
  std::string text = "[Tablebase]\nPath = " + dir + "\n";
  bool wrote = write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  close(fd);
  if (!wrote) {
    unlink(settings);
    std::fprintf(stderr, "obrantule-tb probe: cannot write %s\n", settings);
    return 1;
  }
  setenv("OBRANTULE_SETTINGS", settings, 1);
  int32_t largest = TablebaseInit("");
  unlink(settings);
  if (largest == 0) std::fprintf(stderr, "obrantule-tb probe: no table files in %s\n", dir.c_str());

  std::vector<std::string> fens(argv + 1, argv + argc);
  bool fromInput = fens.empty();
  int status = 0;
  std::string line;
  for (size_t i = 0;; i++) {
    std::string fen;
    if (fromInput) {
      if (!std::getline(std::cin, line)) break;
      fen = line;
    } else {
      if (i >= fens.size()) break;
      fen = fens[i];
    }
    // Blanks around the text do not count; blank lines are skipped.
    size_t first = fen.find_first_not_of(" \t\r");
    if (first == std::string::npos) continue;
    fen = fen.substr(first, fen.find_last_not_of(" \t\r") - first + 1);
    // The host's own check: every kind of non-position gets the same answer,
    // castling rights and en passant squares the board contradicts are dropped.
    ChessPosition position;
    std::string error, notes;
    if (!ParseFen(fen, &position, &error, &notes)) {
      std::printf("%s\tnone\tnot a position\n", fen.c_str());
      std::fprintf(stderr, "obrantule-tb probe: not a position (%s): %s\n", error.c_str(), fen.c_str());
      status = 1;
      continue;
    }
    if (!notes.empty()) std::fprintf(stderr, "obrantule-tb probe: %s: %s\n", notes.c_str(), fen.c_str());
    int side = position.WhiteToMove ? 0 : 1;
    int32_t score = 0;
    if (!TBProbeBoard(position.Board, side, position.EpSquare >= 0 ? position.EpSquare : 0, &score)) {
      std::printf("%s\tnone\tno table\n", fen.c_str());
      continue;
    }
    std::printf("%s\t%d\t%s\n", fen.c_str(), score, TablebaseWords(side, score).c_str());
  }
  std::fflush(stdout);
  TablebaseShutdown();
  return status;
}
