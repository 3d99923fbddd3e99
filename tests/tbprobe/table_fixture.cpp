#include "table_fixture.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "datacomp_writer.h"
#include "material_trie.h"
#include "position_index.h"
#include "tablebase_classes.h"
#include "tablebase_registry.h"

std::vector<uint8_t> PatternTable(int32_t tableClass, int32_t side, uint32_t length) {
  std::vector<uint8_t> bytes(length);
  for (uint32_t i = 0; i < length; ++i) bytes[i] = PatternByte(tableClass, side, i);
  return bytes;
}

void WriteText(const std::string& path, const std::string& text) {
  WriteFile(path, std::vector<uint8_t>(text.begin(), text.end()));
}

void WriteSparseFile(const std::string& path, uint64_t length) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr) << path;
  std::fclose(file);
  ASSERT_EQ(truncate(path.c_str(), static_cast<off_t>(length)), 0);
}

uint32_t TableLength(int32_t tableClass, int32_t side) { return TablebaseClasses[tableClass].ExpectedSize[side]; }

std::string TableFileName(int32_t tableClass, int32_t side, const std::string& suffix) {
  return std::string(TablebaseClasses[tableClass].Name) + (side == 0 ? ".nbw" : ".nbb") + suffix;
}

std::string WritePatternTable(const std::string& directory, int32_t tableClass, int32_t side,
                              const std::string& name) {
  std::string path = directory + "/" + (name.empty() ? TableFileName(tableClass, side) : name);
  WriteFile(path, PatternTable(tableClass, side, TableLength(tableClass, side)));
  return path;
}

std::string WriteCompressedPatternTable(const std::string& directory, int32_t tableClass, int32_t side,
                                        const std::string& name) {
  std::string path = directory + "/" + name;
  WriteFile(path, CompressForTest(PatternTable(tableClass, side, TableLength(tableClass, side))));
  return path;
}

std::vector<uint8_t> CompressForTest(const std::vector<uint8_t>& data) {
  std::vector<uint8_t> file;
  PackOptions options;
  options.DistanceChoice = kDistancesGiven;
  for (uint32_t i = 0; i < kDatacompDistanceCount; ++i) options.Distances[i] = i + 1;
  options.Distances[kDatacompDistanceCount - 1] = 253;
  PackStats stats;
  EXPECT_EQ(PackData(data.data(), data.size(), &options, &file, &stats), 0);
  return file;
}

TablebaseSession::TablebaseSession(const ScratchDirectory& scratch) : scratch_(scratch) {}

TablebaseSession::~TablebaseSession() {
  while (initCount_ > 0) Shutdown();
  unsetenv("OBRANTULE_SETTINGS");
}

int32_t TablebaseSession::Init(const std::string& path, const std::string& cacheSizeKB,
                               const std::string& directory) {
  std::string settings = "[Tablebase]\n";
  if (!path.empty()) settings += "Path=" + path + "\n";
  if (!cacheSizeKB.empty()) settings += "CacheSizeKB=" + cacheSizeKB + "\n";
  std::string file = scratch_.File("ChssBase.ini");
  WriteText(file, settings);
  setenv("OBRANTULE_SETTINGS", file.c_str(), 1);
  ++initCount_;
  return TablebaseInit(directory.c_str());
}

void TablebaseSession::Shutdown() {
  if (initCount_ == 0) return;
  --initCount_;
  TablebaseShutdown();
}

uint64_t NextRandom(uint64_t& seed) {
  // xorshift64*: plenty for picking squares.
  seed ^= seed >> 12;
  seed ^= seed << 25;
  seed ^= seed >> 27;
  return seed * 0x2545F4914F6CDD1DULL;
}

static bool KingsTouch(int32_t a, int32_t b) {
  int32_t fileGap = std::abs(a % 8 - b % 8), rankGap = std::abs(a / 8 - b / 8);
  return fileGap <= 1 && rankGap <= 1;
}

ClassPosition RandomClassPosition(int32_t tableClass, uint64_t& seed) {
  ClassPosition position;
  ClassMaterial(tableClass, position.Counts);
  for (int32_t i = 0; i < 24; ++i) position.White[i] = position.Black[i] = -1;
  bool taken[64] = {};
  int32_t whiteKing = static_cast<int32_t>(NextRandom(seed) % 64);
  int32_t blackKing;
  do blackKing = static_cast<int32_t>(NextRandom(seed) % 64);
  while (KingsTouch(whiteKing, blackKing));
  position.White[0] = whiteKing;
  position.Black[0] = blackKing;
  taken[whiteKing] = taken[blackKing] = true;
  for (int32_t colour = 0; colour < 2; ++colour)
    for (int32_t type = 1; type <= 5; ++type)
      for (int32_t k = 0; k < position.Counts[colour * 5 + type - 1]; ++k) {
        int32_t square;
        do square = type == 1 ? 8 + static_cast<int32_t>(NextRandom(seed) % 48) : static_cast<int32_t>(NextRandom(seed) % 64);
        while (taken[square]);
        taken[square] = true;
        (colour == 0 ? position.White : position.Black)[4 * type + k] = square;
      }
  return position;
}

ClassPosition ExchangeColours(const ClassPosition& position) {
  ClassPosition exchanged;
  for (int32_t i = 0; i < 5; ++i) {
    exchanged.Counts[i] = position.Counts[i + 5];
    exchanged.Counts[i + 5] = position.Counts[i];
  }
  std::memcpy(exchanged.White, position.Black, sizeof exchanged.White);
  std::memcpy(exchanged.Black, position.White, sizeof exchanged.Black);
  return exchanged;
}

void BoardOf(const ClassPosition& position, uint8_t board[64]) {
  std::memset(board, 0, 64);
  board[position.White[0]] = 6;
  board[position.Black[0]] = 14;
  for (int32_t colour = 0; colour < 2; ++colour)
    for (int32_t type = 1; type <= 5; ++type)
      for (int32_t k = 0; k < position.Counts[colour * 5 + type - 1]; ++k)
        board[(colour == 0 ? position.White : position.Black)[4 * type + k]] =
            static_cast<uint8_t>(colour * 8 + type);
}

int32_t ExpectedProbe(const int32_t* counts, const int32_t* white, const int32_t* black, int32_t side,
                      int32_t epSquare) {
  int32_t found = FindClass(counts);
  int32_t tableClass = found < 0 ? -found : found;
  int32_t tableSide = found < 0 ? 1 - side : side;
  uint32_t index = found < 0 ? IndexFunction[tableClass][tableSide](black, white, epSquare, 1)
                             : IndexFunction[tableClass][tableSide](white, black, epSquare, 0);
  int32_t fileSide = TablebaseClasses[tableClass].Flags & TablebaseSymmetric ? 0 : tableSide;
  if (index >= TableLength(tableClass, fileSide)) return 0;
  return ScoreOfByte(PatternByte(tableClass, fileSide, index));
}
