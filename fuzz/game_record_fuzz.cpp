// libFuzzer target for the plug-in's game record: the input's bytes are the
// GameRecord handed to Eng9, with the real engine behind the plug-in and small
// tablebases (kqk plain, krk compressed) registered.
//
// The plug-in is loaded and connected as the host does it (host/engine_link);
// it and the engine are linked into this program. The record lies in a heap
// block of exactly its size. As a host would, the harness stops the search
// when a third iteration begins, so every time control ends at depth 2.
//
// With FUZZ_WRITE_SEEDS=dir set, the target writes its seed corpus there and
// exits.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "fuzz_tables.h"
#include "host/engine_link.h"
#include "host/game_record.h"

namespace {

enum : int32_t { DeepestIteration = 2 };

void Fail(const std::string& what) {
  fprintf(stderr, "game-record-fuzz: %s\n", what.c_str());
  abort();
}

void OnPost(int32_t message, void* record) {
  if (message == MessageDepth && static_cast<const AnalysisRecord*>(record)->Depth > DeepestIteration) Plugin.Eng3();
}

struct Seed {
  const char* Name;
  const char* Fen;
  const char* Moves;
  uint16_t TimeMode;
  int32_t TimeBase;
  int32_t Increment;
  uint16_t MovesToGo;
  uint16_t Depth;
  uint16_t AnalyseValue;
};

const Seed Seeds[] = {
    {"initial-depth2", "startpos", "", TimeModeDepth, 0, 0, 0, 2, 0},
    {"initial-moves-blitz", "startpos", "e2e4 e7e5 g1f3 b8c6 f1b5 a7a6", TimeModeBlitz, 300, 2, 0, 0, 0},
    {"initial-moves-time", "startpos", "d2d4 d7d5 c2c4 e7e6 b1c3 g8f6", TimeModeMovesInTime, 600, 0, 40, 0, 0},
    {"initial-infinite", "startpos", "e2e4 c7c5", TimeModeInfinite, 0, 0, 0, 0, 1},
    {"castling-both", "r3k2r/pppppppp/8/8/8/8/PPPPPPPP/R3K2R w KQkq - 0 1", "e1g1 e8c8", TimeModeDepth, 0, 0, 0, 2, 0},
    {"en-passant", "4k3/8/8/3Pp3/8/8/8/4K3 w - e6 0 1", "d5e6", TimeModeDepth, 0, 0, 0, 2, 0},
    {"en-passant-black", "4k3/8/8/8/3pP3/8/8/4K3 b - e3 0 1", "", TimeModeDepth, 0, 0, 0, 2, 0},
    {"promotion", "8/4P1k1/8/8/8/8/2p5/K7 w - - 0 1", "e7e8q c2c1n", TimeModeDepth, 0, 0, 0, 2, 0},
    {"kqk-tablebase", "8/8/8/4k3/8/8/8/1Q2K3 w - - 0 1", "", TimeModeDepth, 0, 0, 0, 2, 0},
    {"krk-tablebase", "8/8/8/8/3k4/8/8/R3K3 b - - 0 1", "", TimeModeBlitz, 60, 0, 0, 0, 0},
    {"kqkr", "8/8/8/3rk3/8/8/8/1Q2K3 w - - 0 1", "b1b5", TimeModeDepth, 0, 0, 0, 2, 0},
    {"middlegame", "r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N2N2/PP2BPPP/R2QKB1R w KQ - 0 8", "", TimeModeDepth, 0, 0, 0,
     2, 0},
    {"checkmated", "7k/6Q1/6K1/8/8/8/8/8 b - - 0 1", "", TimeModeDepth, 0, 0, 0, 2, 0},
    {"stalemate", "7k/5Q2/6K1/8/8/8/8/8 b - - 0 1", "", TimeModeDepth, 0, 0, 0, 2, 0},
    {"many-knights", "k7/8/8/2NNNN2/2nnnn2/8/8/7K w - - 0 1", "", TimeModeDepth, 0, 0, 0, 2, 0},
    {"pawn-endgame", "8/4k3/8/3Pp3/8/8/8/4K3 w - e6 0 1", "", TimeModeDepth, 0, 0, 0, 3, 0},
};

void WriteSeeds(const std::string& directory) {
  for (const Seed& seed : Seeds) {
    ChessPosition start;
    std::string error;
    bool fromInitial = strcmp(seed.Fen, "startpos") == 0;
    if (!ParseFen(fromInitial ? StartFen : seed.Fen, &start, &error)) Fail(std::string(seed.Name) + ": " + error);
    std::vector<ChessMove> moves;
    ChessPosition position = start;
    std::string text = seed.Moves;
    for (size_t at = 0; at < text.size();) {
      size_t end = text.find(' ', at);
      if (end == std::string::npos) end = text.size();
      ChessMove move;
      if (!FindLegalMove(position, text.substr(at, end - at), &move)) Fail(std::string(seed.Name) + ": move");
      PlayMove(&position, move);
      moves.push_back(move);
      at = end + 1;
    }
    GameRecord record{};
    FillGameRecord(&record, start, fromInitial, moves);
    record.TimeMode = seed.TimeMode;
    record.TimeBase = seed.TimeBase;
    record.Increment = seed.Increment;
    record.MovesToGo = seed.MovesToGo;
    record.Depth = seed.Depth;
    record.AnalyseValue = seed.AnalyseValue;
    std::string path = directory + "/" + seed.Name;
    FILE* file = fopen(path.c_str(), "wb");
    if (file == nullptr) Fail("cannot write " + path);
    fwrite(&record, sizeof record, 1, file);
    fclose(file);
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  if (const char* directory = getenv("FUZZ_WRITE_SEEDS")) {
    WriteSeeds(directory);
    exit(0);
  }
  UseFuzzTableSettings();
  std::string error;
  if (!LoadPlugin(&error)) Fail(error);
  if (ConnectPlugin(1) != 0) Fail("Eng1 failed");
  SetPostSink(OnPost);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::unique_ptr<GameRecord> record(new GameRecord);
  memset(record.get(), 0, sizeof(GameRecord));
  memcpy(record.get(), data, size < sizeof(GameRecord) ? size : sizeof(GameRecord));
  Plugin.Eng15();  // empty tables: the same record always searches alike
  Plugin.Eng9(record.get());
  return 0;
}
