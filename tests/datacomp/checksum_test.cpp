#include <gtest/gtest.h>

#include <cstring>

#include "datacomp.h"

TEST(DatacompChecksum, KnownValues) {
  EXPECT_EQ(ChecksumTableEntry(0), 0x2D02EF8Du);
  EXPECT_EQ(ChecksumTableEntry(255), 0u);
  const uint8_t abc[] = {'a', 'b', 'c'};
  EXPECT_EQ(Checksum(abc, 3, 0), 0xCADBBEC2u);
  EXPECT_EQ(Checksum(abc, 0, 0x1234u), 0x1234u);
}

TEST(DatacompChecksum, ContinuesFromStart) {
  const char* text = "the quick brown fox jumps over the lazy dog";
  const uint8_t* bytes = reinterpret_cast<const uint8_t*>(text);
  size_t length = std::strlen(text);
  for (size_t cut = 0; cut <= length; cut++)
    EXPECT_EQ(Checksum(bytes + cut, length - cut, Checksum(bytes, cut, 0)), Checksum(bytes, length, 0));
}
