// Start-up tables and the constant key tables.
#include "tables.h"

#include <cstdlib>

#include "board.h"
#include "steps.h"

uint8_t BitToSquare[64];
uint8_t SquareToBit[128];
SquareSet SquareBit[128];
SquareSet SquareBitClear[128];
uint8_t LowSquareTable[65536];
uint8_t HighSquareTable[65536];
SquareSet FileSet[8];
SquareSet NotFileA, NotFileH;
uint8_t AdjacentTable[128][128];
SquareSet KnightMask[128];
SquareSet RookLineMask[128];
SquareSet BishopLineMask[128];
SquareSet BetweenTable[128][128];
SquareSet WhitePawnAttackMask[128];
SquareSet BlackPawnAttackMask[128];
SquareSet FileUpMask[128];
SquareSet FileDownMask[128];
int32_t RankOf[128];
int32_t FileOf[128];
uint8_t KingDistance[120][120];
SquareSet WhitePawnRace[128];
SquareSet WhitePawnRaceLate[128];
SquareSet BlackPawnRace[128];
SquareSet BlackPawnRaceLate[128];

namespace {

// The key tables are fixed pseudo-random numbers below 2^31, produced at
// compile time from a fixed seed so that every build has the same keys.
struct KeyTableData {
  uint32_t Value[1664];
};

constexpr KeyTableData MakeKeyTable(uint64_t seed) {
  KeyTableData t{};
  uint64_t state = seed;
  for (int i = 0; i < 1664; ++i) {
    state += 0x9E3779B97F4A7C15ull;
    uint64_t z = state;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    t.Value[i] = uint32_t(z >> 33);  // 31 bits
  }
  return t;
}

constexpr KeyTableData IndexKeys = MakeKeyTable(0x4F6272616E74756Cull);
constexpr KeyTableData CheckKeys = MakeKeyTable(0x7E3A5C1D9B2F4860ull);

bool OnBoard(int32_t s) { return s >= 0 && s < 120 && GameBoard[s] != OffBoard; }

int32_t Row(int32_t s) { return s / 10; }
int32_t Column(int32_t s) { return s % 10; }

}  // namespace

// Copied out of the compile-time tables so that the names are plain arrays.
#define OBRANTULE_KEYS_16(base, src) \
  src.Value[base + 0], src.Value[base + 1], src.Value[base + 2], src.Value[base + 3], src.Value[base + 4], \
  src.Value[base + 5], src.Value[base + 6], src.Value[base + 7], src.Value[base + 8], src.Value[base + 9], \
  src.Value[base + 10], src.Value[base + 11], src.Value[base + 12], src.Value[base + 13], \
  src.Value[base + 14], src.Value[base + 15]
#define OBRANTULE_KEYS_128(base, src) \
  OBRANTULE_KEYS_16(base, src), OBRANTULE_KEYS_16(base + 16, src), OBRANTULE_KEYS_16(base + 32, src), \
  OBRANTULE_KEYS_16(base + 48, src), OBRANTULE_KEYS_16(base + 64, src), OBRANTULE_KEYS_16(base + 80, src), \
  OBRANTULE_KEYS_16(base + 96, src), OBRANTULE_KEYS_16(base + 112, src)
#define OBRANTULE_KEYS_1664(src) \
  OBRANTULE_KEYS_128(0, src), OBRANTULE_KEYS_128(128, src), OBRANTULE_KEYS_128(256, src), \
  OBRANTULE_KEYS_128(384, src), OBRANTULE_KEYS_128(512, src), OBRANTULE_KEYS_128(640, src), \
  OBRANTULE_KEYS_128(768, src), OBRANTULE_KEYS_128(896, src), OBRANTULE_KEYS_128(1024, src), \
  OBRANTULE_KEYS_128(1152, src), OBRANTULE_KEYS_128(1280, src), OBRANTULE_KEYS_128(1408, src), \
  OBRANTULE_KEYS_128(1536, src)

const uint32_t ZobristIndexTable[1664] = {OBRANTULE_KEYS_1664(IndexKeys)};
const uint32_t ZobristCheckTable[1664] = {OBRANTULE_KEYS_1664(CheckKeys)};
const uint32_t SideKey[3] = {0x2F8A3C51u, 0x1B47E9D3u, 0x5C0D72A6u};

