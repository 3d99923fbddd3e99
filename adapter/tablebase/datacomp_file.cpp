// Compressed files read through C streams: the header once, blocks on demand.
#include <algorithm>
#include <climits>
#include <vector>

#include "datacomp.h"

namespace {

int32_t SeekTo(std::FILE* file, uint64_t offset) {
  if (offset > static_cast<uint64_t>(LONG_MAX)) return kDatacompErrorSeek;
  return std::fseek(file, static_cast<long>(offset), SEEK_SET) == 0 ? kDatacompOk
                                                                    : kDatacompErrorSeek;
}

}  // namespace

int32_t ReadCompressedHeader(std::FILE* file, CompressedHeader* header) {
  if (std::fseek(file, 0, SEEK_END) != 0) return kDatacompErrorSeek;
  long end = std::ftell(file);
  if (end < 0) return kDatacompErrorSeek;
  uint64_t fileLength = static_cast<uint64_t>(end);
  if (SeekTo(file, 0) != kDatacompOk) return kDatacompErrorSeek;

  uint8_t fixed[kDatacompFixedHeaderLength];
  if (std::fread(fixed, 1, sizeof fixed, file) != sizeof fixed) return kDatacompErrorShortHeader;
  uint32_t h = 0;
  int32_t result = CompressedHeaderLength(fixed, sizeof fixed, fileLength, &h);
  if (result != kDatacompOk) return result;
  std::vector<uint8_t> bytes(h);
  std::copy(fixed, fixed + sizeof fixed, bytes.begin());
  size_t rest = h - kDatacompFixedHeaderLength;
  if (std::fread(bytes.data() + kDatacompFixedHeaderLength, 1, rest, file) != rest)
    return kDatacompErrorShortHeader;
  return ParseCompressedHeader(bytes.data(), bytes.size(), fileLength, header);
}

int32_t ReadCompressedBlock(BlockDecoder* decoder, const CompressedHeader* header, std::FILE* file,
                            uint32_t block, uint8_t* output, uint32_t capacity) {
  uint64_t offset = 0;
  uint32_t length = 0;
  int32_t result = BlockSpan(header, block, &offset, &length);
  if (result != kDatacompOk) return result;
  if (length > kDatacompInputBufferSize) return kDatacompErrorInputSpace;
  if (SeekTo(file, offset) != kDatacompOk) return kDatacompErrorSeek;
  if (std::fread(decoder->Input, 1, length, file) != length) return kDatacompErrorRead;
  decoder->BlockNumber = block;
  decoder->InputLength = length;
  return DecodeBlock(decoder, header, output, capacity);
}
