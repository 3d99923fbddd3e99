// The decoder on hand-made streams: length codes, overlapping copies, the
// special codes, code-length streams and the tree path of long codes.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "datacomp_test_util.h"

namespace {

std::vector<uint8_t> Decoded(const CraftedFile& crafted, int32_t* result) {
  std::vector<uint8_t> data;
  *result = DecodeImage(crafted.Image(), &data);
  return data;
}

std::vector<uint8_t> Repeat(const std::string& pattern, size_t times) {
  std::vector<uint8_t> out;
  for (size_t i = 0; i < times; i++) out.insert(out.end(), pattern.begin(), pattern.end());
  return out;
}

}  // namespace

TEST(DatacompDecoder, LengthCodesWithExtraBits) {
  const uint32_t copy15 = CraftedFile::CopySymbol(0, 15);
  const uint32_t copy16 = CraftedFile::CopySymbol(0, 16);
  CraftedFile f({{'A', 2}, {'B', 2}, {copy15, 2}, {copy16, 2}});
  f.Symbol('A');
  f.Symbol(copy15);
  f.Extra(1, 1);  // 17
  f.Symbol('B');
  f.Symbol(copy16);
  f.Extra(3, 2);  // 21
  f.Symbol('A');
  f.Symbol(copy15);
  f.Extra(0, 1);  // 16
  f.Symbol('B');
  f.Symbol(copy16);
  f.Extra(0, 2);  // 18
  f.EndBlock(1 + 17 + 1 + 21 + 1 + 16 + 1 + 18);
  int32_t result;
  std::vector<uint8_t> data = Decoded(f, &result);
  ASSERT_EQ(result, kDatacompOk);
  std::vector<uint8_t> expected = Repeat("A", 18);
  for (auto part : {Repeat("B", 22), Repeat("A", 17), Repeat("B", 19)}) expected.insert(expected.end(), part.begin(), part.end());
  EXPECT_EQ(data, expected);
}

TEST(DatacompDecoder, CopyRunningPastTheBlockEndIsCut) {
  // Distance 3 repeats a three-byte pattern; a copy running past the
  // block's end is cut there. (Copies that fit are checked below.)
  const uint32_t copy = CraftedFile::CopySymbol(1, 20);  // 2^6 + 14 + 6 extra bits
  CraftedFile cut({{'a', 2}, {'b', 2}, {'c', 2}, {copy, 2}}, {1, 3});
  for (char c : std::string("abc")) cut.Symbol(static_cast<uint8_t>(c));
  cut.Symbol(copy);
  cut.Extra(5, 6);  // 83 bytes, 47 of them fit
  cut.EndBlock(50);
  int32_t cutResult;
  std::vector<uint8_t> cutData = Decoded(cut, &cutResult);
  ASSERT_EQ(cutResult, kDatacompOk);
  std::vector<uint8_t> expected = Repeat("abc", 17);
  expected.resize(50);
  EXPECT_EQ(cutData, expected);
}

