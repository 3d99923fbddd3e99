// Block decoding: prefix-coded literals and copies from the file's 24 fixed
// distances, or a stored block copied as is. The decoder checks every copy
// against the block's start and end and every bit against the compressed
// block's length, so damaged input gives an error, never a stray access.
#include <cassert>
#include <cstring>

#include "datacomp.h"

namespace {

// Copies length bytes from distance bytes back, in increasing order so that a
// copy overlapping its own output repeats the pattern. Fast paths move whole
// chunks and may write up to 15 bytes past the copy; the caller only takes
// them when the block has that room left.
inline void CopyFast(uint8_t* dst, uint32_t distance, uint32_t length) {
  const uint8_t* src = dst - distance;
  if (distance >= 16) {
    for (uint32_t i = 0; i < length; i += 16) std::memcpy(dst + i, src + i, 16);
  } else if (distance == 1) {
    std::memset(dst, src[0], length);
  } else if (distance >= 8) {
    for (uint32_t i = 0; i < length; i += 8) std::memcpy(dst + i, src + i, 8);
  } else {
    // Short period: after eight single bytes the output repeats with a period
    // that is a multiple of the distance and at least 8, so chunks work again.
    uint32_t i = 0;
    for (; i < 8 && i < length; i++) dst[i] = src[i];
    uint32_t period = distance * ((8 + distance - 1) / distance);
    for (; i < length; i += 8) std::memcpy(dst + i, dst + i - period, 8);
  }
}

inline uint64_t LoadBig64(const uint8_t* bytes) {
  uint64_t word;
  std::memcpy(&word, bytes, 8);
#if defined(__GNUC__) || defined(__clang__)
#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
  word = __builtin_bswap64(word);
#endif
#else
  word = 0;
  for (int i = 0; i < 8; i++) word = (word << 8) | bytes[i];
#endif
  return word;
}

}  // namespace

int32_t DecodeBlockBytes(const CompressedHeader* header, uint32_t block, const uint8_t* input,
                         uint32_t inputLength, uint8_t* output, uint32_t capacity) {
  if (block >= header->BlockCount) return kDatacompErrorBlockNumber;
  const uint32_t outLength = BlockLength(header, block);
  if (capacity < outLength) return kDatacompErrorOutputSpace;
  if (inputLength == outLength) {
    std::memcpy(output, input, outLength);
    return kDatacompOk;
  }
  assert(header->Symbols.PrimaryBits == static_cast<int32_t>(kDatacompPrimaryBits));

  const int16_t* primary = header->Symbols.Primary;
  const int16_t* tree = header->Symbols.Tree;
  const uint32_t* distances = header->Distances;
  const uint64_t inputBits = static_cast<uint64_t>(inputLength) * 8;

  // Bit window: next bits at the top, count valid bits.
  uint64_t window = 0;
  uint32_t count = 0;
  size_t inPos = 0;
  uint32_t outPos = 0;

  while (outPos < outLength) {
    if (inPos + 8 <= inputLength) {
      window |= LoadBig64(input + inPos) >> count;
      inPos += (63 - count) >> 3;
      count |= 56;
    } else {
      // Near the end the stream continues with zero bits; using any of them
      // means the block is damaged.
      if (static_cast<uint64_t>(inPos) * 8 - count > inputBits) return kDatacompErrorBlockStream;
      while (count <= 56) {
        uint64_t byte = inPos < inputLength ? input[inPos] : 0;
        window |= byte << (56 - count);
        inPos++;
        count += 8;
      }
    }

    // A symbol takes at most 31 bits and its extra length bits at most 17:
    // one refill covers both.
    int32_t entry = primary[window >> (64 - kDatacompPrimaryBits)];
    uint32_t symbol;
    if (entry >= 0) {
      uint32_t length = static_cast<uint32_t>(entry) & 31u;
      window <<= length;
      count -= length;
      symbol = static_cast<uint32_t>(entry) >> 5;
    } else {
      window <<= kDatacompPrimaryBits;
      count -= kDatacompPrimaryBits;
      do {
        entry = tree[2 * -entry + static_cast<int32_t>(window >> 63)];
        window <<= 1;
        count -= 1;
      } while (entry < 0);
      symbol = static_cast<uint32_t>(entry);
    }

    if (symbol < kDatacompLiteralCount) {
      output[outPos++] = static_cast<uint8_t>(symbol);
      // Literals often come in pairs: a second one from the primary table
      // (at most 13 bits; at least 25 are left) needs no refill.
      int32_t next = primary[window >> (64 - kDatacompPrimaryBits)];
      if (next >= 0 && (next >> 5) < static_cast<int32_t>(kDatacompLiteralCount) && outPos < outLength) {
        uint32_t length = static_cast<uint32_t>(next) & 31u;
        window <<= length;
        count -= length;
        output[outPos++] = static_cast<uint8_t>(next >> 5);
      }
      continue;
    }

    uint32_t value = symbol - kDatacompLiteralCount;
    uint32_t lengthCode = value & 31u;
    uint32_t copyLength;
    if (lengthCode <= 14) {
      copyLength = lengthCode + 1;
    } else {
      uint32_t k = lengthCode - 14;
      copyLength = (1u << k) + 14 + static_cast<uint32_t>(window >> (64 - k));
      window <<= k;
      count -= k;
    }
    uint32_t distance = distances[value >> 5];
    if (distance == 0 || distance > outPos) return kDatacompErrorCopyDistance;
    uint32_t room = outLength - outPos;
    if (copyLength > room) copyLength = room;  // a copy past the block's end is cut there
    uint8_t* dst = output + outPos;
    if (copyLength + 16 <= room) {
      CopyFast(dst, distance, copyLength);
    } else {
      const uint8_t* src = dst - distance;
      for (uint32_t i = 0; i < copyLength; i++) dst[i] = src[i];
    }
    outPos += copyLength;
  }
  if (static_cast<uint64_t>(inPos) * 8 - count > inputBits) return kDatacompErrorBlockStream;
  return kDatacompOk;
}

int32_t DecodeBlock(const BlockDecoder* decoder, const CompressedHeader* header, uint8_t* output,
                    uint32_t capacity) {
  if (decoder->InputLength > kDatacompInputBufferSize) return kDatacompErrorInputSpace;
  return DecodeBlockBytes(header, decoder->BlockNumber, decoder->Input, decoder->InputLength,
                          output, capacity);
}

int32_t ExtractBlock(const CompressedHeader* header, const uint8_t* file, uint64_t fileLength,
                     uint32_t block, uint8_t* output, uint32_t capacity) {
  uint64_t offset = 0;
  uint32_t length = 0;
  int32_t result = BlockSpan(header, block, &offset, &length);
  if (result != kDatacompOk) return result;
  if (offset > fileLength || length > fileLength - offset) return kDatacompErrorOffsets;
  return DecodeBlockBytes(header, block, file + offset, length, output, capacity);
}
