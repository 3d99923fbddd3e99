// Canonical prefix codes: reading their code lengths from a stream and
// building the table-plus-tree decoder from the lengths.
#include <cassert>

#include "datacomp.h"

namespace {

constexpr int16_t kEmptySlot = INT16_MIN;

void FillPrimary(PrefixDecodeTable* table, int16_t entry) {
  uint32_t size = 1u << table->PrimaryBits;
  for (uint32_t i = 0; i < size; i++) table->Primary[i] = entry;
}

}  // namespace

int32_t BuildDecodeTable(const uint8_t* lengths, uint32_t count, uint32_t primaryBits,
                         PrefixDecodeTable* table) {
  assert(primaryBits >= 1 && primaryBits <= kDatacompPrimaryBits);
  assert(count <= kDatacompSymbolCount);
  table->PrimaryBits = static_cast<int32_t>(primaryBits);
  table->PairCount = 0;

  uint32_t lengthCounts[kDatacompMaxCodeLength + 1] = {};
  uint32_t present = 0;
  uint32_t onlySymbol = 0;
  for (uint32_t symbol = 0; symbol < count; symbol++) {
    uint32_t length = lengths[symbol];
    if (length > kDatacompMaxCodeLength) return kDatacompErrorCodeLengths;
    if (length == 0) continue;
    lengthCounts[length]++;
    present++;
    onlySymbol = symbol;
  }
  if (present == 0) {
    FillPrimary(table, 0);
    return kDatacompOk;
  }
  if (present == 1) {
    // A one-symbol code costs no bits at all.
    if (lengths[onlySymbol] != 1) return kDatacompErrorPrefixCode;
    FillPrimary(table, static_cast<int16_t>(onlySymbol * 32));
    return kDatacompOk;
  }

  // The code must be complete: sum of 2^-length exactly 1.
  uint64_t kraft = 0;
  for (uint32_t length = 1; length <= kDatacompMaxCodeLength; length++)
    kraft += static_cast<uint64_t>(lengthCounts[length]) << (kDatacompMaxCodeLength - length);
  if (kraft != (1ull << kDatacompMaxCodeLength)) return kDatacompErrorPrefixCode;

  uint32_t nextCode[kDatacompMaxCodeLength + 1] = {};
  for (uint32_t length = 2; length <= kDatacompMaxCodeLength; length++)
    nextCode[length] = (nextCode[length - 1] + lengthCounts[length - 1]) << 1;

  // 0 marks an unfilled primary entry: real entries carry a length >= 1.
  FillPrimary(table, 0);
  for (uint32_t i = 0; i < 2 * (kDatacompSymbolCount + 1); i++) table->Tree[i] = kEmptySlot;

  for (uint32_t symbol = 0; symbol < count; symbol++) {
    uint32_t length = lengths[symbol];
    if (length == 0) continue;
    uint32_t code = nextCode[length]++;
    if (length <= primaryBits) {
      uint32_t first = code << (primaryBits - length);
      uint32_t span = 1u << (primaryBits - length);
      for (uint32_t i = 0; i < span; i++) {
        assert(table->Primary[first + i] == 0);
        table->Primary[first + i] = static_cast<int16_t>(symbol * 32 + length);
      }
      continue;
    }
    uint32_t extra = length - primaryBits;
    uint32_t prefix = code >> extra;
    int32_t entry = table->Primary[prefix];
    if (entry > 0) return kDatacompErrorPrefixCode;  // cannot happen for a complete code
    if (entry == 0) {
      if (table->PairCount >= static_cast<int32_t>(kDatacompSymbolCount)) return kDatacompErrorPrefixCode;
      entry = -(++table->PairCount);
      table->Primary[prefix] = static_cast<int16_t>(entry);
    }
    int32_t pair = -entry;
    for (uint32_t bit = extra; bit-- > 0;) {
      int32_t slot = 2 * pair + static_cast<int32_t>((code >> bit) & 1);
      if (bit == 0) {
        if (table->Tree[slot] != kEmptySlot) return kDatacompErrorPrefixCode;
        table->Tree[slot] = static_cast<int16_t>(symbol);
        break;
      }
      if (table->Tree[slot] == kEmptySlot) {
        if (table->PairCount >= static_cast<int32_t>(kDatacompSymbolCount)) return kDatacompErrorPrefixCode;
        table->Tree[slot] = static_cast<int16_t>(-(++table->PairCount));
      } else if (table->Tree[slot] >= 0) {
        return kDatacompErrorPrefixCode;
      }
      pair = -table->Tree[slot];
    }
  }
#ifndef NDEBUG
  for (uint32_t i = 0; i < (1u << primaryBits); i++) assert(table->Primary[i] != 0);
  for (int32_t p = 1; p <= table->PairCount; p++)
    assert(table->Tree[2 * p] != kEmptySlot && table->Tree[2 * p + 1] != kEmptySlot);
#endif
  return kDatacompOk;
}

