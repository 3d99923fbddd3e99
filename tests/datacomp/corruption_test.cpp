// Damaged files: every error is reported and nothing is touched outside the
// buffers. Each block is decoded into a buffer of exactly its size, so that
// the sanitizer build sees any stray write.
#include <gtest/gtest.h>

#include "datacomp_test_util.h"

namespace {

// Decodes every block of a damaged image; the result is 0 or an error code.
int32_t DecodeEachBlock(const std::vector<uint8_t>& file, size_t fileLength) {
  std::vector<uint8_t> bytes(file.begin(), file.begin() + fileLength);
  std::unique_ptr<CompressedHeader> header(new CompressedHeader);
  int32_t result = ParseCompressedHeader(bytes.data(), bytes.size(), bytes.size(), header.get());
  if (result != kDatacompOk) return result;
  for (uint32_t b = 0; b < header->BlockCount && b < 64; b++) {
    uint64_t offset = 0;
    uint32_t length = 0;
    EXPECT_EQ(BlockSpan(header.get(), b, &offset, &length), kDatacompOk);
    EXPECT_LE(offset + length, bytes.size());
    std::vector<uint8_t> input(bytes.begin() + static_cast<long>(offset), bytes.begin() + static_cast<long>(offset + length));
    std::vector<uint8_t> output(BlockLength(header.get(), b));
    result = DecodeBlockBytes(header.get(), b, input.data(), length, output.data(), static_cast<uint32_t>(output.size()));
    if (result != kDatacompOk) return result;
  }
  return kDatacompOk;
}

std::vector<uint8_t> PackedTable(size_t length) {
  std::vector<uint8_t> data;
  SynthesiseTable(3, &data);
  data.resize(length);
  return PackOrDie(data);
}

uint64_t Next(uint64_t* state) {
  *state = *state * 6364136223846793005ull + 1442695040888963407ull;
  return *state >> 33;
}

}  // namespace

TEST(DatacompCorruption, EveryTruncationIsAnError) {
  std::vector<uint8_t> file = PackedTable(2 * 8192 + 300);
  ASSERT_EQ(DecodeEachBlock(file, file.size()), kDatacompOk);
  for (size_t length = 0; length < file.size(); length++) {
    int32_t result = DecodeEachBlock(file, length);
    EXPECT_LT(result, 0) << length;
  }
}

TEST(DatacompCorruption, DamagedBlocksStayInBounds) {
  std::vector<uint8_t> file = PackedTable(4 * 8192);
  std::unique_ptr<CompressedHeader> header(new CompressedHeader);
  ASSERT_EQ(ParseCompressedHeader(file.data(), file.size(), file.size(), header.get()), kDatacompOk);
  uint64_t state = 1;
  size_t errors = 0;
  for (int trial = 0; trial < 3000; trial++) {
    std::vector<uint8_t> damaged = file;
    int changes = 1 + static_cast<int>(Next(&state) % 4);
    for (int c = 0; c < changes; c++) {
      size_t at = header->HeaderLength + Next(&state) % (file.size() - header->HeaderLength);
      damaged[at] = static_cast<uint8_t>(Next(&state));
    }
    int32_t result = DecodeEachBlock(damaged, damaged.size());
    EXPECT_LE(result, 0);
    errors += result < 0;
  }
  // Most damage breaks a copy or the stream's length.
  EXPECT_GT(errors, 100u);
}

TEST(DatacompCorruption, DamagedHeadersStayInBounds) {
  // Changes inside the header with the checksum put right again, so that the
  // size fields, distances and code lengths are read as damaged.
  std::vector<uint8_t> file = PackedTable(3 * 8192 + 17);
  const uint32_t h = WordAt(file, 64);
  uint64_t state = 2;
  for (int trial = 0; trial < 3000; trial++) {
    std::vector<uint8_t> damaged = file;
    int changes = 1 + static_cast<int>(Next(&state) % 3);
    for (int c = 0; c < changes; c++) {
      size_t at = 64 + Next(&state) % (h - 68);
      damaged[at] ^= static_cast<uint8_t>(1u << (Next(&state) % 8));
    }
    Rechecksum(&damaged);
    EXPECT_LE(DecodeEachBlock(damaged, damaged.size()), 0);
  }
}

