// The compressor: distances, code, block parses, header and blocks.
#include <algorithm>
#include <vector>

#include "bit_writer.h"
#include "datacomp_writer.h"

namespace {

constexpr uint32_t kBlockBits = kDatacompTableBlockBits;
constexpr uint32_t kBlockSize = kDatacompTableBlockSize;
constexpr uint32_t kModelSampleBlocks = 64;
// Token lists of the final parse are kept between its two rounds up to this
// many tokens; beyond it the blocks are parsed again instead.
constexpr size_t kTokenCacheLimit = size_t(1) << 26;

void PutBig32(std::vector<uint8_t>* bytes, size_t at, uint32_t value) {
  (*bytes)[at] = static_cast<uint8_t>(value >> 24);
  (*bytes)[at + 1] = static_cast<uint8_t>(value >> 16);
  (*bytes)[at + 2] = static_cast<uint8_t>(value >> 8);
  (*bytes)[at + 3] = static_cast<uint8_t>(value);
}

uint32_t BitWidth(uint32_t value) {
  uint32_t width = 0;
  while (value >> width) width++;
  return width;
}

// Code values to write per symbol: a code with one symbol costs no bits.
void WriterCode(const uint8_t* lengths, uint32_t count, uint32_t* codes, uint8_t* bits) {
  AssignCanonicalCodes(lengths, count, codes);
  uint32_t present = 0;
  for (uint32_t s = 0; s < count; s++) present += lengths[s] != 0;
  for (uint32_t s = 0; s < count; s++) bits[s] = present == 1 ? 0 : lengths[s];
}

}  // namespace

// 1024 code lengths: literal lengths (X 0..31) and runs of one length
// (X 32..63 with a count from Y), X and Y themselves sent as 128 plain lengths.
void WriteSymbolCodeLengths(BitWriter* writer, const uint8_t* lengths) {
  bool any = false;
  for (uint32_t s = 0; s < kDatacompSymbolCount; s++) any |= lengths[s] != 0;
  if (!any) {
    BitWriterPut(writer, 1, 1);
    return;
  }
  BitWriterPut(writer, 0, 1);

  struct LengthToken {
    uint32_t X;
    uint32_t Y;  // 64 when there is no repeat count
    uint32_t ExtraBits;
    uint32_t ExtraValue;
  };
  std::vector<LengthToken> items;
  uint64_t xFrequencies[64] = {};
  uint64_t yFrequencies[64] = {};
  for (uint32_t i = 0; i < kDatacompSymbolCount;) {
    uint32_t value = lengths[i];
    uint32_t run = 1;
    while (i + run < kDatacompSymbolCount && lengths[i + run] == value) run++;
    if (run < 3) {
      for (uint32_t k = 0; k < run; k++) items.push_back({value, 64, 0, 0});
      xFrequencies[value] += run;
    } else {
      LengthToken item{32 + value, 0, 0, 0};
      if (run <= 33) {
        item.Y = run - 2;
      } else {
        uint32_t k = BitWidth(run - 33) - 1;
        item.Y = 32 + k;
        item.ExtraBits = k;
        item.ExtraValue = run - 33 - (1u << k);
      }
      items.push_back(item);
      xFrequencies[item.X]++;
      yFrequencies[item.Y]++;
    }
    i += run;
  }

  uint8_t inner[128];
  BuildCodeLengths(xFrequencies, 64, kDatacompMaxCodeLength, inner);
  BuildCodeLengths(yFrequencies, 64, kDatacompMaxCodeLength, inner + 64);
  uint32_t widest = 0;
  for (uint32_t s = 0; s < 128; s++) widest = std::max<uint32_t>(widest, inner[s]);
  uint32_t width = BitWidth(widest);
  BitWriterPut(writer, 0, 1);
  BitWriterPut(writer, width, 5);
  for (uint32_t s = 0; s < 128;) {
    BitWriterPut(writer, inner[s], width);
    if (inner[s] != 0) {
      s++;
      continue;
    }
    uint32_t zeros = 0;
    while (zeros < 15 && s + 1 + zeros < 128 && inner[s + 1 + zeros] == 0) zeros++;
    BitWriterPut(writer, zeros, 4);
    s += 1 + zeros;
  }

  uint32_t xCodes[64];
  uint32_t yCodes[64];
  uint8_t xBits[64];
  uint8_t yBits[64];
  WriterCode(inner, 64, xCodes, xBits);
  WriterCode(inner + 64, 64, yCodes, yBits);
  for (const LengthToken& item : items) {
    BitWriterPut(writer, xCodes[item.X], xBits[item.X]);
    if (item.Y < 64) {
      BitWriterPut(writer, yCodes[item.Y], yBits[item.Y]);
      BitWriterPut(writer, item.ExtraValue, item.ExtraBits);
    }
  }
}