TEST(DatacompDecoder, EveryShortPeriodAndLength) {
  // Periods 1..20 with copies of 1..200 bytes, against a byte-by-byte model.
  for (uint32_t period = 1; period <= 20; period++) {
    for (uint32_t length = 1; length <= 200; length += (length < 40 ? 1 : 13)) {
      uint32_t extraBits = 0, extraValue = 0;
      uint32_t code = CopyLengthCode(length, &extraBits, &extraValue);
      const uint32_t copy = CraftedFile::CopySymbol(0, code);
      CraftedFile f({}, {period});
      // A complete code of 64 six-bit symbols: literals 0..62 and the copy.
      for (uint32_t s = 0; s < 63; s++) f.Parts.CodeLengths[s] = 6;
      f.Parts.CodeLengths[copy] = 6;
      AssignCanonicalCodes(f.Parts.CodeLengths, kDatacompSymbolCount, f.Codes);
      for (uint32_t s = 0; s < kDatacompSymbolCount; s++) f.Bits[s] = f.Parts.CodeLengths[s];
      std::vector<uint8_t> expected;
      for (uint32_t i = 0; i < period; i++) {
        uint8_t b = static_cast<uint8_t>((i * 7 + period) % 63);
        f.Symbol(b);
        expected.push_back(b);
      }
      f.Symbol(copy);
      f.Extra(extraValue, extraBits);
      for (uint32_t i = 0; i < length; i++) expected.push_back(expected[expected.size() - period]);
      // Room after the copy, so that the decoder takes its chunked paths.
      for (uint32_t i = 0; i < 17; i++) {
        f.Symbol(9);
        expected.push_back(9);
      }
      // A block whose coded length equals its length would read as stored.
      while (f.Stream.size() + (f.Writer.Count > 0) == expected.size()) {
        f.Symbol(9);
        expected.push_back(9);
      }
      f.EndBlock(static_cast<uint32_t>(expected.size()));
      int32_t result;
      std::vector<uint8_t> data = Decoded(f, &result);
      ASSERT_EQ(result, kDatacompOk) << period << " " << length;
      ASSERT_EQ(data, expected) << period << " " << length;
    }
  }
}

TEST(DatacompDecoder, EmptyAndSingleSymbolCodesCostNoBits) {
  // All code lengths 0: every symbol reads as the literal 0 without bits.
  CraftedFile empty({});
  empty.AddRawBlock({0xAB}, 100);
  int32_t result;
  EXPECT_EQ(Decoded(empty, &result), std::vector<uint8_t>(100, 0));
  EXPECT_EQ(result, kDatacompOk);

  CraftedFile single({{'Z', 1}});
  single.AddRawBlock({0xFF, 0xFF}, 50);
  EXPECT_EQ(Decoded(single, &result), std::vector<uint8_t>(50, 'Z'));
  EXPECT_EQ(result, kDatacompOk);
}

TEST(DatacompDecoder, CodeLengthStreams) {
  uint8_t lengths[kDatacompSymbolCount];
  BitReader reader;
  // A leading 1 bit: all lengths 0, for either count.
  const uint8_t allZero[] = {0x80};
  for (uint32_t count : {1024u, 128u}) {
    std::fill(lengths, lengths + count, 9);
    BitReaderStart(&reader, allZero, 1);
    EXPECT_EQ(ReadCodeLengths(&reader, lengths, count), kDatacompOk);
    EXPECT_EQ(std::count(lengths, lengths + count, 0), static_cast<long>(count));
  }

  auto readSmall = [&](uint32_t count, std::initializer_list<std::pair<uint32_t, uint32_t>> fields) {
    std::vector<uint8_t> bytes;
    BitWriter w;
    BitWriterStart(&w, &bytes);
    for (auto field : fields) BitWriterPut(&w, field.first, field.second);
    BitWriterFlush(&w);
    BitReaderStart(&reader, bytes.data(), bytes.size());
    return ReadCodeLengths(&reader, lengths, count);
  };
  // Width 5, a 0 followed by nine more zeros fills ten lengths exactly ...
  EXPECT_EQ(readSmall(10, {{0, 1}, {5, 5}, {0, 5}, {9, 4}}), kDatacompOk);
  // ... ten more zeros write past the count.
  EXPECT_EQ(readSmall(10, {{0, 1}, {5, 5}, {0, 5}, {10, 4}}), kDatacompErrorCodeLengths);
  // A 6-bit width allows lengths above 31.
  EXPECT_EQ(readSmall(10, {{0, 1}, {6, 5}, {32, 6}}), kDatacompErrorCodeLengths);
  EXPECT_EQ(readSmall(2, {{0, 1}, {6, 5}, {1, 6}, {1, 6}}), kDatacompOk);
  EXPECT_EQ(lengths[0], 1);
  EXPECT_EQ(lengths[1], 1);
}

