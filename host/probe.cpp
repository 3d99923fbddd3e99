// obrantule probe FEN: a tablebase probe of one position through the plug-in.
#include <cstdio>
#include <cstring>
#include <string>

#include "engine_link.h"
#include "chess_rules.h"
#include "host_main.h"
#include "tablebase_settings.h"

int RunProbe(int argc, char** argv) {
  if (argc >= 1 && (strcmp(argv[0], "--help") == 0 || strcmp(argv[0], "-h") == 0)) {
    printf("usage: obrantule probe FEN\n"
           "The tablebase answer for the position (quote the FEN or give its fields as separate\n"
           "words), through the plug-in's probe, with the default tables or those the settings name.\n");
    return 0;
  }
  std::string fen;
  for (int i = 0; i < argc; ++i) fen += (i > 0 ? " " : "") + std::string(argv[i]);
  ChessPosition position;
  std::string error;
  if (fen.empty() || !ParseFen(fen, &position, &error)) {
    fprintf(stderr, "probe: bad FEN (%s): %s\nusage: obrantule probe FEN\n", fen.empty() ? "missing" : error.c_str(),
            fen.c_str());
    return 2;
  }
  LocateDefaultTablebases();
  int32_t tables = 0;
  std::string report = TablebaseReport(&tables);
  if (tables == 0) {
    fprintf(stderr, "probe: no tablebases: %s\n", report.substr(report.find(':') + 2).c_str());
    return 1;
  }
  if (!LoadPlugin(&error)) {
    fprintf(stderr, "probe: %s\n", error.c_str());
    return 1;
  }
  int32_t code = ConnectPlugin(1);
  if (code != 0) {
    fprintf(stderr, "probe: %s\n", ConnectErrorText(code).c_str());
    return 1;
  }
  int32_t distance = 0;
  int32_t answered = Plugin.TBProbeBoard(position.Board, position.WhiteToMove ? 0 : 1,
                                         position.EpSquare >= 0 ? position.EpSquare : 0, &distance);
  DisconnectPlugin();
  if (!answered) {
    printf("No tablebase answer for %s\n", fen.c_str());
    return 3;
  }
  const char* side = position.WhiteToMove ? "White" : "Black";
  if (distance > 0) printf("%s to move mates in %d\n", side, distance);
  else if (distance < 0) printf("%s to move is mated in %d\n", side, -distance);
  else printf("Draw\n");
  return 0;
}
