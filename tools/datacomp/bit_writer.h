// Big-endian bit stream writer, most significant bit first.
#pragma once

#include <cassert>
#include <cstdint>
#include <vector>

struct BitWriter {
  std::vector<uint8_t>* Bytes;
  uint64_t Pending;  // bits not yet written, right-aligned
  uint32_t Count;    // number of pending bits (< 8 between calls)
};

inline void BitWriterStart(BitWriter* writer, std::vector<uint8_t>* bytes) {
  writer->Bytes = bytes;
  writer->Pending = 0;
  writer->Count = 0;
}

inline void BitWriterPut(BitWriter* writer, uint32_t value, uint32_t bits) {
  assert(bits <= 32);
  assert(bits == 32 || (value >> bits) == 0);
  if (bits == 0) return;
  writer->Pending = (writer->Pending << bits) | value;
  writer->Count += bits;
  while (writer->Count >= 8) {
    writer->Count -= 8;
    writer->Bytes->push_back(static_cast<uint8_t>(writer->Pending >> writer->Count));
  }
  writer->Pending &= (1ull << writer->Count) - 1;
}

// Pads the last byte with zero bits.
inline void BitWriterFlush(BitWriter* writer) {
  if (writer->Count > 0) BitWriterPut(writer, 0, 8 - writer->Count);
}
