// Table files for the prober's tests: every byte a known function of its
// table and index, so the answer to any probe can be worked out; plus the
// settings file and the prober's set-up around them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "../common/test_support.h"

// The byte stored at an index of a synthetic table. Varies with the index
// and the table, yet repeats within a block so the compressor finds copies.
inline uint8_t PatternByte(int32_t tableClass, int32_t side, uint32_t index) {
  return static_cast<uint8_t>((index * 7u) % 253u + (index >> 13) + static_cast<uint32_t>(tableClass) * 3u +
                              static_cast<uint32_t>(side) * 101u);
}

// The probe's answer for a stored byte, as a distance in moves.
inline int32_t ScoreOfByte(uint8_t stored) {
  int32_t t = static_cast<int8_t>(stored);
  if (t == 0 || t == 127) return 0;
  if (t >= 1 && t <= 126) return 127 - t;
  if (t >= -126 && t <= -1) return -127 - t;
  if (t == -127) return -127;
  return 127;  // -128
}

std::vector<uint8_t> PatternTable(int32_t tableClass, int32_t side, uint32_t length);

void WriteText(const std::string& path, const std::string& text);
// A file of the given length that holds only zero bytes and takes no room.
void WriteSparseFile(const std::string& path, uint64_t length);
// The synthetic table of a class and side under its uncompressed name
// ("kqk.nbw"), or under `name` when given. Answers the file's path.
std::string WritePatternTable(const std::string& directory, int32_t tableClass, int32_t side,
                              const std::string& name = "");
// The same table compressed, under the compressed name given.
std::string WriteCompressedPatternTable(const std::string& directory, int32_t tableClass, int32_t side,
                                        const std::string& name);
// A compressed file image of the data. The copy distances are given (the
// pattern repeats every 253 bytes) so that packing stays quick even in
// sanitizer builds.
std::vector<uint8_t> CompressForTest(const std::vector<uint8_t>& data);
// The file name of a class's table: name + ".nbw" / ".nbb" + suffix.
std::string TableFileName(int32_t tableClass, int32_t side, const std::string& suffix = "");
uint32_t TableLength(int32_t tableClass, int32_t side);

// Points the prober's settings at a file holding these lines of section
// "Tablebase" (the file lives in the scratch directory). Undone by the
// fixture's destructor.
class TablebaseSession {
 public:
  explicit TablebaseSession(const ScratchDirectory& scratch);
  ~TablebaseSession();
  // Writes the settings file with Path and CacheSizeKB (an empty text leaves
  // the key out) and calls TablebaseInit. Answers its result.
  int32_t Init(const std::string& path, const std::string& cacheSizeKB = "", const std::string& directory = "");
  void Shutdown();

 private:
  const ScratchDirectory& scratch_;
  int32_t initCount_ = 0;
};

// A random position of a class (first-named side as white): kings apart,
// men on distinct squares, pawns on ranks 2 to 7. Lists of 24 slots.
struct ClassPosition {
  int32_t Counts[10];
  int32_t White[24];
  int32_t Black[24];
};
ClassPosition RandomClassPosition(int32_t tableClass, uint64_t& seed);
// The same men with their colours exchanged (the class's first-named side
// now black), squares unchanged.
ClassPosition ExchangeColours(const ClassPosition& position);
void BoardOf(const ClassPosition& position, uint8_t board[64]);
// The answer a probe must give for a position of registered pattern tables:
// the class and orientation from the material trie, the index from the
// class's index function, the byte from the pattern (0 past the file's end).
int32_t ExpectedProbe(const int32_t* counts, const int32_t* white, const int32_t* black, int32_t side,
                      int32_t epSquare);
uint64_t NextRandom(uint64_t& seed);
