// Compressed files read through the prober's file layer: the header once,
// blocks on demand.
#include <new>

#include "datacomp.h"
#include "table_file.h"

int32_t ReadCompressedHeader(TableFile* file, CompressedHeader* header) {
  int64_t fileLength = TableFileLength(file);
  if (fileLength < 0 || TableFileSeek(file, 0) != 0) return kDatacompErrorSeek;
  uint8_t fixed[kDatacompFixedHeaderLength];
  if (TableFileRead(file, fixed, sizeof fixed) != static_cast<int64_t>(sizeof fixed)) return kDatacompErrorShortHeader;
  uint32_t h = 0;
  int32_t result = CompressedHeaderLength(fixed, sizeof fixed, static_cast<uint64_t>(fileLength), &h);
  if (result != kDatacompOk) return result;
  // H is bounded by the file and by kDatacompMaxHeaderLength, but a damaged
  // file may still ask for more than there is memory.
  uint8_t* bytes = new (std::nothrow) uint8_t[h];
  if (!bytes) return kDatacompErrorMemory;
  if (TableFileSeek(file, 0) != 0 || TableFileRead(file, bytes, h) != static_cast<int64_t>(h)) {
    result = kDatacompErrorShortHeader;
  } else {
    result = ParseCompressedHeader(bytes, h, static_cast<uint64_t>(fileLength), header);
  }
  delete[] bytes;
  return result;
}

int32_t ReadCompressedBlockBytes(BlockDecoder* decoder, const CompressedHeader* header, TableFile* file,
                                 uint32_t block) {
  uint64_t offset = 0;
  uint32_t length = 0;
  int32_t result = BlockSpan(header, block, &offset, &length);
  if (result != kDatacompOk) return result;
  if (length > kDatacompInputBufferSize) return kDatacompErrorInputSpace;
  if (TableFileSeek(file, offset) != 0) return kDatacompErrorSeek;
  if (TableFileRead(file, decoder->Input, length) != static_cast<int64_t>(length)) return kDatacompErrorRead;
  decoder->BlockNumber = block;
  decoder->InputLength = length;
  return kDatacompOk;
}

int32_t ReadCompressedBlock(BlockDecoder* decoder, const CompressedHeader* header, TableFile* file,
                            uint32_t block, uint8_t* output, uint32_t capacity) {
  int32_t result = ReadCompressedBlockBytes(decoder, header, file, block);
  if (result != kDatacompOk) return result;
  return DecodeBlock(decoder, header, output, capacity);
}