void AssembleFile(const FileImageParts& parts, std::vector<uint8_t>* file) {
  const uint32_t n = parts.BlockCount;
  std::vector<uint8_t>& out = *file;
  out.assign(kDatacompFixedHeaderLength + 8 * static_cast<size_t>(n), 0);
  std::copy(kDatacompBanner, kDatacompBanner + kDatacompBannerLength, out.begin());
  out[70] = static_cast<uint8_t>(parts.BlockBits);
  out[71] = static_cast<uint8_t>(kDatacompDistanceCount);
  PutBig32(&out, 72, n);
  std::copy(kDatacompMagic, kDatacompMagic + 4, out.begin() + 76);
  for (size_t i = 0; i < parts.CheckValues.size() && i < 2 * static_cast<size_t>(n); i++)
    PutBig32(&out, kDatacompFixedHeaderLength + 4 * i, parts.CheckValues[i]);
  BitWriter writer;
  BitWriterStart(&writer, &out);
  const uint32_t mask = (1u << parts.BlockBits) - 1;  // a full block's length is written as 0
  for (uint32_t b = 0; b < n; b++) BitWriterPut(&writer, parts.CompressedLengths[b] & mask, parts.BlockBits);
  BitWriterPut(&writer, parts.LastBlockLength & mask, parts.BlockBits);
  for (uint32_t j = 0; j < kDatacompDistanceCount; j++) BitWriterPut(&writer, parts.Distances[j] & mask, parts.BlockBits);
  BitWriterFlush(&writer);
  WriteSymbolCodeLengths(&writer, parts.CodeLengths);
  BitWriterFlush(&writer);
  size_t h = out.size() + 4;
  PutBig32(&out, 64, static_cast<uint32_t>(h));
  uint32_t checksum = Checksum(out.data(), out.size(), 0);
  out.resize(h);
  PutBig32(&out, h - 4, checksum);
  out.insert(out.end(), parts.Blocks.begin(), parts.Blocks.end());
}

