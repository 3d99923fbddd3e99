// The compressor: distances, code, block parses, header and blocks.
#include <algorithm>
#include <atomic>
#include <vector>

#include "bit_writer.h"
#include "datacomp_writer.h"
#include "worker_threads.h"

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

struct PackInput {
  const uint8_t* Data;
  size_t Length;
  uint32_t BlockCount;
  int32_t Threads;
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
    ChooseDistances(input.Data, input.Length, options->DistanceChoice, distances, input.Threads);
  }
  return kDatacompOk;
}

// Symbol counts kept per worker, so that no two threads add to the same one.
using WorkerCounts = std::vector<std::vector<uint64_t>>;

void SumWorkerCounts(const WorkerCounts& counts, uint64_t frequencies[kDatacompSymbolCount]) {
  for (uint32_t s = 0; s < kDatacompSymbolCount; s++) {
    frequencies[s] = 0;
    for (const std::vector<uint64_t>& c : counts) frequencies[s] += c[s];
  }
}

// Symbol counts of a parse of the given blocks (in any order: only the
// sums count), each worker counting on its own.
void CountParses(const PackInput& input, const std::vector<uint32_t>& blocks, const uint32_t* distances,
                 const uint32_t* costs, uint64_t frequencies[kDatacompSymbolCount]) {
  const uint32_t workers = WorkerCount(input.Threads, static_cast<uint32_t>(blocks.size()));
  WorkerCounts counts(workers, std::vector<uint64_t>(kDatacompSymbolCount, 0));
  ForEachIndex(static_cast<uint32_t>(blocks.size()), workers, [&](uint32_t at, uint32_t worker) {
    std::vector<uint32_t> tokens;
    uint32_t b = blocks[at];
    ParseBlock(BlockStart(input, b), BlockLengthOf(input, b), distances, costs, &tokens);
    for (uint32_t t : tokens) counts[worker][TokenSymbol(t)]++;
  });
  SumWorkerCounts(counts, frequencies);
}

// Passes of parse-and-recount over the given blocks, each setting the costs
// from the symbols the parse used.
void CostsFromParses(const PackInput& input, const std::vector<uint32_t>& blocks, int32_t passes,
                     const uint32_t* distances, uint32_t* costs) {
  for (int32_t pass = 0; pass < passes; pass++) {
    uint64_t frequencies[kDatacompSymbolCount];
    CountParses(input, blocks, distances, costs, frequencies);
    SymbolCostsFromFrequencies(frequencies, costs);
  }
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
  CostsFromParses(input, sample, options->ModelPasses, distances, costs);

  std::vector<uint32_t> every(n);
  for (uint32_t b = 0; b < n; b++) every[b] = b;
  CostsFromParses(input, every, options->WholePasses, distances, costs);
}

// The final parse's token lists per block, kept between its two rounds up to
// kTokenCacheLimit tokens in all; a block left empty is parsed again.
using TokenCache = std::vector<std::vector<uint32_t>>;

// The final parse's first round: counts the symbols of every block, keeping
// the token lists while they fit.
void CountFinalParse(const PackInput& input, const uint32_t* distances, const uint32_t* costs,
                     uint64_t frequencies[kDatacompSymbolCount], TokenCache* cache) {
  const uint32_t n = input.BlockCount;
  cache->assign(n, {});
  std::atomic<size_t> cached{0};
  const uint32_t workers = WorkerCount(input.Threads, n);
  WorkerCounts counts(workers, std::vector<uint64_t>(kDatacompSymbolCount, 0));
  ForEachIndex(n, workers, [&](uint32_t b, uint32_t worker) {
    std::vector<uint32_t> tokens;
    ParseBlock(BlockStart(input, b), BlockLengthOf(input, b), distances, costs, &tokens);
    for (uint32_t t : tokens) counts[worker][TokenSymbol(t)]++;
    if (cached.fetch_add(tokens.size()) + tokens.size() <= kTokenCacheLimit) (*cache)[b] = std::move(tokens);
  });
  SumWorkerCounts(counts, frequencies);
}

// The code the blocks are written with.
struct BlockCode {
  uint8_t Lengths[kDatacompSymbolCount];
  uint32_t Codes[kDatacompSymbolCount];
  uint8_t Bits[kDatacompSymbolCount];
};

void BuildBlockCode(const uint64_t frequencies[kDatacompSymbolCount], BlockCode* code) {
  BuildCodeLengths(frequencies, kDatacompSymbolCount, kDatacompMaxCodeLength, code->Lengths);
  WriterCode(code->Lengths, kDatacompSymbolCount, code->Codes, code->Bits);
}

