// Big-endian bit stream reader, most significant bit first: the one reader of
// every DATACOMP bit stream (header fields, code lengths, blocks).
//
// The window holds the next bits at its top. Refills never read outside the
// given bytes: past their end the stream continues with zero bits, and the
// consumed count tells whether a decode used any of them (a damaged stream).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

struct BitReader {
  const uint8_t* Bytes;
  size_t Length;    // readable bytes
  size_t Position;  // next byte to enter the window (may pass Length: zero bytes)
  uint64_t Window;  // next bits, most significant first
  uint32_t Count;   // valid bits in the window
};

inline void BitReaderStart(BitReader* reader, const uint8_t* bytes, size_t length) {
  reader->Bytes = bytes;
  reader->Length = length;
  reader->Position = 0;
  reader->Window = 0;
  reader->Count = 0;
}

inline uint64_t LoadBig64(const uint8_t* bytes) {
  uint64_t word;
  std::memcpy(&word, bytes, 8);
#if (defined(__GNUC__) || defined(__clang__)) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
  return __builtin_bswap64(word);
#elif (defined(__GNUC__) || defined(__clang__)) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
  return word;
#else
  word = 0;
  for (int i = 0; i < 8; i++) word = (word << 8) | bytes[i];
  return word;
#endif
}

// True while a whole 8-byte load fits in the bytes: the fast refill applies.
inline bool BitReaderCanLoadWord(const BitReader* reader) { return reader->Position + 8 <= reader->Length; }

// Tops the window up to at least 56 bits with one load (BitReaderCanLoadWord).
inline void BitReaderRefillWord(BitReader* reader) {
  reader->Window |= LoadBig64(reader->Bytes + reader->Position) >> reader->Count;
  reader->Position += (63 - reader->Count) >> 3;
  reader->Count |= 56;
}

// Tops the window up to at least 56 bits byte by byte, zeros past the end.
inline void BitReaderRefillBytes(BitReader* reader) {
  while (reader->Count <= 56) {
    uint64_t byte = reader->Position < reader->Length ? reader->Bytes[reader->Position] : 0;
    reader->Window |= byte << (56 - reader->Count);
    reader->Position++;
    reader->Count += 8;
  }
}

// Tops the window up to at least 56 bits.
inline void BitReaderRefill(BitReader* reader) {
  if (BitReaderCanLoadWord(reader))
    BitReaderRefillWord(reader);
  else
    BitReaderRefillBytes(reader);
}

// The next n bits (n <= 32, and no more than the window holds).
inline uint32_t BitReaderPeek(const BitReader* reader, uint32_t n) {
  return n == 0 ? 0u : static_cast<uint32_t>(reader->Window >> (64 - n));
}

inline void BitReaderSkip(BitReader* reader, uint32_t n) {
  reader->Window <<= n;
  reader->Count -= n;
}

inline uint32_t BitReaderTake(BitReader* reader, uint32_t n) {
  uint32_t value = BitReaderPeek(reader, n);
  BitReaderSkip(reader, n);
  return value;
}

// Bits consumed since the start.
inline uint64_t BitReaderConsumed(const BitReader* reader) {
  return static_cast<uint64_t>(reader->Position) * 8 - reader->Count;
}

// True when the decode consumed bits beyond the readable bytes.
inline bool BitReaderOverrun(const BitReader* reader) {
  return BitReaderConsumed(reader) > static_cast<uint64_t>(reader->Length) * 8;
}
