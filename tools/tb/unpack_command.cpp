// obrantule-tb unpack: restores the original of a DATACOMP file, block by
// block through the same reader the prober uses.
#include <cstdio>
#include <memory>
#include <string>

#include "datacomp.h"
#include "table_file.h"
#include "tb_commands.h"

int RunUnpack(int argc, char** argv) {
  if (argc != 2) return CommandUsage("unpack");
  std::string in = argv[0];
  std::string out = argv[1];
  TableFile* file = TableFileOpen(in.c_str());
  if (!file) {
    std::fprintf(stderr, "obrantule-tb unpack: cannot open %s\n", in.c_str());
    return 1;
  }
  std::unique_ptr<CompressedHeader> header(new CompressedHeader);
  std::unique_ptr<BlockDecoder> decoder(new BlockDecoder);
  int32_t result = ReadCompressedHeader(file, header.get());
  std::vector<uint8_t> data;
  if (result == kDatacompOk && CompressedDataLength(header.get()) > 0xFFFFFFFFull) result = kDatacompErrorHeaderField;
  if (result == kDatacompOk) {
    data.resize(static_cast<size_t>(CompressedDataLength(header.get())));
    for (uint32_t b = 0; b < header->BlockCount && result == kDatacompOk; b++) {
      uint8_t* output = data.data() + static_cast<size_t>(b) * header->BlockSize;
      result = ReadCompressedBlock(decoder.get(), header.get(), file, b, output, BlockLength(header.get(), b));
      if (result != kDatacompOk)
        std::fprintf(stderr, "obrantule-tb unpack: %s: block %u: %s\n", in.c_str(), b, DatacompErrorText(result));
    }
  } else {
    std::fprintf(stderr, "obrantule-tb unpack: %s: %s\n", in.c_str(), DatacompErrorText(result));
  }
  TableFileClose(file);
  if (result != kDatacompOk) return 1;
  if (!WriteWholeFile(out, data)) return 1;
  std::printf("%s: %llu bytes restored to %s\n", in.c_str(), static_cast<unsigned long long>(data.size()), out.c_str());
  return 0;
}