TEST(DatacompCorruption, BlockErrorsAreReported) {
  const uint32_t copy = CraftedFile::CopySymbol(0, 0);
  int32_t result;
  std::vector<uint8_t> out;
  {
    // A copy as the block's first symbol reaches before its start.
    CraftedFile f({{'A', 1}, {copy, 1}});
    f.Symbol(copy);
    f.Symbol('A');
    f.EndBlock(2);
    EXPECT_EQ(DecodeImage(f.Image(), &out), kDatacompErrorCopyDistance);
  }
  {
    // Distance 5 after two bytes.
    CraftedFile f({{'A', 1}, {copy, 1}}, {5});
    f.Symbol('A');
    f.Symbol('A');
    f.Symbol(copy);
    f.EndBlock(3);
    EXPECT_EQ(DecodeImage(f.Image(), &out), kDatacompErrorCopyDistance);
  }
  {
    // Distance 0 would copy the byte being written.
    CraftedFile f({{'A', 1}, {copy, 1}}, {0});
    f.Symbol('A');
    f.Symbol(copy);
    f.EndBlock(2);
    EXPECT_EQ(DecodeImage(f.Image(), &out), kDatacompErrorCopyDistance);
  }
  {
    // Eight one-bit symbols in one byte cannot make a block of 100.
    CraftedFile f({{'A', 1}, {'B', 1}});
    for (int i = 0; i < 8; i++) f.Symbol('A');
    f.EndBlock(100);
    result = DecodeImage(f.Image(), &out);
    EXPECT_EQ(result, kDatacompErrorBlockStream);
  }
  {
    CraftedFile f({{'A', 1}, {'B', 1}});
    for (int i = 0; i < 16; i++) f.Symbol('B');
    f.EndBlock(16);  // two bytes of stream for sixteen bytes: coded, not stored
    std::vector<uint8_t> file = f.Image();
    ASSERT_EQ(DecodeImage(file, &out), kDatacompOk);
    EXPECT_EQ(out, std::vector<uint8_t>(16, 'B'));
    std::unique_ptr<CompressedHeader> header(new CompressedHeader);
    ASSERT_EQ(ParseCompressedHeader(file.data(), file.size(), file.size(), header.get()), kDatacompOk);
    uint8_t small[15];
    EXPECT_EQ(ExtractBlock(header.get(), file.data(), file.size(), 0, small, 15), kDatacompErrorOutputSpace);
    EXPECT_EQ(ExtractBlock(header.get(), file.data(), file.size(), 1, small, 15), kDatacompErrorBlockNumber);
    EXPECT_EQ(ExtractBlock(header.get(), file.data(), file.size() - 1, 0, small, 15), kDatacompErrorOffsets);
    std::unique_ptr<BlockDecoder> decoder(new BlockDecoder);
    decoder->BlockNumber = 0;
    decoder->InputLength = kDatacompInputBufferSize + 1;
    EXPECT_EQ(DecodeBlock(decoder.get(), header.get(), small, 15), kDatacompErrorInputSpace);
  }
}

TEST(DatacompCorruption, GarbageBlocksWithAValidCode) {
  std::vector<uint8_t> file = PackedTable(8192);
  std::unique_ptr<CompressedHeader> header(new CompressedHeader);
  ASSERT_EQ(ParseCompressedHeader(file.data(), file.size(), file.size(), header.get()), kDatacompOk);
  uint64_t state = 3;
  for (int trial = 0; trial < 2000; trial++) {
    std::vector<uint8_t> input(1 + Next(&state) % 600);
    for (uint8_t& b : input) b = static_cast<uint8_t>(Next(&state));
    std::vector<uint8_t> output(8192);
    int32_t result = DecodeBlockBytes(header.get(), 0, input.data(), static_cast<uint32_t>(input.size()),
                                      output.data(), static_cast<uint32_t>(output.size()));
    EXPECT_LE(result, 0);
  }
}
