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
  const uint32_t* distances = header->Distances;

  BitReader reader;
  BitReaderStart(&reader, input, inputLength);
  uint32_t outPos = 0;

  while (outPos < outLength) {
    if (BitReaderCanLoadWord(&reader)) {
      BitReaderRefillWord(&reader);
    } else {
      // Near the end the stream continues with zero bits; using any of them
      // means the block is damaged.
      if (BitReaderOverrun(&reader)) return kDatacompErrorBlockStream;
      BitReaderRefillBytes(&reader);
    }

    // A symbol takes at most 31 bits and its extra length bits at most 17:
    // one refill covers both.
    uint32_t symbol = DecodeSymbolWith(&reader, &header->Symbols, kDatacompPrimaryBits);
    if (symbol < kDatacompLiteralCount) {
      output[outPos++] = static_cast<uint8_t>(symbol);
      // Literals often come in pairs: a second one from the primary table
      // (at most 13 bits; at least 25 are left) needs no refill.
      int32_t next = primary[BitReaderPeek(&reader, kDatacompPrimaryBits)];
      if (next >= 0 && (next >> 5) < static_cast<int32_t>(kDatacompLiteralCount) && outPos < outLength) {
        BitReaderSkip(&reader, static_cast<uint32_t>(next) & 31u);
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
      copyLength = (1u << k) + 14 + BitReaderTake(&reader, k);
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
  if (BitReaderOverrun(&reader)) return kDatacompErrorBlockStream;
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
