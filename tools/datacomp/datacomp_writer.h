// Writing DATACOMP files: the compressor behind `obrantule-tb pack`.
//
// The data is cut into 8192-byte blocks; all blocks share one set of 24 copy
// distances and one canonical prefix code, both chosen from the data. Each
// block is parsed into literals and copies by a shortest-path search over the
// code's bit costs and stored as is when coding would not make it shorter.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "datacomp.h"

// How the 24 copy distances are chosen.
constexpr int32_t kDistancesFromData = 0;  // greedy coverage on a sample of the blocks (default)
constexpr int32_t kDistancesGiven = 1;     // taken from PackOptions::Distances
constexpr int32_t kDistancesStrongest = 2; // the 24 distances with the most matches, unrefined

struct PackOptions {
  int32_t DistanceChoice = kDistancesFromData;
  uint32_t Distances[kDatacompDistanceCount] = {};
  // Rounds of parse-and-recount that settle the code before the final
  // parse: first on a sample of the blocks, then on all of them.
  int32_t ModelPasses = 2;
  int32_t WholePasses = 1;
  // Threads that share the work; the file is the same for any number.
  int32_t Threads = 1;
};

struct PackStats {
  uint64_t InputLength = 0;
  uint64_t OutputLength = 0;
  uint32_t HeaderLength = 0;
  uint32_t BlockCount = 0;
  uint32_t StoredBlocks = 0;
  uint32_t Distances[kDatacompDistanceCount] = {};
};

// Compresses data into a complete file image. Returns 0 or a negative code.
int32_t PackData(const uint8_t* data, size_t length, const PackOptions* options,
                 std::vector<uint8_t>* file, PackStats* stats);
// Restores the original data from a file image (every block checked).
int32_t UnpackData(const uint8_t* file, size_t length, std::vector<uint8_t>* data);

// The 24 distances (each 1..8191) that cover most of the sampled data with copies.
void ChooseDistances(const uint8_t* data, size_t length, int32_t choice,
                     uint32_t distances[kDatacompDistanceCount], int32_t threads = 1);

// Code lengths (at most maxLength bits) of a prefix code for these symbol
// frequencies; absent symbols get 0. A single present symbol gets length 1.
void BuildCodeLengths(const uint64_t* frequencies, uint32_t count, uint32_t maxLength,
                      uint8_t* lengths);
// Canonical code values for the lengths, ordered by length then symbol.
void AssignCanonicalCodes(const uint8_t* lengths, uint32_t count, uint32_t* codes);

// Copy length code (0..31) of a copy length and its extra bits.
uint32_t CopyLengthCode(uint32_t length, uint32_t* extraBits, uint32_t* extraValue);

// Packed symbol of a parse: symbol | extra-bit count << 10 | extra value << 15.
inline uint32_t MakeToken(uint32_t symbol, uint32_t extraBits, uint32_t extraValue) {
  return symbol | (extraBits << 10) | (extraValue << 15);
}
inline uint32_t TokenSymbol(uint32_t token) { return token & 1023u; }
inline uint32_t TokenExtraBits(uint32_t token) { return (token >> 10) & 31u; }
inline uint32_t TokenExtraValue(uint32_t token) { return token >> 15; }

// Everything a file image is made of; AssembleFile writes the header around it.
struct FileImageParts {
  uint32_t BlockBits = kDatacompTableBlockBits;
  uint32_t BlockCount = 0;
  uint32_t LastBlockLength = 0;
  std::vector<uint32_t> CompressedLengths;  // one per block
  std::vector<uint32_t> CheckValues;        // two per block
  uint32_t Distances[kDatacompDistanceCount] = {};
  uint8_t CodeLengths[kDatacompSymbolCount] = {};
  std::vector<uint8_t> Blocks;              // the blocks' bytes, back to back
};
void AssembleFile(const FileImageParts& parts, std::vector<uint8_t>* file);

struct BitWriter;
// Writes the 1024 symbol code lengths in their nested form.
void WriteSymbolCodeLengths(BitWriter* writer, const uint8_t* lengths);

// Bit costs per symbol for the parse: a first guess from the byte
// frequencies, then the lengths of the code the last parse would get.
void InitialSymbolCosts(const uint8_t* data, size_t length, uint32_t costs[kDatacompSymbolCount]);
void SymbolCostsFromFrequencies(const uint64_t frequencies[kDatacompSymbolCount],
                                uint32_t costs[kDatacompSymbolCount]);

// Parses one block (at most the block size) into tokens, minimising the cost
// in bits given per symbol.
void ParseBlock(const uint8_t* block, uint32_t length, const uint32_t distances[kDatacompDistanceCount],
                const uint32_t symbolCosts[kDatacompSymbolCount], std::vector<uint32_t>* tokens);

// Table-like sample data (about 1.7 MB) for tests and benchmarks; variants
// 0..3 differ in side to move and rules.
void SynthesiseTable(uint32_t variant, std::vector<uint8_t>* data);
