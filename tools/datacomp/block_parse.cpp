// Parsing one block into literals and copies: the cheapest path through the
// block, by the bit costs of the current code, computed from the block's end.
//
// With only 24 distances every match is found by run counting: the run of
// distance j at position i is how many bytes from i on repeat the bytes
// distances[j] earlier.
//
// The parse visits every position of every block twice or more per file, so
// it is written for speed: which distances repeat the byte at a position is
// found for the whole block at once (byte compares that the compiler does 16
// at a time), a run is kept as the position where it ends (fixed while it
// lasts, so is the cost from there), and only the distances that repeat the
// byte are looked at.
#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <vector>

#include "datacomp_writer.h"

namespace {

constexpr uint32_t kBlockSize = kDatacompTableBlockSize;
constexpr uint32_t kDistances = kDatacompDistanceCount;

// Copy lengths 2..14 and 15, 17, 21, ... below the block size.
constexpr uint32_t kMaxSteps = 32;

struct ParseScratch {
  uint32_t Cost[kBlockSize + 1];
  uint16_t Length[kBlockSize];   // 0 = literal
  uint8_t Distance[kBlockSize];  // index of the copy's distance
  // Bit j % 8 of Repeats[j / 8][i]: block[i] == block[i - distances[j]].
  uint8_t Repeats[kDistances / 8][kBlockSize];
};

struct LengthTables {
  uint8_t Code[kBlockSize + 1];
  // How many of the lengths tried short of a run (2..14, 15, 17, 21, ...)
  // lie below each run length.
  uint8_t StepsBelow[kBlockSize + 1];
  uint32_t Steps[kMaxSteps];
  uint32_t StepCount;
  // Per number of lengths tried: 0 in the lanes of those lengths, 255 after.
  uint8_t Hidden[kMaxSteps + 1][kMaxSteps];
};

LengthTables MakeLengthTables() {
  LengthTables table{};
  for (uint32_t length = 1; length <= kBlockSize; length++) {
    uint32_t bits = 0;
    uint32_t value = 0;
    table.Code[length] = static_cast<uint8_t>(CopyLengthCode(length, &bits, &value));
  }
  for (uint32_t copy = 2; copy < 15; copy++) table.Steps[table.StepCount++] = copy;
  for (uint32_t copy = 15; copy < kBlockSize; copy = 2 * (copy - 13) + 13) table.Steps[table.StepCount++] = copy;
  for (uint32_t run = 0; run <= kBlockSize; run++) {
    uint32_t below = 0;
    while (below < table.StepCount && table.Steps[below] < run) below++;
    table.StepsBelow[run] = static_cast<uint8_t>(below);
  }
  for (uint32_t n = 0; n <= kMaxSteps; n++)
    for (uint32_t k = 0; k < kMaxSteps; k++) table.Hidden[n][k] = k < n ? 0 : 255;
  return table;
}

const LengthTables kLengths = MakeLengthTables();

// Each thread parses in its own scratch.
thread_local ParseScratch Scratch;

// A block's copy prices under the current code.
struct CopyPrices {
  // The price of a copy of distance j by its length code, extra bits included.
  uint32_t Cost[kDistances][32];
  // Per length tried short of a run (see RankLengths), the distances by
  // increasing price of that length; per distance, its rank in each of these
  // orders (255 beyond the lengths).
  uint8_t ByPrice[kMaxSteps][kDistances];
  uint32_t RankCost[kMaxSteps][kDistances];
  alignas(16) uint8_t RankOf[kDistances][kMaxSteps];
};

inline void PriceCopies(const uint32_t symbolCosts[kDatacompSymbolCount], CopyPrices* prices) {
  for (uint32_t j = 0; j < kDistances; j++)
    for (uint32_t code = 0; code < 32; code++)
      prices->Cost[j][code] = symbolCosts[kDatacompLiteralCount + 32 * j + code] + (code > 14 ? code - 14 : 0);
}

// Copies shorter than their run: every length up to 14 (each has its own
// symbol; cutting a copy short lets a better one start earlier), and from
// 15 on the lengths where a length code runs out, so that each candidate
// is the longest copy for its price: 15, 17, 21, 29, ... The price of such
// a length depends on the distance only through its symbol, so each length
// is priced once per position, by the cheapest distance (the first among
// equals) whose run reaches past it.
inline void RankLengths(uint32_t length, CopyPrices* prices) {
  const uint32_t* steps = kLengths.Steps;
  const uint32_t stepCount = kLengths.StepsBelow[length];
  std::memset(prices->RankOf, 255, sizeof prices->RankOf);
  for (uint32_t k = 0; k < stepCount; k++) {
    uint32_t price[kDistances];
    uint8_t* byPrice = prices->ByPrice[k];
    for (uint32_t j = 0; j < kDistances; j++) {
      price[j] = prices->Cost[j][kLengths.Code[steps[k]]];
      byPrice[j] = static_cast<uint8_t>(j);
    }
    std::stable_sort(byPrice, byPrice + kDistances, [&](uint8_t a, uint8_t b) { return price[a] < price[b]; });
    for (uint32_t r = 0; r < kDistances; r++) {
      prices->RankOf[byPrice[r]][k] = static_cast<uint8_t>(r);
      prices->RankCost[k][r] = price[byPrice[r]];
    }
  }
}

// Which distances repeat each byte. A distance of 0 never matches.
inline void MarkRepeats(const uint8_t* block, uint32_t length, const uint32_t distances[kDatacompDistanceCount]) {
  for (uint32_t g = 0; g < kDistances / 8; g++) std::memset(Scratch.Repeats[g], 0, length);
  for (uint32_t j = 0; j < kDistances; j++) {
    const uint32_t d = distances[j];
    if (d == 0 || d >= length) continue;
    uint8_t* __restrict repeats = Scratch.Repeats[j / 8];
    const uint8_t* __restrict bytes = block;
    const uint8_t bit = static_cast<uint8_t>(1u << (j % 8));
    // A size_t index: with a 32-bit one the compiler no longer compares 16
    // bytes at a time here.
    for (size_t i = d; i < length; i++) repeats[i] |= bytes[i] == bytes[i - d] ? bit : 0;
  }
}

// A run of distance j that reaches the present position ends at End[j] (it
// started there, going backwards, and stays until the byte differs), and the
// cost from its end is EndCost[j].
struct Runs {
  uint32_t End[kDistances];
  uint32_t EndCost[kDistances];
};

// The cheapest copy at position i, if it beats `best` (the literal's path):
// sets best, bestLength and bestDistance then.
inline void ChooseCopy(const CopyPrices& prices, const Runs& runs, uint32_t repeating, uint32_t i,
                       const uint32_t* cost, uint32_t* best, uint32_t* bestLength, uint32_t* bestDistance) {
  // Each run as a whole: the cheapest wins, the last distance among equals
  // (keyed so that one minimum decides). Each run also offers the lengths
  // below it, where per length the lowest rank wins.
  uint64_t wholeKey = UINT64_MAX;
  uint32_t longest = 0;
  alignas(16) uint8_t rank[kMaxSteps];
  std::memset(rank, 255, sizeof rank);
  for (uint32_t bits = repeating; bits; bits &= bits - 1) {
    uint32_t j = static_cast<uint32_t>(__builtin_ctz(bits));
    uint32_t run = runs.End[j] - i;
    longest = std::max(longest, run);
    uint64_t c = uint64_t(prices.Cost[j][kLengths.Code[run]]) + runs.EndCost[j];
    wholeKey = std::min(wholeKey, (c << 5) | (31 - j));
    const uint8_t* hidden = kLengths.Hidden[kLengths.StepsBelow[run]];
    for (uint32_t k = 0; k < kMaxSteps; k++) rank[k] = std::min<uint8_t>(rank[k], prices.RankOf[j][k] | hidden[k]);
  }
  // The shorter lengths: the cheapest, the shortest among equals.
  uint64_t stepKey = UINT64_MAX;
  const uint32_t tried = kLengths.StepsBelow[longest];
  for (uint32_t k = 0; k < tried; k++) {
    uint64_t c = uint64_t(prices.RankCost[k][rank[k]]) + cost[i + kLengths.Steps[k]];
    stepKey = std::min(stepKey, (c << 5) | k);
  }
  if (stepKey != UINT64_MAX && (stepKey >> 5) < *best) {
    uint32_t k = static_cast<uint32_t>(stepKey & 31);
    *best = static_cast<uint32_t>(stepKey >> 5);
    *bestLength = kLengths.Steps[k];
    *bestDistance = prices.ByPrice[k][rank[k]];
  }
  if ((wholeKey >> 5) <= *best) {
    *best = static_cast<uint32_t>(wholeKey >> 5);
    *bestDistance = 31 - static_cast<uint32_t>(wholeKey & 31);
    *bestLength = runs.End[*bestDistance] - i;
  }
}

// The cheapest path from every position to the block's end, and its first
// step there, from the end backwards.
inline void CheapestPaths(const uint8_t* block, uint32_t length, const uint32_t symbolCosts[kDatacompSymbolCount],
                          const CopyPrices& prices) {
  Runs runs = {};
  uint32_t previous = 0;  // the distances that repeated the byte at i + 1
  uint32_t* cost = Scratch.Cost;
  cost[length] = 0;
  for (uint32_t i = length; i-- > 0;) {
    const uint32_t next = cost[i + 1];
    const uint32_t repeating = uint32_t(Scratch.Repeats[0][i]) | uint32_t(Scratch.Repeats[1][i]) << 8 |
                               uint32_t(Scratch.Repeats[2][i]) << 16;
    uint32_t best = symbolCosts[block[i]] + next;
    if (repeating == 0) {
      cost[i] = best;
      Scratch.Length[i] = 0;
      previous = 0;
      continue;
    }
    for (uint32_t fresh = repeating & ~previous; fresh; fresh &= fresh - 1) {
      uint32_t j = static_cast<uint32_t>(__builtin_ctz(fresh));
      runs.End[j] = i + 1;
      runs.EndCost[j] = next;
    }
    previous = repeating;
    uint32_t bestLength = 0;
    uint32_t bestDistance = 0;
    ChooseCopy(prices, runs, repeating, i, cost, &best, &bestLength, &bestDistance);
    cost[i] = best;
    Scratch.Length[i] = static_cast<uint16_t>(bestLength);
    Scratch.Distance[i] = static_cast<uint8_t>(bestDistance);
  }
}

// The tokens of the path found, from the block's start.
inline void EmitTokens(const uint8_t* block, uint32_t length, std::vector<uint32_t>* tokens) {
  for (uint32_t i = 0; i < length;) {
    uint32_t copy = Scratch.Length[i];
    if (copy == 0) {
      tokens->push_back(MakeToken(block[i], 0, 0));
      i++;
      continue;
    }
    uint32_t bits = 0;
    uint32_t value = 0;
    uint32_t code = CopyLengthCode(copy, &bits, &value);
    tokens->push_back(MakeToken(kDatacompLiteralCount + 32 * Scratch.Distance[i] + code, bits, value));
    i += copy;
  }
}

}  // namespace

void ParseBlock(const uint8_t* block, uint32_t length, const uint32_t distances[kDatacompDistanceCount],
                const uint32_t symbolCosts[kDatacompSymbolCount], std::vector<uint32_t>* tokens) {
  tokens->clear();
  if (length == 0) return;
  if (length > kBlockSize) length = kBlockSize;
  CopyPrices prices;
  PriceCopies(symbolCosts, &prices);
  RankLengths(length, &prices);
  MarkRepeats(block, length, distances);
  CheapestPaths(block, length, symbolCosts, prices);
  EmitTokens(block, length, tokens);
}
