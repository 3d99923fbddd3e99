// Parsing one block into literals and copies: the cheapest path through the
// block, by the bit costs of the current code, computed from the block's end.
//
// With only 24 distances every match is found by run counting: the run of
// distance j at position i is how many bytes from i on repeat the bytes
// distances[j] earlier. A copy may take the whole run or end at the longest
// length of a cheaper length code.
#include <vector>

#include "datacomp_writer.h"

namespace {

struct ParseScratch {
  std::vector<uint16_t> Runs;
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

}  // namespace

void ParseBlock(const uint8_t* block, uint32_t length, const uint32_t distances[kDatacompDistanceCount],
                const uint32_t symbolCosts[kDatacompSymbolCount], std::vector<uint32_t>* tokens) {
  tokens->clear();
  if (length == 0) return;
  static thread_local ParseScratch scratch;
  const uint32_t stride = length + 1;
  scratch.Runs.resize(static_cast<size_t>(kDatacompDistanceCount) * stride);
  scratch.Cost.resize(stride);
  scratch.Length.resize(stride);
  scratch.Distance.resize(stride);

  // Position-major: the 24 runs of one position share a cache line or two.
  uint16_t* runs = scratch.Runs.data();
  for (uint32_t j = 0; j < kDatacompDistanceCount; j++) runs[static_cast<size_t>(length) * kDatacompDistanceCount + j] = 0;
  for (uint32_t i = length; i-- > 0;) {
    uint16_t* here = runs + static_cast<size_t>(i) * kDatacompDistanceCount;
    const uint16_t* next = here + kDatacompDistanceCount;
    for (uint32_t j = 0; j < kDatacompDistanceCount; j++) {
      uint32_t d = distances[j];
      here[j] = (d != 0 && i >= d && block[i] == block[i - d]) ? static_cast<uint16_t>(next[j] + 1) : 0;
    }
  }

  uint32_t* cost = scratch.Cost.data();
  cost[length] = 0;
  for (uint32_t i = length; i-- > 0;) {
    uint32_t best = symbolCosts[block[i]] + cost[i + 1];
    uint32_t bestLength = 0;
    uint32_t bestDistance = 0;
    for (uint32_t j = 0; j < kDatacompDistanceCount; j++) {
      uint32_t run = runs[static_cast<size_t>(i) * kDatacompDistanceCount + j];
      if (run == 0) continue;
      const uint32_t* costs = symbolCosts + kDatacompLiteralCount + 32 * j;
      // Shorter copies end where a length code runs out, so that each
      // candidate is the longest copy for its price.
      for (uint32_t copy = 15; copy < run; copy = 2 * (copy - 13) + 13) {
        uint32_t c = costs[kLengthCodes.Code[copy]] + kLengthCodes.Extra[copy] + cost[i + copy];
        if (c < best) {
          best = c;
          bestLength = copy;
          bestDistance = j;
        }
      }
      uint32_t c = costs[kLengthCodes.Code[run]] + kLengthCodes.Extra[run] + cost[i + run];
      if (c <= best) {
        best = c;
        bestLength = run;
        bestDistance = j;
      }
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
