// Helpers of the DATACOMP tests: whole-image decoding, random data and
// hand-made files with chosen codes and bit streams.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <utility>
#include <vector>

#include "bit_writer.h"
#include "datacomp.h"
#include "datacomp_writer.h"

// Decodes every block of a file image; returns 0 or the first error.
inline int32_t DecodeImage(const std::vector<uint8_t>& file, std::vector<uint8_t>* data) {
  std::unique_ptr<CompressedHeader> header(new CompressedHeader);
  int32_t result = ParseCompressedHeader(file.data(), file.size(), file.size(), header.get());
  if (result != kDatacompOk) return result;
  // Damaged headers may claim huge data; the tests never need more than this.
  if (CompressedDataLength(header.get()) > (64u << 20)) return kDatacompErrorHeaderField;
  data->assign(static_cast<size_t>(CompressedDataLength(header.get())), 0);
  for (uint32_t b = 0; b < header->BlockCount; b++) {
    result = ExtractBlock(header.get(), file.data(), file.size(), b,
                          data->data() + static_cast<size_t>(b) * header->BlockSize,
                          BlockLength(header.get(), b));
    if (result != kDatacompOk) return result;
  }
  return kDatacompOk;
}

// The big-endian word at AT of a file image, and the header length it holds at 64.
inline uint32_t WordAt(const std::vector<uint8_t>& file, size_t at) {
  return (uint32_t(file[at]) << 24) | (uint32_t(file[at + 1]) << 16) | (uint32_t(file[at + 2]) << 8) | file[at + 3];
}

// Puts a correct header checksum back after a deliberate change (when the
// header length still lies within the file).
inline void Rechecksum(std::vector<uint8_t>* file) {
  const uint32_t h = WordAt(*file, 64);
  if (h < 84 || h > file->size()) return;
  const uint32_t sum = Checksum(file->data(), h - 4, 0);
  for (int i = 0; i < 4; i++) (*file)[h - 4 + i] = static_cast<uint8_t>(sum >> (24 - 8 * i));
}

inline std::vector<uint8_t> RandomBytes(uint32_t seed, size_t length, uint32_t alphabet = 256) {
  std::vector<uint8_t> bytes(length);
  uint64_t state = seed * 0x9E3779B97F4A7C15ull + 1;
  for (uint8_t& b : bytes) {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    b = static_cast<uint8_t>((state >> 33) % alphabet);
  }
  return bytes;
}

inline std::vector<uint8_t> PackOrDie(const std::vector<uint8_t>& data, const PackOptions* options = nullptr) {
  std::vector<uint8_t> file;
  int32_t result = PackData(data.data(), data.size(), options, &file, nullptr);
  if (result != kDatacompOk) file.clear();
  return file;
}

// A file built by hand: a code given as (symbol, length) pairs, blocks
// written symbol by symbol.
struct CraftedFile {
  FileImageParts Parts;
  uint32_t Codes[kDatacompSymbolCount] = {};
  uint8_t Bits[kDatacompSymbolCount] = {};
  std::vector<uint8_t> Stream;
  BitWriter Writer;

  CraftedFile(std::initializer_list<std::pair<uint32_t, uint8_t>> code,
              std::initializer_list<uint32_t> distances = {1}) {
    for (const auto& entry : code) Parts.CodeLengths[entry.first] = entry.second;
    AssignCanonicalCodes(Parts.CodeLengths, kDatacompSymbolCount, Codes);
    uint32_t present = 0;
    for (uint32_t s = 0; s < kDatacompSymbolCount; s++) present += Parts.CodeLengths[s] != 0;
    for (uint32_t s = 0; s < kDatacompSymbolCount; s++) Bits[s] = present == 1 ? 0 : Parts.CodeLengths[s];
    uint32_t j = 0;
    for (uint32_t d : distances) Parts.Distances[j++] = d;
    BitWriterStart(&Writer, &Stream);
  }
  static uint32_t CopySymbol(uint32_t distanceIndex, uint32_t lengthCode) {
    return kDatacompLiteralCount + 32 * distanceIndex + lengthCode;
  }
  void Symbol(uint32_t symbol) { BitWriterPut(&Writer, Codes[symbol], Bits[symbol]); }
  void Extra(uint32_t value, uint32_t bits) { BitWriterPut(&Writer, value, bits); }
  void RawBits(uint32_t value, uint32_t bits) { BitWriterPut(&Writer, value, bits); }
  // Ends the block being written; its uncompressed length is ulen.
  void EndBlock(uint32_t ulen) {
    BitWriterFlush(&Writer);
    if (Stream.empty()) Stream.push_back(0);
    AddRawBlock(Stream, ulen);
    Stream.clear();
  }
  void AddRawBlock(const std::vector<uint8_t>& bytes, uint32_t ulen) {
    Parts.CompressedLengths.push_back(static_cast<uint32_t>(bytes.size()));
    Parts.Blocks.insert(Parts.Blocks.end(), bytes.begin(), bytes.end());
    Parts.BlockCount++;
    Parts.LastBlockLength = ulen;
  }
  std::vector<uint8_t> Image() const {
    std::vector<uint8_t> file;
    AssembleFile(Parts, &file);
    return file;
  }
};