namespace {

// The input as the stages see it: its bytes cut into blocks.
struct PackInput {
  const uint8_t* Data;
  size_t Length;
  uint32_t BlockCount;
};

const uint8_t* BlockStart(const PackInput& input, uint32_t b) {
  return input.Data + static_cast<size_t>(b) * kBlockSize;
}

uint32_t BlockLengthOf(const PackInput& input, uint32_t b) {
  return static_cast<uint32_t>(std::min<uint64_t>(kBlockSize, input.Length - static_cast<uint64_t>(b) * kBlockSize));
}

// The distances the parses may refer back by: given, or chosen from the data.
int32_t SettleDistances(const PackInput& input, const PackOptions* options, uint32_t* distances) {
  if (options->DistanceChoice == kDistancesGiven) {
    for (uint32_t j = 0; j < kDatacompDistanceCount; j++) {
      distances[j] = options->Distances[j];
      if (distances[j] == 0 || distances[j] >= kBlockSize) return kDatacompErrorHeaderField;
    }
  } else {
    ChooseDistances(input.Data, input.Length, options->DistanceChoice, distances);
  }
  return kDatacompOk;
}

// Parses the listed blocks with the present costs and sets the costs from the
// symbols those parses used.
void CostsFromParses(const PackInput& input, const std::vector<uint32_t>& blockNumbers, const uint32_t* distances,
                     uint32_t* costs, std::vector<uint32_t>* tokens) {
  uint64_t frequencies[kDatacompSymbolCount] = {};
  for (uint32_t b : blockNumbers) {
    ParseBlock(BlockStart(input, b), BlockLengthOf(input, b), distances, costs, tokens);
    for (uint32_t t : *tokens) frequencies[TokenSymbol(t)]++;
  }
  SymbolCostsFromFrequencies(frequencies, costs);
}

// Settles the symbol costs: first on a sample of blocks; then the sample's
// code steers a parse of every block, and that parse's code steers the final
// one (rarer symbols and the file's own mix count too).
void SettleSymbolCosts(const PackInput& input, const PackOptions* options, const uint32_t* distances,
                       uint32_t* costs) {
  const uint32_t n = input.BlockCount;
  std::vector<uint32_t> sample;
  for (uint32_t s = 0; s < std::min(n, kModelSampleBlocks); s++)
    sample.push_back(n <= kModelSampleBlocks ? s : static_cast<uint32_t>(static_cast<uint64_t>(s) * n / kModelSampleBlocks));
  InitialSymbolCosts(input.Data, input.Length, costs);
  std::vector<uint32_t> tokens;
  for (int32_t pass = 0; pass < options->ModelPasses; pass++) CostsFromParses(input, sample, distances, costs, &tokens);
  if (options->WholePasses <= 0) return;
  std::vector<uint32_t> every(n);
  for (uint32_t b = 0; b < n; b++) every[b] = b;
  for (int32_t pass = 0; pass < options->WholePasses; pass++) CostsFromParses(input, every, distances, costs, &tokens);
}

// The final parse's token lists, kept between its two rounds while they fit
// under kTokenCacheLimit; Kept is false (and Tokens empty) when they did not.
struct FinalParse {
  std::vector<std::vector<uint32_t>> Tokens;
  bool Kept = true;
};

// The final parse's first round: counts the symbols of every block.
void CountFinalParse(const PackInput& input, const uint32_t* distances, const uint32_t* costs,
                     uint64_t* frequencies, FinalParse* parse) {
  const uint32_t n = input.BlockCount;
  parse->Tokens.assign(n, {});
  size_t cached = 0;
  std::vector<uint32_t> tokens;
  for (uint32_t b = 0; b < n; b++) {
    ParseBlock(BlockStart(input, b), BlockLengthOf(input, b), distances, costs, &tokens);
    for (uint32_t t : tokens) frequencies[TokenSymbol(t)]++;
    if (parse->Kept) {
      cached += tokens.size();
      if (cached > kTokenCacheLimit) {
        parse->Kept = false;
        parse->Tokens.assign(n, {});
      } else {
        parse->Tokens[b] = tokens;
      }
    }
  }
}

// The final parse's second round: writes every block with the code, stored as
// is where coding does not make it shorter. Answers the number stored.
uint32_t WriteBlocks(const PackInput& input, const uint32_t* distances, const uint32_t* costs, const uint32_t* codes,
                     const uint8_t* codeBits, FinalParse* parse, FileImageParts* parts) {
  const uint32_t n = input.BlockCount;
  std::vector<uint8_t>& blocks = parts->Blocks;
  parts->CompressedLengths.assign(n, 0);
  parts->CheckValues.assign(2 * static_cast<size_t>(n), 0);
  std::vector<uint8_t> coded;
  std::vector<uint32_t> tokens;
  uint32_t stored = 0;
  for (uint32_t b = 0; b < n; b++) {
    const uint8_t* block = BlockStart(input, b);
    uint32_t ulen = BlockLengthOf(input, b);
    if (!parse->Kept) ParseBlock(block, ulen, distances, costs, &tokens);
    const std::vector<uint32_t>& blockTokens = parse->Kept ? parse->Tokens[b] : tokens;
    coded.clear();
    BitWriter writer;
    BitWriterStart(&writer, &coded);
    for (uint32_t t : blockTokens) {
      uint32_t symbol = TokenSymbol(t);
      BitWriterPut(&writer, codes[symbol], codeBits[symbol]);
      BitWriterPut(&writer, TokenExtraValue(t), TokenExtraBits(t));
    }
    BitWriterFlush(&writer);
    if (coded.empty()) coded.push_back(0);  // a block is never empty in the file
    size_t at = blocks.size();
    if (coded.size() < ulen) {
      blocks.insert(blocks.end(), coded.begin(), coded.end());
    } else {
      // Coding did not help (equal length would read as stored anyway).
      blocks.insert(blocks.end(), block, block + ulen);
      stored++;
    }
    parts->CompressedLengths[b] = static_cast<uint32_t>(blocks.size() - at);
    parts->CheckValues[2 * b] = Checksum(block, ulen, 0);
    parts->CheckValues[2 * b + 1] = Checksum(blocks.data() + at, parts->CompressedLengths[b], 0);
    if (parse->Kept) std::vector<uint32_t>().swap(parse->Tokens[b]);
  }
  return stored;
}

}  // namespace

