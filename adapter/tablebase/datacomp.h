// DATACOMP compressed table files: header checks and block decoding.
//
// A file is a header followed by independently compressed blocks. The routines
// here never trust the bytes they are given: every field is checked against
// the buffers it refers to, and every failure comes back as a negative code.
// File access is kept apart from decoding (datacomp_file.cpp) so that callers
// with their own file layer, and the fuzzer, use the pure routines directly.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "datacomp_bits.h"

// Result codes. 0 is success; every error is negative.
constexpr int32_t kDatacompOk = 0;
constexpr int32_t kDatacompErrorShortHeader = -1;    // fewer bytes than the header needs
constexpr int32_t kDatacompErrorBanner = -2;         // bytes 0..63 are not the banner
constexpr int32_t kDatacompErrorHeaderField = -3;    // B, H, distance count or magic wrong
constexpr int32_t kDatacompErrorHeaderLength = -4;   // H larger than the file or than any table needs
constexpr int32_t kDatacompErrorChecksum = -5;       // header checksum mismatch
constexpr int32_t kDatacompErrorBlockCount = -6;     // n does not fit in the header
constexpr int32_t kDatacompErrorHeaderStream = -7;   // header bit stream runs into the checksum
constexpr int32_t kDatacompErrorCodeLengths = -8;    // lengths past their count or above 31
constexpr int32_t kDatacompErrorPrefixCode = -9;     // lengths that do not form a prefix code
constexpr int32_t kDatacompErrorOffsets = -10;       // blocks reach past the end of the file
constexpr int32_t kDatacompErrorBlockNumber = -11;   // no such block
constexpr int32_t kDatacompErrorOutputSpace = -12;   // caller's buffer smaller than the block
constexpr int32_t kDatacompErrorInputSpace = -13;    // compressed block larger than the input buffer
constexpr int32_t kDatacompErrorCopyDistance = -14;  // copy from before the block's start
constexpr int32_t kDatacompErrorBlockStream = -15;   // block bit stream runs past the block
constexpr int32_t kDatacompErrorSeek = -16;
constexpr int32_t kDatacompErrorRead = -17;
constexpr int32_t kDatacompErrorMemory = -18;

// A short English text for a result code, for tools and messages.
const char* DatacompErrorText(int32_t code);

constexpr uint32_t kDatacompFixedHeaderLength = 80;
constexpr uint32_t kDatacompMinHeaderLength = 84;
constexpr uint32_t kDatacompBannerLength = 60;
constexpr uint32_t kDatacompDistanceCount = 24;
constexpr uint32_t kDatacompSymbolCount = 1024;
constexpr uint32_t kDatacompLiteralCount = 256;
constexpr uint32_t kDatacompLengthCodeCount = 32;
constexpr uint32_t kDatacompMaxCodeLength = 31;
constexpr uint32_t kDatacompPrimaryBits = 13;
constexpr uint32_t kDatacompLengthPrimaryBits = 8;
constexpr uint32_t kDatacompMaxBlockBits = 16;
constexpr uint32_t kDatacompTableBlockBits = 13;
constexpr uint32_t kDatacompTableBlockSize = 1u << kDatacompTableBlockBits;
// The work area holds one compressed block of a table file.
constexpr uint32_t kDatacompInputBufferSize = kDatacompTableBlockSize;
// No table needs a header anywhere near this; a larger H is a damaged file
// and must not make the reader allocate gigabytes.
constexpr uint32_t kDatacompMaxHeaderLength = 1u << 26;
// Bytes 76..79 of every header.
constexpr uint8_t kDatacompMagic[4] = {0x00, 0x40, 0x01, 0xF5};

// The 60-byte banner line that opens every compressed file (followed by four
// zero bytes). Files are recognised by it byte for byte. It belongs to the
// compressor that wrote the files: to read files written by another
// compressor of this format, put that compressor's banner (the first 60 bytes
// of one of its files) here; nothing else depends on the text.
constexpr char kDatacompBanner[kDatacompBannerLength + 1] =
    "Obrantule DATACOMP table compressor 1.0, 8192-byte blocks \r\n";
static_assert(kDatacompBanner[58] == '\r' && kDatacompBanner[59] == '\n' && kDatacompBanner[60] == 0,
              "the banner is one line of exactly 60 bytes");

// Decoding table of a canonical prefix code: a primary table indexed by the
// next PrimaryBits bits of the stream, entries >= 0 holding symbol * 32 + code
// length; a negative entry -p names the pair of tree slots Tree[2p], Tree[2p+1]
// (next bit 0, 1) for longer codes. Tree slots hold the same: >= 0 a symbol,
// < 0 another pair.
struct PrefixDecodeTable {
  int32_t PrimaryBits;
  int32_t PairCount;
  int16_t Primary[1u << kDatacompPrimaryBits];
  int16_t Tree[2 * (kDatacompSymbolCount + 1)];
};

// Entries of the paired symbol table: what the next 13 bits of a block
// stream hold, up to two symbols in one lookup. Table data is mostly short
// literals and copies in turn, so a literal and the copy after it (or two
// literals) are taken with one lookup and no branch between them.
//   bits 0..3   stream bits the entry's symbols take (0..13)
//   bits 4..5   literals (0..2), written in order from bit 8
//   bit 6       a copy follows the literals; its symbol - 256 in bits 16..25
//               (then there is at most one literal)
//   bit 7       the first code is longer than 13 bits: decode it one symbol
//               at a time from the prefix table
//   bits 8..15  first literal; bits 16..23 second literal
constexpr uint32_t kPairedCopy = 1u << 6;
constexpr uint32_t kPairedLongCode = 1u << 7;

