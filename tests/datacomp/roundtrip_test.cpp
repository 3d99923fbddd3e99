// Compressor and decoder together: every input comes back byte for byte,
// through the in-memory reader and through the file reader.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "../common/test_support.h"
#include "datacomp_test_util.h"
#include "table_file.h"

namespace {

void ExpectRoundTrip(const std::vector<uint8_t>& data, const PackOptions* options = nullptr) {
  std::vector<uint8_t> file;
  PackStats stats;
  ASSERT_EQ(PackData(data.data(), data.size(), options, &file, &stats), kDatacompOk);
  EXPECT_EQ(stats.OutputLength, file.size());
  EXPECT_EQ(stats.BlockCount, (data.size() + 8191) / 8192);
  std::vector<uint8_t> back;
  ASSERT_EQ(DecodeImage(file, &back), kDatacompOk);
  ASSERT_EQ(back.size(), data.size());
  EXPECT_TRUE(back == data);
  std::vector<uint8_t> unpacked;
  ASSERT_EQ(UnpackData(file.data(), file.size(), &unpacked), kDatacompOk);
  EXPECT_TRUE(unpacked == data);
}

std::vector<uint8_t> Periodic(size_t length, size_t period, uint32_t seed) {
  std::vector<uint8_t> pattern = RandomBytes(seed, period);
  std::vector<uint8_t> data(length);
  for (size_t i = 0; i < length; i++) data[i] = pattern[i % period];
  return data;
}

}  // namespace

TEST(DatacompRoundTrip, SmallDegenerateAndBlockBoundaryInputs) {
  ExpectRoundTrip({});
  ExpectRoundTrip({0x42});
  ExpectRoundTrip({0, 0});
  ExpectRoundTrip(std::vector<uint8_t>(100000, 0));
  ExpectRoundTrip(RandomBytes(2, 17));
  for (size_t length : {1u, 8191u, 8192u, 8193u, 16383u, 16384u, 16385u, 3u * 8192u + 1u}) {
    SCOPED_TRACE(length);
    ExpectRoundTrip(RandomBytes(static_cast<uint32_t>(length), length, 4));
    ExpectRoundTrip(RandomBytes(static_cast<uint32_t>(length), length));
    ExpectRoundTrip(std::vector<uint8_t>(length, 0x7F));
  }
}

TEST(DatacompRoundTrip, RandomDataIsStored) {
  std::vector<uint8_t> data = RandomBytes(7, 5 * 8192 + 100);
  std::vector<uint8_t> file;
  PackStats stats;
  ASSERT_EQ(PackData(data.data(), data.size(), nullptr, &file, &stats), kDatacompOk);
  EXPECT_EQ(stats.StoredBlocks, 6u);
  // Stored blocks cost nothing beyond the header.
  EXPECT_EQ(file.size(), stats.HeaderLength + data.size());
  ExpectRoundTrip(data);
}

TEST(DatacompRoundTrip, RunsAndPeriodicData) {
  std::vector<uint8_t> runs;
  std::vector<uint8_t> lengths = RandomBytes(3, 2000);
  for (size_t i = 0; i < lengths.size(); i++) runs.insert(runs.end(), 1 + lengths[i] * (i % 7), static_cast<uint8_t>(i % 5));
  ExpectRoundTrip(runs);
  for (size_t period : {2u, 3u, 7u, 16u, 17u, 64u, 4096u, 8191u}) {
    SCOPED_TRACE(period);
    ExpectRoundTrip(Periodic(20000, period, static_cast<uint32_t>(period)));
  }
}

TEST(DatacompRoundTrip, MixedStoredAndCodedBlocks) {
  std::vector<uint8_t> data = RandomBytes(11, 8192);
  std::vector<uint8_t> zeros(8192, 0);
  data.insert(data.end(), zeros.begin(), zeros.end());
  std::vector<uint8_t> more = RandomBytes(12, 8192);
  data.insert(data.end(), more.begin(), more.end());
  data.insert(data.end(), zeros.begin(), zeros.begin() + 5000);
  std::vector<uint8_t> file = PackOrDie(data);
  std::unique_ptr<CompressedHeader> header(new CompressedHeader);
  ASSERT_EQ(ParseCompressedHeader(file.data(), file.size(), file.size(), header.get()), kDatacompOk);
  ASSERT_EQ(header->BlockCount, 4u);
  // A stored middle block has the size field 0, read as the full 8192.
  EXPECT_EQ(header->Offsets[1] - header->Offsets[0], 8192u);
  EXPECT_LT(header->Offsets[2] - header->Offsets[1], 8192u);
  EXPECT_EQ(header->LastBlockLength, 5000u);
  EXPECT_EQ(header->LargestCompressedLength, 8192u);
  ExpectRoundTrip(data);
}

TEST(DatacompRoundTrip, TableLikeData) {
  for (uint32_t variant = 0; variant < 2; variant++) {
    std::vector<uint8_t> data;
    SynthesiseTable(variant, &data);
    data.resize(150000);
    ExpectRoundTrip(data);
    // Tables are very repetitive; a compressor that gets far less out of
    // them has lost its copies.
    EXPECT_LT(PackOrDie(data).size(), data.size() / 4);
  }
}

