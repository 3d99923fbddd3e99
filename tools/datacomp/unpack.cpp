// Restoring a file image held in memory.
#include <memory>

#include "datacomp_writer.h"

int32_t UnpackData(const uint8_t* file, size_t length, std::vector<uint8_t>* data) {
  std::unique_ptr<CompressedHeader> header(new CompressedHeader);
  int32_t result = ParseCompressedHeader(file, length, length, header.get());
  if (result != kDatacompOk) return result;
  // Every block holds at least one byte of the file, so the data is bounded
  // by the file; still, no table is 4 GiB.
  uint64_t total = CompressedDataLength(header.get());
  if (total > 0xFFFFFFFFull) return kDatacompErrorHeaderField;
  data->assign(static_cast<size_t>(total), 0);
  for (uint32_t b = 0; b < header->BlockCount; b++) {
    uint8_t* output = data->data() + static_cast<size_t>(b) * header->BlockSize;
    result = ExtractBlock(header.get(), file, length, b, output, BlockLength(header.get(), b));
    if (result != kDatacompOk) return result;
  }
  return kDatacompOk;
}
