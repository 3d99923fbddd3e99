// Block decoding: prefix-coded literals and copies from the file's 24 fixed
// distances, or a stored block copied as is. The decoder checks every copy
// against the block's start and end and every bit against the compressed
// block's length, so damaged input gives an error, never a stray access.
#include <cassert>
#include <cstring>

#include "datacomp.h"

namespace {

// Period of an overlapping copy once its first eight bytes are out: the
// smallest multiple of the distance that is at least 8 (distances 1..7).
constexpr uint8_t kShortPeriod[8] = {0, 8, 8, 9, 8, 10, 12, 14};
// Where bytes 4..7 of such a copy can be read once bytes 0..3 are out: an
// offset x from the source with x = 4 (mod distance), so that the bytes
// repeat the right ones, and x <= distance, so that all four are written.
constexpr uint8_t kSecondHalfSource[8] = {0, 0, 0, 1, 0, 4, 4, 4};

// Copies length bytes from distance bytes back, in increasing order so that a
// copy overlapping its own output repeats the pattern. It moves whole chunks
// and may write up to 15 bytes past the copy; the caller only takes it when
// the block has that room left.
inline void CopyFast(uint8_t* dst, uint32_t distance, uint32_t length) {
  const uint8_t* src = dst - distance;
  if (length <= 8 && distance >= length) {
    // The common short copy: one word. Bytes of the word past the copy may
    // come from the copy's own unwritten output; they are written over later.
    uint64_t word;
    std::memcpy(&word, src, 8);
    std::memcpy(dst, &word, 8);
  } else if (distance >= 16) {
    uint32_t i = 0;
    do {
      std::memcpy(dst + i, src + i, 16);
      i += 16;
    } while (i < length);
  } else if (distance >= 8) {
    uint32_t i = 0;
    do {
      std::memcpy(dst + i, src + i, 8);
      i += 8;
    } while (i < length);
  } else if (distance == 1) {
    std::memset(dst, src[0], length < 16 ? 16 : length);
  } else {
    // Short period: the first eight bytes as four single bytes and a word
    // read from bytes already written; after that the output repeats with a
    // period that is a multiple of the distance and at least 8, so chunks
    // work again.
    dst[0] = src[0];
    dst[1] = src[1];
    dst[2] = src[2];
    dst[3] = src[3];
    uint32_t half;
    std::memcpy(&half, src + kSecondHalfSource[distance], 4);
    std::memcpy(dst + 4, &half, 4);
    const uint32_t period = kShortPeriod[distance];
    for (uint32_t i = 8; i < length; i += 8) std::memcpy(dst + i, dst + i - period, 8);
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

  const uint32_t* paired = header->Paired;
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

    // A symbol takes at most 31 bits and its extra length bits at most 17;
    // a paired entry at most 13 and the extra bits: the window holds them.
    uint32_t entry = paired[BitReaderPeek(&reader, kDatacompPrimaryBits)];
    uint32_t value;
    if ((entry & kPairedLongCode) == 0 && outLength - outPos >= 2) {
      // Both literal slots are written whatever the entry holds: a slot it
      // does not fill lies inside the block and is written again by the
      // copy or the symbols after it.
      BitReaderSkip(&reader, entry & 15u);
      output[outPos] = static_cast<uint8_t>(entry >> 8);
      output[outPos + 1] = static_cast<uint8_t>(entry >> 16);
      outPos += (entry >> 4) & 3u;
      if ((entry & kPairedCopy) == 0) continue;
      value = (entry >> 16) & 1023u;
    } else {
      // A long code, or the block's last byte: one symbol at a time.
      uint32_t symbol = DecodeSymbolWith(&reader, &header->Symbols, kDatacompPrimaryBits);
      if (symbol < kDatacompLiteralCount) {
        output[outPos++] = static_cast<uint8_t>(symbol);
        continue;
      }
      value = symbol - kDatacompLiteralCount;
    }

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
      // A copy reaching into the block's last 16 bytes (often one long run
      // filling the rest of the block): chunks for all but its last 16 bytes,
      // then single bytes, so nothing is written past the block. The chunks'
      // stray bytes past their part are rewritten by the byte loop in order.
      uint32_t i = 0;
      if (copyLength > 16) {
        i = copyLength - 16;
        CopyFast(dst, distance, i);
      }
      const uint8_t* src = dst - distance;
      for (; i < copyLength; i++) dst[i] = src[i];
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