TEST(DatacompRoundTrip, EveryDistanceChoice) {
  std::vector<uint8_t> data;
  SynthesiseTable(2, &data);
  data.resize(100000);
  PackOptions options;
  options.DistanceChoice = kDistancesStrongest;
  ExpectRoundTrip(data, &options);
  options.DistanceChoice = kDistancesGiven;
  for (uint32_t j = 0; j < kDatacompDistanceCount; j++) options.Distances[j] = 8191 - 300 * j;
  ExpectRoundTrip(data, &options);
  options.Distances[5] = 0;
  std::vector<uint8_t> file;
  EXPECT_EQ(PackData(data.data(), data.size(), &options, &file, nullptr), kDatacompErrorHeaderField);
}

TEST(DatacompRoundTrip, DistancesFollowTheData) {
  // A random 4096-byte pattern twice per block: only distance 4096 helps.
  std::vector<uint8_t> data = Periodic(64 * 1024, 4096, 5);
  uint32_t distances[kDatacompDistanceCount];
  ChooseDistances(data.data(), data.size(), kDistancesFromData, distances);
  EXPECT_NE(std::find(distances, distances + kDatacompDistanceCount, 4096u), distances + kDatacompDistanceCount);
  std::vector<uint8_t> file = PackOrDie(data);
  EXPECT_LT(file.size(), data.size() / 2 + 2000);
}

TEST(DatacompRoundTrip, HeaderFieldsAndCheckValues) {
  std::vector<uint8_t> data;
  SynthesiseTable(1, &data);
  data.resize(3 * 8192 + 77);
  std::vector<uint8_t> file = PackOrDie(data);
  ASSERT_GE(file.size(), 84u);
  EXPECT_EQ(std::memcmp(file.data(), kDatacompBanner, 60), 0);
  EXPECT_EQ(file[70], 13);
  EXPECT_EQ(file[71], 24);
  EXPECT_EQ(file[75], 4);
  std::unique_ptr<CompressedHeader> header(new CompressedHeader);
  ASSERT_EQ(ParseCompressedHeader(file.data(), file.size(), file.size(), header.get()), kDatacompOk);
  EXPECT_EQ(header->Offsets.back(), file.size());
  EXPECT_EQ(CompressedDataLength(header.get()), data.size());
  // Check values: the checksums of each block's data and of its stored bytes.
  for (uint32_t b = 0; b < 4; b++) {
    uint32_t ulen = BlockLength(header.get(), b);
    EXPECT_EQ(WordAt(file, 80 + 8 * b), Checksum(data.data() + 8192 * b, ulen, 0));
    uint64_t offset = header->Offsets[b];
    EXPECT_EQ(WordAt(file, 84 + 8 * b), Checksum(file.data() + offset, header->Offsets[b + 1] - offset, 0));
  }
}

TEST(DatacompRoundTrip, FileReader) {
  std::vector<uint8_t> data;
  SynthesiseTable(0, &data);
  data.resize(5 * 8192 + 1234);
  std::vector<uint8_t> random = RandomBytes(9, 8192);
  std::copy(random.begin(), random.end(), data.begin() + 8192);
  std::vector<uint8_t> file = PackOrDie(data);
  ScratchDirectory scratch;
  const std::string path = scratch.Path() + "/reader.emd";
  WriteFile(path, file);
  TableFile* stream = TableFileOpen(path.c_str());
  ASSERT_NE(stream, nullptr);
  std::unique_ptr<CompressedHeader> header(new CompressedHeader);
  std::unique_ptr<BlockDecoder> decoder(new BlockDecoder);
  ASSERT_EQ(ReadCompressedHeader(stream, header.get()), kDatacompOk);
  std::vector<uint8_t> block(8192);
  // Blocks in any order, as a cache reads them.
  for (uint32_t b : {5u, 0u, 3u, 1u, 4u, 2u, 5u}) {
    uint32_t ulen = BlockLength(header.get(), b);
    ASSERT_EQ(ReadCompressedBlock(decoder.get(), header.get(), stream, b, block.data(), ulen), kDatacompOk);
    EXPECT_EQ(std::memcmp(block.data(), data.data() + 8192 * b, ulen), 0) << b;
  }
  EXPECT_EQ(ReadCompressedBlock(decoder.get(), header.get(), stream, 6, block.data(), 8192), kDatacompErrorBlockNumber);
  EXPECT_EQ(ReadCompressedBlock(decoder.get(), header.get(), stream, 0, block.data(), 8191), kDatacompErrorOutputSpace);
  TableFileClose(stream);
}

TEST(DatacompRoundTrip, SameFileForAnyThreadCount) {
  std::vector<uint8_t> data;
  SynthesiseTable(1, &data);
  // A block of noise among the table's (stored, not coded) and a short last block.
  std::vector<uint8_t> random = RandomBytes(3, 8192);
  std::copy(random.begin(), random.end(), data.begin() + 5 * 8192);
  data.resize(data.size() - 1000);
  std::vector<uint8_t> one = PackOrDie(data);
  ASSERT_FALSE(one.empty());
  for (int32_t threads : {2, 3, 8}) {
    PackOptions options;
    options.Threads = threads;
    EXPECT_TRUE(PackOrDie(data, &options) == one) << threads;
  }
  uint32_t single[kDatacompDistanceCount], shared[kDatacompDistanceCount];
  ChooseDistances(data.data(), data.size(), kDistancesFromData, single, 1);
  ChooseDistances(data.data(), data.size(), kDistancesFromData, shared, 3);
  EXPECT_TRUE(std::equal(single, single + kDatacompDistanceCount, shared));
}
