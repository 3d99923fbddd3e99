// Header checks: every field the reader relies on is rejected when wrong.
#include <gtest/gtest.h>

#include "datacomp_test_util.h"

namespace {

std::vector<uint8_t> SmallFile() {
  std::vector<uint8_t> data;
  SynthesiseTable(0, &data);
  data.resize(3 * 8192 + 500);
  return PackOrDie(data);
}

int32_t Parse(const std::vector<uint8_t>& file) {
  std::unique_ptr<CompressedHeader> header(new CompressedHeader);
  return ParseCompressedHeader(file.data(), file.size(), file.size(), header.get());
}

}  // namespace

TEST(DatacompHeader, FixedFieldsAreChecked) {
  const std::vector<uint8_t> good = SmallFile();
  ASSERT_EQ(Parse(good), kDatacompOk);
  struct Change {
    size_t At;
    uint8_t Value;
    int32_t Expected;
  };
  const Change changes[] = {
      {0, 'X', kDatacompErrorBanner},        {59, '\r', kDatacompErrorBanner},
      {61, 1, kDatacompErrorBanner},         {71, 23, kDatacompErrorHeaderField},
      {71, 25, kDatacompErrorHeaderField},   {70, 17, kDatacompErrorHeaderField},
      {76, 0x01, kDatacompErrorHeaderField}, {77, 0x41, kDatacompErrorHeaderField},
      {78, 0x00, kDatacompErrorHeaderField}, {79, 0xF4, kDatacompErrorHeaderField},
      {68, 0xFF, kDatacompOk},               {69, 0x12, kDatacompErrorChecksum},
  };
  for (const Change& change : changes) {
    std::vector<uint8_t> file = good;
    file[change.At] = change.Value;
    if (change.Expected == kDatacompOk) Rechecksum(&file);
    EXPECT_EQ(Parse(file), change.Expected) << change.At;
  }
}

TEST(DatacompHeader, HeaderLengthIsChecked) {
  const std::vector<uint8_t> good = SmallFile();
  std::vector<uint8_t> file = good;
  file[64] = file[65] = file[66] = 0;
  file[67] = 83;
  EXPECT_EQ(Parse(file), kDatacompErrorHeaderField);
  file = good;
  file[64] = 0x7F;  // far beyond the file
  EXPECT_EQ(Parse(file), kDatacompErrorHeaderLength);
  // A header longer than the bytes at hand.
  std::unique_ptr<CompressedHeader> header(new CompressedHeader);
  EXPECT_EQ(ParseCompressedHeader(good.data(), WordAt(good, 64) - 1, good.size(), header.get()),
            kDatacompErrorShortHeader);
  EXPECT_EQ(ParseCompressedHeader(good.data(), 79, good.size(), header.get()), kDatacompErrorShortHeader);
}

TEST(DatacompHeader, ChecksumCoversEveryByte) {
  const std::vector<uint8_t> good = SmallFile();
  uint32_t h = WordAt(good, 64);
  for (uint32_t at = 80; at < h; at++) {
    std::vector<uint8_t> file = good;
    file[at] ^= 0x10;
    EXPECT_EQ(Parse(file), kDatacompErrorChecksum) << at;
  }
}

TEST(DatacompHeader, AbsurdBlockCounts) {
  const std::vector<uint8_t> good = SmallFile();
  for (uint32_t n : {100u, 0x10000000u, 0xFFFFFFFFu}) {
    std::vector<uint8_t> file = good;
    for (int i = 0; i < 4; i++) file[72 + i] = static_cast<uint8_t>(n >> (24 - 8 * i));
    Rechecksum(&file);
    EXPECT_LT(Parse(file), 0) << n;
  }
  // Block sizes that reach past the end of the file.
  std::vector<uint8_t> truncated(good.begin(), good.end() - 1);
  EXPECT_EQ(Parse(truncated), kDatacompErrorOffsets);
}

TEST(DatacompHeader, EmptyFileHasNoBlocks) {
  std::vector<uint8_t> file = PackOrDie({});
  std::unique_ptr<CompressedHeader> header(new CompressedHeader);
  ASSERT_EQ(ParseCompressedHeader(file.data(), file.size(), file.size(), header.get()), kDatacompOk);
  EXPECT_EQ(header->BlockCount, 0u);
  EXPECT_EQ(CompressedDataLength(header.get()), 0u);
  uint8_t out[16];
  EXPECT_EQ(ExtractBlock(header.get(), file.data(), file.size(), 0, out, sizeof out), kDatacompErrorBlockNumber);
}