void BuildPairedTable(const PrefixDecodeTable* symbols, uint32_t* paired) {
  assert(symbols->PrimaryBits == static_cast<int32_t>(kDatacompPrimaryBits));
  constexpr uint32_t bits = kDatacompPrimaryBits;
  constexpr uint32_t mask = (1u << bits) - 1;
  for (uint32_t window = 0; window <= mask; window++) {
    int32_t first = symbols->Primary[window];
    if (first < 0) {
      paired[window] = kPairedLongCode;
      continue;
    }
    uint32_t firstBits = static_cast<uint32_t>(first) & 31u;
    uint32_t firstSymbol = static_cast<uint32_t>(first) >> 5;
    if (firstSymbol >= kDatacompLiteralCount) {
      paired[window] = firstBits | kPairedCopy | (firstSymbol - kDatacompLiteralCount) << 16;
      continue;
    }
    uint32_t entry = firstBits | 1u << 4 | firstSymbol << 8;
    // The second code starts after the first; it counts only when all of its
    // bits are within the window (the rest of the index are zeros, not stream).
    int32_t second = symbols->Primary[(window << firstBits) & mask];
    if (second >= 0) {
      uint32_t secondBits = static_cast<uint32_t>(second) & 31u;
      uint32_t secondSymbol = static_cast<uint32_t>(second) >> 5;
      if (firstBits + secondBits <= bits) {
        if (secondSymbol < kDatacompLiteralCount)
          entry = (firstBits + secondBits) | 2u << 4 | firstSymbol << 8 | secondSymbol << 16;
        else
          entry = (firstBits + secondBits) | 1u << 4 | kPairedCopy | firstSymbol << 8 |
                  (secondSymbol - kDatacompLiteralCount) << 16;
      }
    }
    paired[window] = entry;
  }
}

int32_t ReadCodeLengths(BitReader* reader, uint8_t* lengths, uint32_t count) {
  BitReaderRefill(reader);
  if (BitReaderTake(reader, 1) == 1) {
    for (uint32_t i = 0; i < count; i++) lengths[i] = 0;
    return kDatacompOk;
  }

  uint32_t written = 0;
  if (count <= 128) {
    uint32_t width = BitReaderTake(reader, 5);
    while (written < count) {
      BitReaderRefill(reader);
      uint32_t length = BitReaderTake(reader, width);
      if (length > kDatacompMaxCodeLength) return kDatacompErrorCodeLengths;
      lengths[written++] = static_cast<uint8_t>(length);
      if (length == 0) {
        uint32_t zeros = BitReaderTake(reader, 4);
        if (zeros > count - written) return kDatacompErrorCodeLengths;
        for (uint32_t i = 0; i < zeros; i++) lengths[written++] = 0;
      }
    }
    return kDatacompOk;
  }

  // Longer lists are coded with two small codes whose 128 lengths come first:
  // X gives a length or a repeated length, Y the repeat count.
  uint8_t lengthCodeLengths[128];
  int32_t result = ReadCodeLengths(reader, lengthCodeLengths, 128);
  if (result != kDatacompOk) return result;
  PrefixDecodeTable valueCode;
  PrefixDecodeTable repeatCode;
  result = BuildDecodeTable(lengthCodeLengths, 64, kDatacompLengthPrimaryBits, &valueCode);
  if (result != kDatacompOk) return result;
  result = BuildDecodeTable(lengthCodeLengths + 64, 64, kDatacompLengthPrimaryBits, &repeatCode);
  if (result != kDatacompOk) return result;

  while (written < count) {
    BitReaderRefill(reader);
    uint32_t x = DecodeSymbol(reader, &valueCode);
    if (x <= 31) {
      lengths[written++] = static_cast<uint8_t>(x);
      continue;
    }
    BitReaderRefill(reader);
    uint32_t y = DecodeSymbol(reader, &repeatCode);
    // 64-bit: 2^31 + 33 + (2^31 - 1) must not wrap into a small count.
    uint64_t repeat;
    if (y <= 31) {
      repeat = y + 2;
    } else {
      uint32_t k = y - 32;
      BitReaderRefill(reader);
      repeat = (1ull << k) + 33 + BitReaderTake(reader, k);
    }
    if (repeat > count - written) return kDatacompErrorCodeLengths;
    for (uint64_t i = 0; i < repeat; i++) lengths[written++] = static_cast<uint8_t>(x & 31);
  }
  return kDatacompOk;
}