TEST(DatacompDecoder, RepeatCountsNeverWrap) {
  // X: symbols 0 and 32 (repeat zeros), Y: symbols 0 and 63 (2^31 + 33 + 31 bits).
  std::vector<uint8_t> bytes;
  BitWriter w;
  BitWriterStart(&w, &bytes);
  BitWriterPut(&w, 0, 1);  // not all zero
  BitWriterPut(&w, 0, 1);  // inner: not all zero
  BitWriterPut(&w, 1, 5);  // width 1
  auto lengthOneThenZeros = [&](uint32_t zeros) {
    BitWriterPut(&w, 1, 1);
    while (zeros > 0) {
      uint32_t more = std::min<uint32_t>(zeros - 1, 15);
      BitWriterPut(&w, 0, 1);
      BitWriterPut(&w, more, 4);
      zeros -= more + 1;
    }
  };
  lengthOneThenZeros(31);  // X0, then X1..X31 zero
  lengthOneThenZeros(31);  // X32, then X33..X63 zero
  lengthOneThenZeros(62);  // Y0, then Y1..Y62 zero
  BitWriterPut(&w, 1, 1);  // Y63
  BitWriterPut(&w, 1, 1);  // X = 32 (code 1)
  BitWriterPut(&w, 1, 1);  // Y = 63 (code 1)
  BitWriterPut(&w, 0x7FFFFFFFu, 31);
  BitWriterFlush(&w);
  uint8_t lengths[kDatacompSymbolCount];
  BitReader reader;
  BitReaderStart(&reader, bytes.data(), bytes.size());
  EXPECT_EQ(ReadCodeLengths(&reader, lengths, kDatacompSymbolCount), kDatacompErrorCodeLengths);
}

TEST(DatacompDecoder, PrefixCodeChecks) {
  PrefixDecodeTable* table = new PrefixDecodeTable;
  uint8_t lengths[8] = {1, 1, 1};
  EXPECT_EQ(BuildDecodeTable(lengths, 3, 13, table), kDatacompErrorPrefixCode);  // oversubscribed
  uint8_t incomplete[8] = {1, 2};
  EXPECT_EQ(BuildDecodeTable(incomplete, 2, 13, table), kDatacompErrorPrefixCode);
  uint8_t single[8] = {0, 0, 2};
  EXPECT_EQ(BuildDecodeTable(single, 3, 8, table), kDatacompErrorPrefixCode);
  uint8_t tooLong[8] = {1, 32, 32};
  EXPECT_EQ(BuildDecodeTable(tooLong, 3, 13, table), kDatacompErrorCodeLengths);
  uint8_t empty[8] = {};
  EXPECT_EQ(BuildDecodeTable(empty, 8, 13, table), kDatacompOk);
  delete table;
}

TEST(DatacompDecoder, LongCodesThroughTheTree) {
  // Lengths 1..30 and two of 31: a complete code as deep as it gets, decoded
  // with both primary table sizes, symbols spread over the whole alphabet.
  uint8_t lengths[kDatacompSymbolCount] = {};
  uint32_t symbols[32];
  for (uint32_t i = 0; i < 32; i++) {
    symbols[i] = (i * 389 + 11) % kDatacompSymbolCount;
    lengths[symbols[i]] = static_cast<uint8_t>(i < 30 ? i + 1 : 31);
  }
  uint32_t codes[kDatacompSymbolCount];
  AssignCanonicalCodes(lengths, kDatacompSymbolCount, codes);
  std::vector<uint8_t> bytes;
  BitWriter w;
  BitWriterStart(&w, &bytes);
  for (uint32_t i = 0; i < 32; i++) BitWriterPut(&w, codes[symbols[i]], lengths[symbols[i]]);
  for (uint32_t i = 32; i-- > 0;) BitWriterPut(&w, codes[symbols[i]], lengths[symbols[i]]);
  BitWriterFlush(&w);
  for (uint32_t primaryBits : {13u, 8u}) {
    PrefixDecodeTable* table = new PrefixDecodeTable;
    ASSERT_EQ(BuildDecodeTable(lengths, kDatacompSymbolCount, primaryBits, table), kDatacompOk);
    BitReader reader;
    BitReaderStart(&reader, bytes.data(), bytes.size());
    for (uint32_t i = 0; i < 64; i++) {
      BitReaderRefill(&reader);
      uint32_t expected = symbols[i < 32 ? i : 63 - i];
      EXPECT_EQ(DecodeSymbol(&reader, table), expected) << i << " " << primaryBits;
    }
    EXPECT_FALSE(BitReaderOverrun(&reader));
    delete table;
  }
}