void BuildTables() {
  // 1. The start position: its border cells mark what is off the board.
  SetUpStart();

  // 2. Square conversions, single bits, first-bit tables, files.
  SquareSet bitSet[64];
  for (int32_t b = 0; b < 64; ++b) {
    BitToSquare[b] = uint8_t(21 + 10 * (b / 8) + (b % 8));
    bitSet[b] = MakeSet(uint64_t(1) << b);
  }
  for (int32_t s = 0; s < 128; ++s) {
    SquareToBit[s] = 255;
    SquareBit[s] = SquareSet{0, 0};
  }
  for (int32_t b = 0; b < 64; ++b) {
    SquareToBit[BitToSquare[b]] = uint8_t(b);
    SquareBit[BitToSquare[b]] = bitSet[b];
  }
  for (int32_t s = 0; s < 128; ++s) SquareBitClear[s] = ~SquareBit[s];
  LowSquareTable[0] = 0;
  HighSquareTable[0] = 0;
  for (int32_t x = 1; x < 65536; ++x) {
    int32_t low = __builtin_ctz(uint32_t(x));
    int32_t high = 31 - __builtin_clz(uint32_t(x));
    LowSquareTable[x] = BitToSquare[low];
    HighSquareTable[x] = BitToSquare[high];
  }
  for (int32_t f = 0; f < 8; ++f) {
    FileSet[f] = SquareSet{0, 0};
    for (int32_t r = 0; r < 8; ++r) FileSet[f] |= SquareBit[MakeSquare(r, f)];
  }
  NotFileA = ~FileSet[0];
  NotFileH = ~FileSet[7];

  // 3. Adjacency, pawn attacks, file spans, rank and file numbers, piece
  // masks, between sets.
  for (int32_t s = 0; s < 128; ++s)
    for (int32_t t = 0; t < 128; ++t) AdjacentTable[s][t] = 0;
  for (int32_t s = 21; s <= 98; ++s)
    for (int32_t d : KingSteps) AdjacentTable[s][s + d] = 1;
  for (int32_t s = 0; s < 128; ++s) {
    WhitePawnAttackMask[s] = BlackPawnAttackMask[s] = SquareSet{0, 0};
    if (Row(s) >= 3 && Row(s) <= 8) {
      WhitePawnAttackMask[s] = SquareBit[s + 9] | SquareBit[s + 11];
      BlackPawnAttackMask[s] = SquareBit[s - 11] | SquareBit[s - 9];
    }
  }
  for (int32_t s = 0; s < 128; ++s) {
    FileUpMask[s] = SquareBit[s];
    FileDownMask[s] = SquareBit[s];
    for (int32_t t = s + 10; t < 128; t += 10) FileUpMask[s] |= SquareBit[t];
    for (int32_t t = s - 10; t >= 0; t -= 10) FileDownMask[s] |= SquareBit[t];
    RankOf[s] = s / 10 - 2;
    FileOf[s] = s % 10;
  }
  for (int32_t s = 0; s < 128; ++s) {
    KnightMask[s] = RookLineMask[s] = BishopLineMask[s] = SquareSet{0, 0};
  }
  for (int32_t s = 21; s <= 98; ++s) {
    if (!OnBoard(s)) continue;
    for (int32_t d : KnightSteps)
      if (OnBoard(s + d)) KnightMask[s] |= SquareBit[s + d];
    for (int32_t d : RookRays)
      for (int32_t t = s + d; OnBoard(t); t += d) RookLineMask[s] |= SquareBit[t];
    for (int32_t d : BishopRays)
      for (int32_t t = s + d; OnBoard(t); t += d) BishopLineMask[s] |= SquareBit[t];
  }
  for (int32_t s = 0; s < 128; ++s)
    for (int32_t t = 0; t < 128; ++t) BetweenTable[s][t] = SquareSet{0, 0};
  for (int32_t b = 0; b < 64; ++b) {
    int32_t s = BitToSquare[b];
    for (int32_t d : KingSteps) {  // the eight directions, any order
      SquareSet between{0, 0};
      for (int32_t t = s + d; OnBoard(t); t += d) {
        BetweenTable[s][t] = between;
        between |= SquareBit[t];
      }
    }
  }

  // 4. King distances.
  for (int32_t s = 0; s < 120; ++s)
    for (int32_t t = 0; t < 120; ++t) {
      int32_t dr = std::abs(Row(s) - Row(t));
      int32_t dc = std::abs(Column(s) - Column(t));
      KingDistance[s][t] = uint8_t(dr > dc ? dr : dc);
    }

  // 5. Pawn races: the pawn on t outruns a king on s to its queening square.
  for (int32_t s = 0; s < 128; ++s)
    WhitePawnRace[s] = WhitePawnRaceLate[s] = BlackPawnRace[s] = BlackPawnRaceLate[s] = SquareSet{0, 0};
  for (int32_t s = 21; s <= 98; ++s)
    for (int32_t t = 31; t <= 88; ++t) {
      int32_t whiteGoal = KingDistance[s][90 + FileOf[t]];
      int32_t blackGoal = KingDistance[s][20 + FileOf[t]];
      if (whiteGoal > 7 - RankOf[t]) WhitePawnRace[s] |= SquareBit[t];
      if (whiteGoal > 8 - RankOf[t]) WhitePawnRaceLate[s] |= SquareBit[t];
      if (blackGoal > RankOf[t]) BlackPawnRace[s] |= SquareBit[t];
      if (blackGoal > RankOf[t] + 1) BlackPawnRaceLate[s] |= SquareBit[t];
    }
}
