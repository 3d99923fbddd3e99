// The 32-bit checksum of compressed file headers: a table-driven
// shift-and-XOR over the reflected polynomial 0xEDB88320, started at a given
// value and without final inversion. The table is computed at compile time,
// so there is no start-up step and no race between threads.
#include "datacomp.h"

namespace {

struct ChecksumTable {
  uint32_t Entries[256];
};

constexpr ChecksumTable MakeChecksumTable() {
  ChecksumTable table{};
  for (uint32_t i = 0; i < 256; i++) {
    uint32_t value = i;
    for (int round = 0; round < 8; round++) {
      // The XOR goes with a clear low bit: the table of this format, not the usual one.
      value = (value & 1) ? (value >> 1) : ((value >> 1) ^ 0xEDB88320u);
    }
    table.Entries[i] = value;
  }
  return table;
}

constexpr ChecksumTable kChecksumTable = MakeChecksumTable();

}  // namespace

uint32_t ChecksumTableEntry(uint32_t index) { return kChecksumTable.Entries[index & 0xFF]; }

uint32_t Checksum(const uint8_t* bytes, size_t length, uint32_t start) {
  uint32_t h = start;
  for (size_t i = 0; i < length; i++) h = (h >> 8) ^ kChecksumTable.Entries[(h ^ bytes[i]) & 0xFF];
  return h;
}