TEST(DatacompDecoder, PairedTableAgreesWithOneSymbolAtATime) {
  // Random complete codes (leaves split at random, some deeper than the
  // 13-bit window), the single-symbol code and the empty code: every window
  // of the paired table must hold exactly the symbols that decoding one at a
  // time finds within its 13 bits, whatever bits follow them.
  std::mt19937 random(7);
  for (int round = 0; round < 60; round++) {
    uint8_t lengths[kDatacompSymbolCount] = {};
    if (round == 1) {
      lengths[300] = 1;
    } else if (round > 1) {
      std::vector<uint8_t> leaves = {0};
      size_t count = 2 + random() % (round < 30 ? 40 : 700);
      while (leaves.size() < count) {
        size_t at = random() % leaves.size();
        if (leaves[at] >= 31) continue;
        leaves[at]++;
        leaves.push_back(leaves[at]);
      }
      std::vector<uint32_t> symbols(kDatacompSymbolCount);
      for (uint32_t s = 0; s < kDatacompSymbolCount; s++) symbols[s] = s;
      std::shuffle(symbols.begin(), symbols.end(), random);
      for (size_t i = 0; i < leaves.size(); i++) lengths[symbols[i]] = leaves[i];
    }
    auto table = std::make_unique<PrefixDecodeTable>();
    ASSERT_EQ(BuildDecodeTable(lengths, kDatacompSymbolCount, kDatacompPrimaryBits, table.get()), kDatacompOk);
    std::vector<uint32_t> paired(1u << kDatacompPrimaryBits);
    BuildPairedTable(table.get(), paired.data());
    for (uint32_t window = 0; window < paired.size(); window++) {
      uint8_t bytes[8];
      uint64_t stream = static_cast<uint64_t>(window) << 51 | (random() & ((1ull << 51) - 1));
      for (int i = 0; i < 8; i++) bytes[i] = static_cast<uint8_t>(stream >> (56 - 8 * i));
      BitReader reader;
      BitReaderStart(&reader, bytes, 8);
      BitReaderRefill(&reader);
      uint32_t entry = paired[window];
      uint32_t first = DecodeSymbol(&reader, table.get());
      uint32_t firstBits = static_cast<uint32_t>(BitReaderConsumed(&reader));
      if (firstBits > kDatacompPrimaryBits) {
        EXPECT_EQ(entry, kPairedLongCode) << round << " " << window;
        continue;
      }
      ASSERT_NE(entry & kPairedLongCode, kPairedLongCode) << round << " " << window;
      uint32_t second = DecodeSymbol(&reader, table.get());
      uint32_t bothBits = static_cast<uint32_t>(BitReaderConsumed(&reader));
      uint32_t literals = (entry >> 4) & 3u;
      bool copy = (entry & kPairedCopy) != 0;
      std::vector<uint32_t> expected = {first};
      if (first < kDatacompLiteralCount && bothBits <= kDatacompPrimaryBits) expected.push_back(second);
      std::vector<uint32_t> got;
      for (uint32_t i = 0; i < literals; i++) got.push_back((entry >> (8 + 8 * i)) & 255u);
      if (copy) got.push_back(kDatacompLiteralCount + ((entry >> 16) & 1023u));
      EXPECT_EQ(got, expected) << round << " " << window;
      EXPECT_EQ(entry & 15u, expected.size() == 2 ? bothBits : firstBits) << round << " " << window;
    }
  }
}
