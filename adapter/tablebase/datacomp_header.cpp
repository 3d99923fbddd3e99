// Compressed file header: fixed fields, checksum, block sizes and distances,
// and the symbol code. Every count and offset is checked against the bytes
// and the file it describes before anything relies on it.
#include <cstring>

#include "datacomp.h"

namespace {

uint32_t ReadBig32(const uint8_t* bytes) {
  return (static_cast<uint32_t>(bytes[0]) << 24) | (static_cast<uint32_t>(bytes[1]) << 16) |
         (static_cast<uint32_t>(bytes[2]) << 8) | bytes[3];
}

}  // namespace

int32_t CompressedHeaderLength(const uint8_t* bytes, size_t length, uint64_t fileLength,
                               uint32_t* headerLength) {
  if (length < kDatacompFixedHeaderLength) return kDatacompErrorShortHeader;
  if (std::memcmp(bytes, kDatacompBanner, kDatacompBannerLength) != 0) return kDatacompErrorBanner;
  for (uint32_t i = kDatacompBannerLength; i < 64; i++)
    if (bytes[i] != 0) return kDatacompErrorBanner;
  uint32_t h = ReadBig32(bytes + 64);
  uint32_t blockBits = bytes[70];
  if (blockBits > kDatacompMaxBlockBits || h < kDatacompMinHeaderLength ||
      bytes[71] != kDatacompDistanceCount || std::memcmp(bytes + 76, kDatacompMagic, 4) != 0)
    return kDatacompErrorHeaderField;
  if (h > kDatacompMaxHeaderLength || h > fileLength) return kDatacompErrorHeaderLength;
  *headerLength = h;
  return kDatacompOk;
}

int32_t ParseCompressedHeader(const uint8_t* bytes, size_t length, uint64_t fileLength,
                              CompressedHeader* header) {
  uint32_t h = 0;
  int32_t result = CompressedHeaderLength(bytes, length, fileLength, &h);
  if (result != kDatacompOk) return result;
  if (length < h) return kDatacompErrorShortHeader;
  if (Checksum(bytes, h - 4, 0) != ReadBig32(bytes + h - 4)) return kDatacompErrorChecksum;

  uint32_t blockBits = bytes[70];
  uint32_t blockSize = 1u << blockBits;
  uint32_t n = ReadBig32(bytes + 72);
  // Check values, the n + 25 fields and the checksum must all fit in H.
  uint64_t streamStart = kDatacompFixedHeaderLength + 8ull * n;
  uint64_t fieldBits = (static_cast<uint64_t>(n) + 1 + kDatacompDistanceCount) * blockBits;
  if (streamStart + (fieldBits + 7) / 8 + 4 > h) return kDatacompErrorBlockCount;
  size_t streamEnd = h - 4;

  header->HeaderLength = h;
  header->BlockBits = blockBits;
  header->BlockSize = blockSize;
  header->BlockCount = n;
  header->LargestCompressedLength = 0;
  header->Offsets.clear();
  header->Offsets.reserve(static_cast<size_t>(n) + 1);

  BitReader reader;
  BitReaderStart(&reader, bytes + streamStart, streamEnd - static_cast<size_t>(streamStart));
  uint64_t offset = h;
  for (uint32_t i = 0; i < n; i++) {
    BitReaderRefill(&reader);
    uint32_t size = BitReaderTake(&reader, blockBits);
    if (size == 0) size = blockSize;
    header->Offsets.push_back(offset);
    offset += size;
    if (size > header->LargestCompressedLength) header->LargestCompressedLength = size;
  }
  header->Offsets.push_back(offset);
  BitReaderRefill(&reader);
  uint32_t lastLength = BitReaderTake(&reader, blockBits);
  header->LastBlockLength = n == 0 ? 0 : (lastLength == 0 ? blockSize : lastLength);
  for (uint32_t d = 0; d < kDatacompDistanceCount; d++) {
    BitReaderRefill(&reader);
    header->Distances[d] = BitReaderTake(&reader, blockBits);
  }
  if (offset > fileLength) return kDatacompErrorOffsets;

  // The code lengths start at the next byte boundary.
  uint64_t codeStart = streamStart + (BitReaderConsumed(&reader) + 7) / 8;
  BitReaderStart(&reader, bytes + codeStart, streamEnd - static_cast<size_t>(codeStart));
  uint8_t lengths[kDatacompSymbolCount];
  result = ReadCodeLengths(&reader, lengths, kDatacompSymbolCount);
  if (result != kDatacompOk) return result;
  if (BitReaderOverrun(&reader)) return kDatacompErrorHeaderStream;
  result = BuildDecodeTable(lengths, kDatacompSymbolCount, kDatacompPrimaryBits, &header->Symbols);
  if (result != kDatacompOk) return result;
  BuildPairedTable(&header->Symbols, header->Paired);
  return kDatacompOk;
}

uint32_t BlockLength(const CompressedHeader* header, uint32_t block) {
  if (block >= header->BlockCount) return 0;
  return block + 1 == header->BlockCount ? header->LastBlockLength : header->BlockSize;
}

uint64_t CompressedDataLength(const CompressedHeader* header) {
  if (header->BlockCount == 0) return 0;
  return static_cast<uint64_t>(header->BlockCount - 1) * header->BlockSize + header->LastBlockLength;
}

int32_t BlockSpan(const CompressedHeader* header, uint32_t block, uint64_t* offset,
                  uint32_t* length) {
  if (block >= header->BlockCount || header->Offsets.size() != header->BlockCount + 1ull)
    return kDatacompErrorBlockNumber;
  *offset = header->Offsets[block];
  *length = static_cast<uint32_t>(header->Offsets[block + 1] - header->Offsets[block]);
  return kDatacompOk;
}
