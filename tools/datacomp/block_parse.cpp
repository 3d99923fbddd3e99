// Parsing one block into literals and copies: the cheapest path through the
// block, by the bit costs of the current code, computed from the block's end.
//
// With only 24 distances every match is found by run counting: the run of
// distance j at position i is how many bytes from i on repeat the bytes
// distances[j] earlier.
#include <algorithm>
#include <climits>
#include <cstdint>
#include <vector>

#include "datacomp_writer.h"

namespace {

struct ParseScratch {
  std::vector<uint32_t> Cost;
  std::vector<uint16_t> Length;    // 0 = literal
  std::vector<uint8_t> Distance;   // index of the copy's distance
};

struct LengthCodeTable {
  uint8_t Code[kDatacompTableBlockSize + 1];
  uint8_t Extra[kDatacompTableBlockSize + 1];
};

LengthCodeTable MakeLengthCodeTable() {
  LengthCodeTable table{};
  for (uint32_t length = 1; length <= kDatacompTableBlockSize; length++) {
    uint32_t bits = 0;
    uint32_t value = 0;
    table.Code[length] = static_cast<uint8_t>(CopyLengthCode(length, &bits, &value));
    table.Extra[length] = static_cast<uint8_t>(bits);
  }
  return table;
}

const LengthCodeTable kLengthCodes = MakeLengthCodeTable();

// Copy lengths 2..14 and 15, 17, 21, ... below the block size.
constexpr uint32_t kMaxSteps = 32;

}  // namespace

void ParseBlock(const uint8_t* block, uint32_t length, const uint32_t distances[kDatacompDistanceCount],
                const uint32_t symbolCosts[kDatacompSymbolCount], std::vector<uint32_t>* tokens) {
  tokens->clear();
  if (length == 0) return;
  static thread_local ParseScratch scratch;
  const uint32_t stride = length + 1;
  scratch.Cost.resize(stride);
  scratch.Length.resize(stride);
  scratch.Distance.resize(stride);

  // Copies shorter than their run: every length up to 14 (each has its own
  // symbol; cutting a copy short lets a better one start earlier), and from
  // 15 on the lengths where a length code runs out, so that each candidate
  // is the longest copy for its price: 15, 17, 21, 29, ... The price of such
  // a length depends on the distance only through its symbol, so each length
  // is priced once per position, by the cheapest distance whose run reaches
  // past it.
  uint32_t steps[kMaxSteps];
  uint32_t stepCount = 0;
  for (uint32_t copy = 2; copy < 15 && copy < length; copy++) steps[stepCount++] = copy;
  for (uint32_t copy = 15; copy < length; copy = 2 * (copy - 13) + 13) steps[stepCount++] = copy;
  // Per length, the distances by increasing price of that length.
  uint32_t stepCost[kMaxSteps][kDatacompDistanceCount];
  uint8_t byPrice[kMaxSteps][kDatacompDistanceCount];
  for (uint32_t k = 0; k < stepCount; k++) {
    for (uint32_t j = 0; j < kDatacompDistanceCount; j++) {
      uint32_t copy = steps[k];
      stepCost[k][j] = symbolCosts[kDatacompLiteralCount + 32 * j + kLengthCodes.Code[copy]] + kLengthCodes.Extra[copy];
      byPrice[k][j] = static_cast<uint8_t>(j);
    }
    std::stable_sort(byPrice[k], byPrice[k] + kDatacompDistanceCount,
                     [&](uint8_t a, uint8_t b) { return stepCost[k][a] < stepCost[k][b]; });
  }

  // The runs are kept for the current position only: the run of distance j
  // at i is one more than at i + 1 when the byte repeats, else 0. A distance
  // of 0 never matches.
  uint32_t runs[kDatacompDistanceCount] = {};
  uint32_t usable[kDatacompDistanceCount];
  for (uint32_t j = 0; j < kDatacompDistanceCount; j++) usable[j] = distances[j] != 0;
  uint32_t* cost = scratch.Cost.data();
  cost[length] = 0;
  for (uint32_t i = length; i-- > 0;) {
    const uint8_t byte = block[i];
    uint32_t longest = 0;
    for (uint32_t j = 0; j < kDatacompDistanceCount; j++) {
      uint32_t d = distances[j];
      uint32_t back = i >= d ? i - d : i;
      uint32_t match = usable[j] & (i >= d) & (block[back] == byte);
      runs[j] = (runs[j] + 1) & (0u - match);
      longest = std::max(longest, runs[j]);
    }
    uint32_t best = symbolCosts[byte] + cost[i + 1];
    uint32_t bestLength = 0;
    uint32_t bestDistance = 0;
    if (longest == 0) {
      cost[i] = best;
      scratch.Length[i] = 0;
      continue;
    }
    for (uint32_t k = 0; k < stepCount && steps[k] < longest; k++) {
      uint32_t by = 0;
      while (runs[byPrice[k][by]] <= steps[k]) by++;  // ends: the longest run passes
      uint32_t j = byPrice[k][by];
      uint32_t c = stepCost[k][j] + cost[i + steps[k]];
      if (c < best) {
        best = c;
        bestLength = steps[k];
        bestDistance = j;
      }
    }
    // Whole runs, without branches: which distance wins is data, not a pattern.
    for (uint32_t j = 0; j < kDatacompDistanceCount; j++) {
      uint32_t run = runs[j];
      const uint32_t* costs = symbolCosts + kDatacompLiteralCount + 32 * j;
      uint32_t c = costs[kLengthCodes.Code[run]] + kLengthCodes.Extra[run] + cost[i + run];
      c = run != 0 ? c : UINT32_MAX;
      bool better = c <= best;
      best = better ? c : best;
      bestLength = better ? run : bestLength;
      bestDistance = better ? j : bestDistance;
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
