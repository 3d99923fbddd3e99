// Prefix code construction for the compressor: Huffman code lengths with a
// length limit, canonical code values, and the copy length classes.
#include <algorithm>
#include <cassert>
#include <queue>
#include <utility>
#include <vector>

#include "datacomp_writer.h"

namespace {

// Huffman lengths without a limit; returns the largest length.
uint32_t HuffmanLengths(const std::vector<uint64_t>& weights, uint32_t count, uint8_t* lengths) {
  // Nodes 0..count-1 are symbols, later ones inner nodes; parent links give depths.
  std::vector<int32_t> parent(2 * count, -1);
  using Item = std::pair<uint64_t, int32_t>;  // (weight, node); ties broken by node number
  std::priority_queue<Item, std::vector<Item>, std::greater<Item>> queue;
  for (uint32_t s = 0; s < count; s++)
    if (weights[s] > 0) queue.push({weights[s], static_cast<int32_t>(s)});
  int32_t next = static_cast<int32_t>(count);
  while (queue.size() > 1) {
    Item a = queue.top();
    queue.pop();
    Item b = queue.top();
    queue.pop();
    parent[a.second] = next;
    parent[b.second] = next;
    queue.push({a.first + b.first, next});
    next++;
  }
  std::vector<uint32_t> depth(static_cast<size_t>(next), 0);
  for (int32_t node = next - 1; node >= 0; node--)
    if (parent[node] >= 0) depth[node] = depth[parent[node]] + 1;
  uint32_t longest = 0;
  for (uint32_t s = 0; s < count; s++) {
    lengths[s] = weights[s] > 0 ? static_cast<uint8_t>(std::min<uint32_t>(depth[s], 255)) : 0;
    longest = std::max<uint32_t>(longest, depth[s]);
  }
  return longest;
}

}  // namespace

void BuildCodeLengths(const uint64_t* frequencies, uint32_t count, uint32_t maxLength,
                      uint8_t* lengths) {
  std::vector<uint64_t> weights(frequencies, frequencies + count);
  uint32_t present = 0;
  uint32_t only = 0;
  for (uint32_t s = 0; s < count; s++)
    if (weights[s] > 0) {
      present++;
      only = s;
    }
  std::fill(lengths, lengths + count, 0);
  if (present == 0) return;
  if (present == 1) {
    lengths[only] = 1;
    return;
  }
  // Too deep a tree only comes from extremely skewed counts: flatten them
  // until the tree fits.
  while (HuffmanLengths(weights, count, lengths) > maxLength) {
    for (uint64_t& w : weights)
      if (w > 0) w = (w >> 1) | 1;
  }
}

void AssignCanonicalCodes(const uint8_t* lengths, uint32_t count, uint32_t* codes) {
  uint32_t lengthCounts[kDatacompMaxCodeLength + 2] = {};
  for (uint32_t s = 0; s < count; s++) lengthCounts[lengths[s]]++;
  lengthCounts[0] = 0;
  uint32_t nextCode[kDatacompMaxCodeLength + 2] = {};
  for (uint32_t length = 2; length <= kDatacompMaxCodeLength; length++)
    nextCode[length] = (nextCode[length - 1] + lengthCounts[length - 1]) << 1;
  for (uint32_t s = 0; s < count; s++) codes[s] = lengths[s] ? nextCode[lengths[s]]++ : 0;
}

uint32_t CopyLengthCode(uint32_t length, uint32_t* extraBits, uint32_t* extraValue) {
  assert(length >= 1 && length <= (1u << 18) + 13);
  if (length <= 15) {
    *extraBits = 0;
    *extraValue = 0;
    return length - 1;
  }
  // Code 14 + k covers 2^k + 14 .. 2^(k+1) + 13 with k extra bits.
  uint32_t k = 31 - static_cast<uint32_t>(__builtin_clz(length - 14));
  *extraBits = k;
  *extraValue = length - 14 - (1u << k);
  return 14 + k;
}
