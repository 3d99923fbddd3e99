// libFuzzer target for table files, plain and compressed: the input is one
// table file, registered as the prober registers it and probed through
// TBProbeBoard, then checked for a consistent block cache.
//
// Input: one mode byte, two probe bytes, then the file.
//   mode bit 0: side to move of the table (.nbw / .nbb)
//   mode bit 1: class (kqk / krk)
//   mode bit 2: compressed (".emd" appended)
//   mode bit 3: repair the compressed header's banner and checksum
//   mode bit 4: after registration, cut the file to (probe byte 1)/256 of
//               its length, as if it changed on disk under the prober
// The probe bytes choose one more position beside a fixed sweep of positions
// that reaches every block of a 3-man table.
//
// With FUZZ_WRITE_SEEDS=dir set, the target writes its seed corpus there
// (tables made by the project's generator) and exits.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "block_cache.h"
#include "datacomp_repair.h"
#include "generate.h"
#include "table_files.h"
#include "tablebase_probe.h"
#include "tablebase_registry.h"

namespace {

const char* const Classes[2] = {"kqk", "krk"};
const uint8_t ClassPiece[2] = {5, 4};  // host piece codes: queen, rook

std::string WorkDirectory;

void Fail(const std::string& what) {
  fprintf(stderr, "table-file-fuzz: %s\n", what.c_str());
  abort();
}

void WriteFile(const std::string& path, const uint8_t* data, size_t size) {
  FILE* file = fopen(path.c_str(), "wb");
  if (file == nullptr) Fail("cannot write " + path);
  if (size > 0 && fwrite(data, 1, size, file) != size) Fail("cannot write " + path);
  fclose(file);
}

void RemoveTables() {
  for (const char* name : Classes)
    for (const char* tag : {".nbw", ".nbb"}) {
      unlink((WorkDirectory + "/" + name + tag).c_str());
      unlink((WorkDirectory + "/" + name + tag + ".emd").c_str());
    }
}

void Probe(int32_t king, int32_t piece, int32_t otherKing, uint8_t pieceCode, int32_t side) {
  if (king == piece || king == otherKing || piece == otherKing) return;
  uint8_t board[64] = {};
  board[king] = 6;
  board[otherKing] = 6 | 8;
  board[piece] = pieceCode;
  int32_t out = 0;
  TBProbeBoard(board, side, 0, &out);
}

void ProbeAll(int32_t tableClass, int32_t side, uint8_t a, uint8_t b) {
  uint8_t piece = ClassPiece[tableClass];
  Probe(a & 63, b & 63, (a >> 6) | ((b >> 6) << 2) | 32, piece, side);
  for (int32_t i = 0; i < 24; ++i) {
    int32_t king = (i * 13 + 1) % 64, man = (i * 29 + 7) % 64, other = (i * 41 + 50) % 64;
    Probe(king, man, other, piece, side);
    Probe(other, man, king, uint8_t(piece | 8), side);
  }
}

void WriteSeed(const std::string& directory, const std::string& name, uint8_t mode, uint8_t a, uint8_t b,
               const std::vector<uint8_t>& file) {
  std::vector<uint8_t> input = {mode, a, b};
  input.insert(input.end(), file.begin(), file.end());
  WriteFile(directory + "/" + name, input.data(), input.size());
}

void WriteSeeds(const std::string& directory) {
  for (int32_t c = 0; c < 2; ++c) {
    std::string error;
    GenOptions options;
    std::unique_ptr<GenTable> table = GenerateClass(Classes[c], options, &error);
    if (!table) Fail(error);
    for (int32_t side = 0; side < 2; ++side) {
      std::vector<uint8_t> image;
      TbImageStats stats;
      if (!TbBuildImage(*table, side, 1, &image, &stats, &error)) Fail(error);
      std::string packed = WorkDirectory + "/packed.emd";
      uint64_t written = 0;
      if (!TbWriteFile(packed, image, true, &written, &error)) Fail(error);
      FILE* file = fopen(packed.c_str(), "rb");
      std::vector<uint8_t> compressed(static_cast<size_t>(written));
      if (file == nullptr || fread(compressed.data(), 1, compressed.size(), file) != compressed.size())
        Fail("cannot read " + packed);
      fclose(file);
      unlink(packed.c_str());
      std::string base = std::string(Classes[c]) + (side == 0 ? "-white" : "-black");
      uint8_t mode = uint8_t(side | (c << 1));
      WriteSeed(directory, base + "-plain", mode, 9, 130, image);
      WriteSeed(directory, base + "-plain-cut", mode | 16, 100, 77, image);
      WriteSeed(directory, base + "-compressed", mode | 4, 20, 200, compressed);
      WriteSeed(directory, base + "-compressed-repaired", mode | 4 | 8, 33, 4, compressed);
      WriteSeed(directory, base + "-compressed-cut", mode | 4 | 16, 200, 61, compressed);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  char pattern[] = "/tmp/obrantule-table-fuzz-XXXXXX";
  if (mkdtemp(pattern) == nullptr) Fail("no temporary directory");
  WorkDirectory = pattern;
  if (const char* directory = getenv("FUZZ_WRITE_SEEDS")) {
    WriteSeeds(directory);
    rmdir(WorkDirectory.c_str());
    exit(0);
  }
  // The registry and cache live for the whole run; each input registers anew.
  if (TablebaseInit(WorkDirectory.c_str()) < 0) Fail("TablebaseInit");
  atexit([] {
    RemoveTables();
    rmdir(WorkDirectory.c_str());
  });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  uint8_t mode = data[0], a = data[1], b = data[2];
  int32_t side = mode & 1, tableClass = (mode >> 1) & 1;
  bool compressed = (mode & 4) != 0;
  std::vector<uint8_t> file(data + 3, data + size);
  if (compressed && (mode & 8)) RepairDatacompHeader(&file);
  std::string path = WorkDirectory + "/" + Classes[tableClass] + (side == 0 ? ".nbw" : ".nbb") +
                     (compressed ? ".emd" : "");
  RemoveTables();
  WriteFile(path, file.data(), file.size());
  RegisterTablebases(WorkDirectory.c_str());
  if (mode & 16) {
    if (truncate(path.c_str(), off_t(file.size() * a / 256)) != 0) Fail("cannot cut " + path);
  }
  for (int32_t pass = 0; pass < 2; ++pass) ProbeAll(tableClass, side, a, b);
  if (!CacheCheckConsistency()) Fail("block cache inconsistent");
  return 0;
}
