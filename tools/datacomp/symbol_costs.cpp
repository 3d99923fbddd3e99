// Bit costs of the symbols, which steer the parse towards the code it will get.
#include <algorithm>
#include <cmath>

#include "datacomp_writer.h"

// A symbol the code leaves out costs a little more than the longest code, so
// that it can come back when it pays.
void SymbolCostsFromFrequencies(const uint64_t frequencies[kDatacompSymbolCount],
                                uint32_t costs[kDatacompSymbolCount]) {
  uint8_t lengths[kDatacompSymbolCount];
  BuildCodeLengths(frequencies, kDatacompSymbolCount, kDatacompMaxCodeLength, lengths);
  uint32_t longest = 1;
  for (uint32_t s = 0; s < kDatacompSymbolCount; s++) longest = std::max<uint32_t>(longest, lengths[s]);
  for (uint32_t s = 0; s < kDatacompSymbolCount; s++)
    costs[s] = lengths[s] ? lengths[s] : std::min<uint32_t>(longest + 2, kDatacompMaxCodeLength);
}

// Literals by their byte frequency, copies a flat 6 bits.
void InitialSymbolCosts(const uint8_t* data, size_t length, uint32_t costs[kDatacompSymbolCount]) {
  uint64_t counts[256] = {};
  for (size_t i = 0; i < length; i++) counts[data[i]]++;
  for (uint32_t s = 0; s < 256; s++) {
    double p = length ? static_cast<double>(counts[s]) / static_cast<double>(length) : 0.0;
    costs[s] = counts[s] ? static_cast<uint32_t>(std::clamp(1.0 + std::ceil(-std::log2(p)), 1.0, 20.0)) : 20;
  }
  for (uint32_t s = 256; s < kDatacompSymbolCount; s++) costs[s] = 6;
}
