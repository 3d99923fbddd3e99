// The block parse against a plain rendering of the same shortest path: the
// fast parse must choose exactly the same literals and copies, since the
// files it makes are compared byte for byte with earlier ones.
#include <gtest/gtest.h>

#include <vector>

#include "datacomp_test_util.h"

namespace {

uint32_t CopyPrice(const uint32_t* symbolCosts, uint32_t j, uint32_t length) {
  uint32_t bits = 0;
  uint32_t value = 0;
  uint32_t code = CopyLengthCode(length, &bits, &value);
  return symbolCosts[kDatacompLiteralCount + 32 * j + code] + bits;
}

// From the block's end: a literal; then each length tried short of a run
// (2..14, then 15, 17, 21, 29, ...) by the cheapest distance whose run passes
// it (the first distance among equals), taken when strictly cheaper; then
// every whole run, taken when no dearer (so the last distance wins a tie).
std::vector<uint32_t> PlainParse(const std::vector<uint8_t>& block, const uint32_t* distances,
                                 const uint32_t* symbolCosts) {
  const uint32_t n = static_cast<uint32_t>(block.size());
  std::vector<uint32_t> tried;
  for (uint32_t copy = 2; copy < 15 && copy < n; copy++) tried.push_back(copy);
  for (uint32_t copy = 15; copy < n; copy = 2 * (copy - 13) + 13) tried.push_back(copy);
  std::vector<uint32_t> cost(n + 1, 0), length(n, 0), distance(n, 0);
  std::vector<uint32_t> run(kDatacompDistanceCount, 0);
  for (uint32_t i = n; i-- > 0;) {
    for (uint32_t j = 0; j < kDatacompDistanceCount; j++) {
      uint32_t d = distances[j];
      bool repeats = d != 0 && i >= d && block[i] == block[i - d];
      run[j] = repeats ? run[j] + 1 : 0;
    }
    uint32_t best = symbolCosts[block[i]] + cost[i + 1];
    for (uint32_t copy : tried) {
      int32_t cheapest = -1;
      for (uint32_t j = 0; j < kDatacompDistanceCount; j++)
        if (run[j] > copy && (cheapest < 0 || CopyPrice(symbolCosts, j, copy) < CopyPrice(symbolCosts, cheapest, copy)))
          cheapest = static_cast<int32_t>(j);
      if (cheapest < 0) continue;
      uint32_t c = CopyPrice(symbolCosts, cheapest, copy) + cost[i + copy];
      if (c < best) {
        best = c;
        length[i] = copy;
        distance[i] = cheapest;
      }
    }
    for (uint32_t j = 0; j < kDatacompDistanceCount; j++) {
      if (run[j] == 0) continue;
      uint32_t c = CopyPrice(symbolCosts, j, run[j]) + cost[i + run[j]];
      if (c <= best) {
        best = c;
        length[i] = run[j];
        distance[i] = j;
      }
    }
    cost[i] = best;
  }
  std::vector<uint32_t> tokens;
  for (uint32_t i = 0; i < n;) {
    if (length[i] == 0) {
      tokens.push_back(MakeToken(block[i], 0, 0));
      i++;
      continue;
    }
    uint32_t bits = 0;
    uint32_t value = 0;
    uint32_t code = CopyLengthCode(length[i], &bits, &value);
    tokens.push_back(MakeToken(kDatacompLiteralCount + 32 * distance[i] + code, bits, value));
    i += length[i];
  }
  return tokens;
}

void ExpectSameParse(const std::vector<uint8_t>& block, const uint32_t* distances, const uint32_t* symbolCosts) {
  std::vector<uint32_t> tokens;
  ParseBlock(block.data(), static_cast<uint32_t>(block.size()), distances, symbolCosts, &tokens);
  EXPECT_TRUE(tokens == PlainParse(block, distances, symbolCosts));
}

// Costs 1..31 with many ties, as the code lengths give.
void RandomCosts(uint32_t seed, uint32_t* costs) {
  std::vector<uint8_t> bytes = RandomBytes(seed, kDatacompSymbolCount);
  for (uint32_t s = 0; s < kDatacompSymbolCount; s++) costs[s] = 1 + bytes[s] % (seed % 2 ? 31 : 6);
}

}  // namespace

TEST(DatacompParse, MatchesThePlainShortestPath) {
  std::vector<uint8_t> table;
  SynthesiseTable(3, &table);
  uint32_t tableDistances[kDatacompDistanceCount];
  ChooseDistances(table.data(), table.size(), kDistancesFromData, tableDistances);
  uint32_t spread[kDatacompDistanceCount];
  for (uint32_t j = 0; j < kDatacompDistanceCount; j++) spread[j] = j < 12 ? j + 1 : 64 * (j - 11) + (j % 3);
  uint32_t costs[kDatacompSymbolCount];
  for (uint32_t round = 0; round < 12; round++) {
    SCOPED_TRACE(round);
    if (round % 3 == 0) InitialSymbolCosts(table.data(), table.size(), costs);
    else RandomCosts(round, costs);
    const uint32_t* distances = round % 2 ? spread : tableDistances;
    // Table blocks, few-valued noise, long runs with breaks, and short blocks.
    std::vector<uint8_t> block(table.begin() + 8192 * (7 * round + 1), table.begin() + 8192 * (7 * round + 2));
    ExpectSameParse(block, distances, costs);
    ExpectSameParse(RandomBytes(round, 8192, 2 + round % 4), distances, costs);
    std::vector<uint8_t> runs(8192, 5);
    for (uint32_t i = 0; i < runs.size(); i += 37 + 400 * (round % 3)) runs[i] = static_cast<uint8_t>(i);
    ExpectSameParse(runs, distances, costs);
    for (uint32_t length : {1u, 2u, 3u, 15u, 16u, 100u, 5000u}) {
      std::vector<uint8_t> start(block.begin(), block.begin() + length);
      ExpectSameParse(start, distances, costs);
    }
  }
}

TEST(DatacompParse, UnusableDistancesNeverMatch) {
  // Zero and distances reaching before a short block.
  uint32_t distances[kDatacompDistanceCount];
  for (uint32_t j = 0; j < kDatacompDistanceCount; j++) distances[j] = j % 4 == 0 ? 0 : 50 * j;
  uint32_t costs[kDatacompSymbolCount];
  RandomCosts(3, costs);
  ExpectSameParse(std::vector<uint8_t>(600, 9), distances, costs);
  ExpectSameParse(RandomBytes(8, 3000, 2), distances, costs);
}