// Checked header of one compressed file.
struct CompressedHeader {
  uint32_t HeaderLength;             // H
  uint32_t BlockBits;                // B
  uint32_t BlockSize;                // 2^B
  uint32_t BlockCount;               // n
  uint32_t LastBlockLength;          // uncompressed length of block n - 1 (0 when n = 0)
  uint32_t LargestCompressedLength;  // of all blocks
  uint32_t Distances[kDatacompDistanceCount];
  std::vector<uint64_t> Offsets;     // n + 1 file offsets: block i is [Offsets[i], Offsets[i + 1])
  PrefixDecodeTable Symbols;         // the 1024-symbol code shared by all blocks
  uint32_t Paired[1u << kDatacompPrimaryBits];  // the same code, two symbols a lookup
};

// Work area for one block read: the compressed bytes of the block being decoded.
struct BlockDecoder {
  uint32_t BlockNumber;
  uint32_t InputLength;
  uint8_t Input[kDatacompInputBufferSize];
};

// Checksum of a byte string, continuing from start.
uint32_t Checksum(const uint8_t* bytes, size_t length, uint32_t start);
// One entry of the checksum table (exposed for its known values).
uint32_t ChecksumTableEntry(uint32_t index);

// Reads count code lengths (count 1024 for the symbols, 128 for the nested
// length codes) from the stream into lengths. Each length is 0..31.
int32_t ReadCodeLengths(BitReader* reader, uint8_t* lengths, uint32_t count);
// Builds the decoding table of the canonical code with these lengths;
// primaryBits is 13 or 8. Rejects lengths above 31 and incomplete or
// oversubscribed codes (a single code of length 1 and the empty code are valid).
int32_t BuildDecodeTable(const uint8_t* lengths, uint32_t count, uint32_t primaryBits,
                         PrefixDecodeTable* table);
// Fills the paired table (entries as described at kPairedCopy) from the
// 13-bit decoding table of the symbol code.
void BuildPairedTable(const PrefixDecodeTable* symbols, uint32_t* paired);
// Decodes one symbol; the reader must hold at least 31 bits (BitReaderRefill).
// primaryBits is the table's own; callers that know it pass it as a constant.
inline uint32_t DecodeSymbolWith(BitReader* reader, const PrefixDecodeTable* table, uint32_t primaryBits) {
  int32_t entry = table->Primary[BitReaderPeek(reader, primaryBits)];
  if (entry >= 0) {
    BitReaderSkip(reader, static_cast<uint32_t>(entry) & 31u);
    return static_cast<uint32_t>(entry) >> 5;
  }
  BitReaderSkip(reader, primaryBits);
  do {
    entry = table->Tree[2 * -entry + static_cast<int32_t>(BitReaderPeek(reader, 1))];
    BitReaderSkip(reader, 1);
  } while (entry < 0);
  return static_cast<uint32_t>(entry);
}
inline uint32_t DecodeSymbol(BitReader* reader, const PrefixDecodeTable* table) {
  return DecodeSymbolWith(reader, table, static_cast<uint32_t>(table->PrimaryBits));
}

// Header reading in two steps, for callers that read the file themselves:
// from the first 80 bytes (at least) and the file's length, the header length
// H to read; then the whole header (H bytes) checked and decoded.
int32_t CompressedHeaderLength(const uint8_t* bytes, size_t length, uint64_t fileLength,
                               uint32_t* headerLength);
int32_t ParseCompressedHeader(const uint8_t* bytes, size_t length, uint64_t fileLength,
                              CompressedHeader* header);

// Uncompressed length of block i (0 for a block that does not exist).
uint32_t BlockLength(const CompressedHeader* header, uint32_t block);
// Uncompressed length of the whole file's data.
uint64_t CompressedDataLength(const CompressedHeader* header);
// Where block i lies in the file: its offset and compressed length.
int32_t BlockSpan(const CompressedHeader* header, uint32_t block, uint64_t* offset,
                  uint32_t* length);

// Decodes one block from its compressed bytes into output, which has room for
// capacity bytes; the block's uncompressed length must fit. A block stored as
// is (compressed length = uncompressed length) is copied. Nothing is read
// outside [input, input + inputLength) nor written outside the block's bytes.
int32_t DecodeBlockBytes(const CompressedHeader* header, uint32_t block, const uint8_t* input,
                         uint32_t inputLength, uint8_t* output, uint32_t capacity);
// The same from the work area, whose Input holds the block's compressed bytes.
int32_t DecodeBlock(const BlockDecoder* decoder, const CompressedHeader* header, uint8_t* output,
                    uint32_t capacity);
// Block i of a whole file held in memory.
int32_t ExtractBlock(const CompressedHeader* header, const uint8_t* file, uint64_t fileLength,
                     uint32_t block, uint8_t* output, uint32_t capacity);

// File forms through the prober's file layer (datacomp_file.cpp): read and
// check the header of an open table file; read block i's compressed bytes
// into the work area (the file is not needed to decode them); read block i
// and decode it into output.
struct TableFile;
int32_t ReadCompressedHeader(TableFile* file, CompressedHeader* header);
int32_t ReadCompressedBlockBytes(BlockDecoder* decoder, const CompressedHeader* header, TableFile* file,
                                 uint32_t block);
int32_t ReadCompressedBlock(BlockDecoder* decoder, const CompressedHeader* header, TableFile* file,
                            uint32_t block, uint8_t* output, uint32_t capacity);