int32_t PackData(const uint8_t* data, size_t length, const PackOptions* options,
                 std::vector<uint8_t>* file, PackStats* stats) {
  PackOptions defaults;
  if (!options) options = &defaults;
  const uint64_t blockCount64 = (static_cast<uint64_t>(length) + kBlockSize - 1) / kBlockSize;
  // The header must stay within what any reader accepts.
  if (blockCount64 * 10 + 4096 > kDatacompMaxHeaderLength) return kDatacompErrorHeaderLength;
  const PackInput input = {data, length, static_cast<uint32_t>(blockCount64)};
  const uint32_t n = input.BlockCount;

  uint32_t distances[kDatacompDistanceCount];
  int32_t result = SettleDistances(input, options, distances);
  if (result != kDatacompOk) return result;
  uint32_t costs[kDatacompSymbolCount];
  SettleSymbolCosts(input, options, distances, costs);

  // Final parse: count, build the code, then write every block with it.
  uint64_t frequencies[kDatacompSymbolCount] = {};
  FinalParse parse;
  CountFinalParse(input, distances, costs, frequencies, &parse);
  uint8_t lengths[kDatacompSymbolCount];
  BuildCodeLengths(frequencies, kDatacompSymbolCount, kDatacompMaxCodeLength, lengths);
  uint32_t codes[kDatacompSymbolCount];
  uint8_t codeBits[kDatacompSymbolCount];
  WriterCode(lengths, kDatacompSymbolCount, codes, codeBits);

  FileImageParts parts;
  uint32_t stored = WriteBlocks(input, distances, costs, codes, codeBits, &parse, &parts);
  parts.BlockBits = kBlockBits;
  parts.BlockCount = n;
  parts.LastBlockLength = n ? BlockLengthOf(input, n - 1) : 0;
  std::copy(distances, distances + kDatacompDistanceCount, parts.Distances);
  std::copy(lengths, lengths + kDatacompSymbolCount, parts.CodeLengths);
  AssembleFile(parts, file);
  const std::vector<uint8_t>& out = *file;
  uint32_t h = static_cast<uint32_t>(out.size() - parts.Blocks.size());

  if (stats) {
    stats->InputLength = length;
    stats->OutputLength = out.size();
    stats->HeaderLength = h;
    stats->BlockCount = n;
    stats->StoredBlocks = stored;
    std::copy(distances, distances + kDatacompDistanceCount, stats->Distances);
  }
  return kDatacompOk;
}
