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

}  // namespace

void ParseBlock(const uint8_t* block, uint32_t length, const uint32_t distances[kDatacompDistanceCount],
                const uint32_t symbolCosts[kDatacompSymbolCount], std::vector<uint32_t>* tokens) {
  tokens->clear();
  if (length == 0) return;
  if (length > kBlockSize) length = kBlockSize;
  static thread_local ParseScratch scratch;

  // The price of a copy of distance j by its length code, extra bits included.
  uint32_t copyCost[kDistances][32];
  for (uint32_t j = 0; j < kDistances; j++)
    for (uint32_t code = 0; code < 32; code++)
      copyCost[j][code] = symbolCosts[kDatacompLiteralCount + 32 * j + code] + (code > 14 ? code - 14 : 0);

  // Copies shorter than their run: every length up to 14 (each has its own
  // symbol; cutting a copy short lets a better one start earlier), and from
  // 15 on the lengths where a length code runs out, so that each candidate
  // is the longest copy for its price: 15, 17, 21, 29, ... The price of such
  // a length depends on the distance only through its symbol, so each length
  // is priced once per position, by the cheapest distance (the first among
  // equals) whose run reaches past it.
  const uint32_t* steps = kLengths.Steps;
  const uint32_t stepCount = kLengths.StepsBelow[length];
  // Per length, the distances by increasing price of that length; per
  // distance, its rank in each of these orders (255 beyond the lengths).
  uint8_t byPrice[kMaxSteps][kDistances];
  uint32_t rankCost[kMaxSteps][kDistances];
  alignas(16) uint8_t rankOf[kDistances][kMaxSteps];
  std::memset(rankOf, 255, sizeof rankOf);
  for (uint32_t k = 0; k < stepCount; k++) {
    uint32_t price[kDistances];
    for (uint32_t j = 0; j < kDistances; j++) {
      price[j] = copyCost[j][kLengths.Code[steps[k]]];
      byPrice[k][j] = static_cast<uint8_t>(j);
    }
    std::stable_sort(byPrice[k], byPrice[k] + kDistances, [&](uint8_t a, uint8_t b) { return price[a] < price[b]; });
    for (uint32_t r = 0; r < kDistances; r++) {
      rankOf[byPrice[k][r]][k] = static_cast<uint8_t>(r);
      rankCost[k][r] = price[byPrice[k][r]];
    }
  }

  // Which distances repeat each byte. A distance of 0 never matches.
  for (uint32_t g = 0; g < kDistances / 8; g++) std::memset(scratch.Repeats[g], 0, length);
  for (uint32_t j = 0; j < kDistances; j++) {
    const uint32_t d = distances[j];
    if (d == 0 || d >= length) continue;
    uint8_t* __restrict repeats = scratch.Repeats[j / 8];
    const uint8_t* __restrict bytes = block;
    const uint8_t bit = static_cast<uint8_t>(1u << (j % 8));
    for (uint32_t i = d; i < length; i++) repeats[i] |= bytes[i] == bytes[i - d] ? bit : 0;
  }

  // A run of distance j that reaches position i ends at runEnd[j] (it
  // started there, going backwards, and stays until the byte differs), and
  // the cost from its end is runEndCost[j].
  uint32_t runEnd[kDistances] = {};
  uint32_t runEndCost[kDistances] = {};
  uint32_t previous = 0;  // the distances that repeated the byte at i + 1
  uint32_t* cost = scratch.Cost;
  cost[length] = 0;
  for (uint32_t i = length; i-- > 0;) {
    const uint32_t next = cost[i + 1];
    const uint32_t repeating = uint32_t(scratch.Repeats[0][i]) | uint32_t(scratch.Repeats[1][i]) << 8 |
                               uint32_t(scratch.Repeats[2][i]) << 16;
    uint32_t best = symbolCosts[block[i]] + next;
    if (repeating == 0) {
      cost[i] = best;
      scratch.Length[i] = 0;
      previous = 0;
      continue;
    }
    for (uint32_t fresh = repeating & ~previous; fresh; fresh &= fresh - 1) {
      uint32_t j = static_cast<uint32_t>(__builtin_ctz(fresh));
      runEnd[j] = i + 1;
      runEndCost[j] = next;
    }
    previous = repeating;

    // Each run as a whole: the cheapest wins, the last distance among equals
    // (keyed so that one minimum decides). Each run also offers the lengths
    // below it, where per length the lowest rank wins.
    uint64_t wholeKey = UINT64_MAX;
    uint32_t longest = 0;
    alignas(16) uint8_t rank[kMaxSteps];
    std::memset(rank, 255, sizeof rank);
    for (uint32_t bits = repeating; bits; bits &= bits - 1) {
      uint32_t j = static_cast<uint32_t>(__builtin_ctz(bits));
      uint32_t run = runEnd[j] - i;
      longest = std::max(longest, run);
      uint64_t c = uint64_t(copyCost[j][kLengths.Code[run]]) + runEndCost[j];
      wholeKey = std::min(wholeKey, (c << 5) | (31 - j));
      const uint8_t* hidden = kLengths.Hidden[kLengths.StepsBelow[run]];
      for (uint32_t k = 0; k < kMaxSteps; k++) rank[k] = std::min<uint8_t>(rank[k], rankOf[j][k] | hidden[k]);
    }
    // The shorter lengths: the cheapest, the shortest among equals.
    uint64_t stepKey = UINT64_MAX;
    const uint32_t tried = kLengths.StepsBelow[longest];
    for (uint32_t k = 0; k < tried; k++) {
      uint64_t c = uint64_t(rankCost[k][rank[k]]) + cost[i + steps[k]];
      stepKey = std::min(stepKey, (c << 5) | k);
    }
    uint32_t bestLength = 0;
    uint32_t bestDistance = 0;
    if (stepKey != UINT64_MAX && (stepKey >> 5) < best) {
      uint32_t k = static_cast<uint32_t>(stepKey & 31);
      best = static_cast<uint32_t>(stepKey >> 5);
      bestLength = steps[k];
      bestDistance = byPrice[k][rank[k]];
    }
    if ((wholeKey >> 5) <= best) {
      best = static_cast<uint32_t>(wholeKey >> 5);
      bestDistance = 31 - static_cast<uint32_t>(wholeKey & 31);
      bestLength = runEnd[bestDistance] - i;
    }
    cost[i] = best;
    scratch.Length[i] = static_cast<uint16_t>(bestLength);
    scratch.Distance[i] = static_cast<uint8_t>(bestDistance);
  }

  for (uint32_t i = 0; i < length;) {
    uint32_t copy = scratch.Length[i];
    if (copy == 0) {
      tokens->push_back(MakeToken(block[i], 0, 0));
      i++;
      continue;
    }
    uint32_t bits = 0;
    uint32_t value = 0;
    uint32_t code = CopyLengthCode(copy, &bits, &value);
    tokens->push_back(MakeToken(kDatacompLiteralCount + 32 * scratch.Distance[i] + code, bits, value));
    i += copy;
  }
}