// Every block coded on its own, as it goes into the file.
struct CodedBlocks {
  std::vector<std::vector<uint8_t>> Bytes;
  std::vector<uint8_t> Stored;          // 1 where the block is kept as is
  std::vector<uint32_t> CheckValues;    // two per block
};

// Codes one block's tokens into `out`; stored as is when coding does not make
// it shorter. Answers whether it was stored.
bool CodeBlock(const uint8_t* block, uint32_t ulen, const std::vector<uint32_t>& tokens, const BlockCode& code,
               std::vector<uint8_t>* out) {
  BitWriter writer;
  BitWriterStart(&writer, out);
  for (uint32_t t : tokens) {
    uint32_t symbol = TokenSymbol(t);
    BitWriterPut(&writer, code.Codes[symbol], code.Bits[symbol]);
    BitWriterPut(&writer, TokenExtraValue(t), TokenExtraBits(t));
  }
  BitWriterFlush(&writer);
  if (out->empty()) out->push_back(0);  // a block is never empty in the file
  // Coding did not help (equal length would read as stored anyway).
  if (out->size() < ulen) return false;
  out->assign(block, block + ulen);
  return true;
}

// The final parse's second round: codes every block (from its kept tokens or
// a fresh parse) and takes both its checksums.
void CodeBlocks(const PackInput& input, const uint32_t* distances, const uint32_t* costs, const BlockCode& code,
                TokenCache* cache, CodedBlocks* coded) {
  const uint32_t n = input.BlockCount;
  coded->Bytes.assign(n, {});
  coded->Stored.assign(n, 0);
  coded->CheckValues.assign(2 * static_cast<size_t>(n), 0);
  ForEachIndex(n, WorkerCount(input.Threads, n), [&](uint32_t b, uint32_t) {
    const uint8_t* block = BlockStart(input, b);
    uint32_t ulen = BlockLengthOf(input, b);
    std::vector<uint32_t> tokens = std::move((*cache)[b]);
    if (tokens.empty()) ParseBlock(block, ulen, distances, costs, &tokens);
    std::vector<uint8_t>& out = coded->Bytes[b];
    coded->Stored[b] = CodeBlock(block, ulen, tokens, code, &out) ? 1 : 0;
    coded->CheckValues[2 * b] = Checksum(block, ulen, 0);
    coded->CheckValues[2 * b + 1] = Checksum(out.data(), static_cast<uint32_t>(out.size()), 0);
  });
}

// Lays the coded blocks end to end into the file's parts, freeing each as it
// goes. Answers the number stored as is.
uint32_t LayBlocks(CodedBlocks* coded, FileImageParts* parts) {
  const uint32_t n = static_cast<uint32_t>(coded->Bytes.size());
  size_t total = 0;
  for (const std::vector<uint8_t>& out : coded->Bytes) total += out.size();
  parts->Blocks.reserve(total);
  parts->CompressedLengths.assign(n, 0);
  uint32_t stored = 0;
  for (uint32_t b = 0; b < n; b++) {
    std::vector<uint8_t>& out = coded->Bytes[b];
    parts->CompressedLengths[b] = static_cast<uint32_t>(out.size());
    parts->Blocks.insert(parts->Blocks.end(), out.begin(), out.end());
    std::vector<uint8_t>().swap(out);
    stored += coded->Stored[b];
  }
  parts->CheckValues = std::move(coded->CheckValues);
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
  const PackInput input = {data, length, static_cast<uint32_t>(blockCount64), options->Threads};
  const uint32_t n = input.BlockCount;

  uint32_t distances[kDatacompDistanceCount];
  int32_t result = SettleDistances(input, options, distances);
  if (result != kDatacompOk) return result;
  uint32_t costs[kDatacompSymbolCount];
  SettleSymbolCosts(input, options, distances, costs);

  // Final parse: count, build the code, then code every block with it.
  uint64_t frequencies[kDatacompSymbolCount];
  TokenCache cache;
  CountFinalParse(input, distances, costs, frequencies, &cache);
  BlockCode code;
  BuildBlockCode(frequencies, &code);
  CodedBlocks coded;
  CodeBlocks(input, distances, costs, code, &cache, &coded);

  FileImageParts parts;
  uint32_t stored = LayBlocks(&coded, &parts);
  parts.BlockBits = kBlockBits;
  parts.BlockCount = n;
  parts.LastBlockLength = n ? BlockLengthOf(input, n - 1) : 0;
  std::copy(distances, distances + kDatacompDistanceCount, parts.Distances);
  std::copy(code.Lengths, code.Lengths + kDatacompSymbolCount, parts.CodeLengths);
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
