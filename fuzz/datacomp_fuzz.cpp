// libFuzzer target for the DATACOMP reader: the header parser and the block
// decoder, each fed directly.
//
// First input byte: even = a whole file (the harness puts the banner and the
// header checksum right, so that mutations reach the fields behind them);
// odd = one compressed block, decoded with the code of a fixed table-like
// file. Every block is decoded into a buffer of exactly its size, so the
// sanitizers catch any access outside it.
//
// With DATACOMP_FUZZ_SEEDS=dir set, the target writes its seed corpus there
// and exits.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "datacomp.h"
#include "datacomp_repair.h"
#include "datacomp_writer.h"

namespace {

std::vector<uint8_t> gFixedFile;
CompressedHeader* gFixedHeader = nullptr;

void WriteSeed(const std::string& dir, const char* name, uint8_t mode, const std::vector<uint8_t>& body) {
  std::string path = dir + "/" + name;
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return;
  std::fputc(mode, f);
  std::fwrite(body.data(), 1, body.size(), f);
  std::fclose(f);
}

void WriteSeeds(const std::string& dir) {
  std::vector<uint8_t> file;
  auto pack = [&](const std::vector<uint8_t>& data) {
    PackData(data.data(), data.size(), nullptr, &file, nullptr);
    return file;
  };
  WriteSeed(dir, "file-empty", 0, pack({}));
  WriteSeed(dir, "file-zeros", 0, pack(std::vector<uint8_t>(9000, 0)));
  std::vector<uint8_t> mixed;
  for (uint32_t i = 0; i < 12000; i++) mixed.push_back(static_cast<uint8_t>((i * i) >> 7));
  WriteSeed(dir, "file-mixed", 0, pack(mixed));
  std::vector<uint8_t> table;
  SynthesiseTable(1, &table);
  table.resize(20000);
  WriteSeed(dir, "file-table", 0, pack(table));
  // Blocks of the fixed file, with their block numbers.
  for (uint32_t b = 0; b < gFixedHeader->BlockCount && b < 3; b++) {
    uint64_t offset = gFixedHeader->Offsets[b];
    uint64_t end = gFixedHeader->Offsets[b + 1];
    std::vector<uint8_t> body = {static_cast<uint8_t>(b)};
    body.insert(body.end(), gFixedFile.begin() + static_cast<long>(offset), gFixedFile.begin() + static_cast<long>(end));
    std::string name = "block-" + std::to_string(b);
    WriteSeed(dir, name.c_str(), 1, body);
  }
}

void DecodeFile(const uint8_t* data, size_t size) {
  std::vector<uint8_t> file(data, data + size);
  RepairDatacompHeader(&file);
  std::unique_ptr<CompressedHeader> header(new CompressedHeader);
  if (ParseCompressedHeader(file.data(), file.size(), file.size(), header.get()) != kDatacompOk) return;
  for (uint32_t b = 0; b < header->BlockCount && b < 16; b++) {
    std::vector<uint8_t> output(BlockLength(header.get(), b));
    ExtractBlock(header.get(), file.data(), file.size(), b, output.data(), static_cast<uint32_t>(output.size()));
  }
}

void DecodeOneBlock(const uint8_t* data, size_t size) {
  if (size < 1) return;
  uint32_t block = data[0] % gFixedHeader->BlockCount;
  size_t length = size - 1;
  if (length > kDatacompInputBufferSize) length = kDatacompInputBufferSize;
  std::vector<uint8_t> input(data + 1, data + 1 + length);
  std::vector<uint8_t> output(BlockLength(gFixedHeader, block));
  DecodeBlockBytes(gFixedHeader, block, input.data(), static_cast<uint32_t>(input.size()), output.data(),
                   static_cast<uint32_t>(output.size()));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  std::vector<uint8_t> table;
  SynthesiseTable(0, &table);
  table.resize(5 * kDatacompTableBlockSize + 999);
  PackData(table.data(), table.size(), nullptr, &gFixedFile, nullptr);
  gFixedHeader = new CompressedHeader;
  if (ParseCompressedHeader(gFixedFile.data(), gFixedFile.size(), gFixedFile.size(), gFixedHeader) != kDatacompOk)
    std::abort();
  if (const char* dir = std::getenv("DATACOMP_FUZZ_SEEDS")) {
    WriteSeeds(dir);
    std::exit(0);
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  if (data[0] & 1)
    DecodeOneBlock(data + 1, size - 1);
  else
    DecodeFile(data + 1, size - 1);
  return 0;
}
