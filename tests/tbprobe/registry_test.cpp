// Registration: directory, class and name order, the piece-count result,
// reference counting, settings, and files that do not match.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "block_cache.h"
#include "datacomp.h"
#include "table_fixture.h"
#include "tablebase_probe.h"
#include "tablebase_registry.h"

namespace {

constexpr int32_t Kpk = 1;
constexpr int32_t Krk = 4;
constexpr int32_t Kqk = 5;
constexpr int32_t Kqkr = 19;
constexpr int32_t Kqkq = 20;
constexpr int32_t Kqqk = 35;
constexpr int32_t Kppkp = 36;

bool Registered(int32_t tableClass, int32_t side) {
  return TableSides[tableClass][side].Registered.load() != 0;
}

TEST(Registry, TheFirstDirectoryHoldingATableWins) {
  ScratchDirectory scratch;
  std::string first = scratch.Subdirectory("first"), second = scratch.Subdirectory("second");
  WritePatternTable(first, Krk, 0);
  // The second directory's white table holds other bytes; its black one is the only one.
  WriteFile(second + "/krk.nbw", PatternTable(Kqk, 0, TableLength(Krk, 0)));
  WritePatternTable(second, Krk, 1);
  for (const char* separator : {";", ","}) {
    TablebaseSession session(scratch);
    ASSERT_EQ(session.Init(first + separator + second), 3);
    for (uint32_t index : {0u, 1234u, 27029u}) {
      EXPECT_EQ(ProbeScore(ReadTableValue(Krk, 0, index)), ScoreOfByte(PatternByte(Krk, 0, index))) << index;
      EXPECT_EQ(ProbeScore(ReadTableValue(Krk, 1, index)), ScoreOfByte(PatternByte(Krk, 1, index))) << index;
    }
    EXPECT_EQ(std::string(TableSides[Krk][0].Path), first + "/krk.nbw");
    EXPECT_EQ(std::string(TableSides[Krk][1].Path), second + "/krk.nbb");
  }
}

TEST(Registry, ResultIsThePieceCountOfTheLargestClass) {
  ScratchDirectory scratch;
  std::string directory = scratch.Path();
  TablebaseSession session(scratch);
  EXPECT_EQ(session.Init(directory), 0);
  session.Shutdown();

  WritePatternTable(directory, Kpk, 1);
  WritePatternTable(directory, Kqk, 0);
  EXPECT_EQ(session.Init(directory), 3);
  session.Shutdown();

  WriteCompressedPatternTable(directory, Kqqk, 0, "kqqk.nbw.emd");
  EXPECT_EQ(session.Init(directory), 4);
  EXPECT_TRUE(Registered(Kqqk, 0));
  EXPECT_FALSE(Registered(Kqqk, 1));
  session.Shutdown();

  // Only the length of a file is checked at registration: an empty sparse file will do.
  WriteSparseFile(directory + "/kppkp.nbb", TableLength(Kppkp, 1));
  EXPECT_EQ(session.Init(directory), 5);
}

TEST(Registry, CompressedNamesAreTriedInOrder) {
  ScratchDirectory scratch;
  std::string a = scratch.Subdirectory("a"), b = scratch.Subdirectory("b"), c = scratch.Subdirectory("c");
  WriteCompressedPatternTable(a, Kqk, 0, "kqk_nbw.emd");
  WriteCompressedPatternTable(a, Kqk, 1, "kqknbb.emd");
  // Both a plain and a compressed file: the plain one is taken.
  WritePatternTable(b, Krk, 0);
  WriteCompressedPatternTable(b, Krk, 0, "krk.nbw.emd");
  // Two compressed names: ".nbw.emd" comes before "_nbw.emd".
  WriteCompressedPatternTable(c, Kpk, 0, "kpk.nbw.emd");
  WriteFile(c + "/kpk_nbw.emd", {1, 2, 3});
  TablebaseSession session(scratch);
  ASSERT_EQ(session.Init(a + ";" + b + ";" + c), 3);
  EXPECT_EQ(std::string(TableSides[Kqk][0].Path), a + "/kqk_nbw.emd");
  EXPECT_EQ(std::string(TableSides[Kqk][1].Path), a + "/kqknbb.emd");
  EXPECT_EQ(std::string(TableSides[Krk][0].Path), b + "/krk.nbw");
  EXPECT_EQ(std::string(TableSides[Kpk][0].Path), c + "/kpk.nbw.emd");
  for (uint32_t index = 0; index < TableLength(Kqk, 1); index += 997)
    ASSERT_EQ(ProbeScore(ReadTableValue(Kqk, 1, index)), ScoreOfByte(PatternByte(Kqk, 1, index))) << index;
}

TEST(Registry, SymmetricClassesUseOnlyTheWhiteToMoveFile) {
  ScratchDirectory scratch;
  WriteFile(scratch.File("kqkq.nbb"), PatternTable(Kqkr, 1, TableLength(Kqkq, 1)));
  TablebaseSession session(scratch);
  EXPECT_EQ(session.Init(scratch.Path()), 0);
  session.Shutdown();
  WritePatternTable(scratch.Path(), Kqkq, 0);
  EXPECT_EQ(session.Init(scratch.Path()), 4);
  EXPECT_EQ(std::string(TableSides[Kqkq][0].Path), scratch.File("kqkq.nbw"));
  EXPECT_EQ(TableSides[Kqkq][1].Path, nullptr);
  EXPECT_EQ(&TableSideOf(Kqkq, 1), &TableSides[Kqkq][0]);
  // Black to move reads the white-to-move file.
  EXPECT_EQ(ProbeScore(ReadTableValue(Kqkq, 1, 777)), ScoreOfByte(PatternByte(Kqkq, 0, 777)));
}

TEST(Registry, ConnectionsShareOneSetUp) {
  ScratchDirectory scratch;
  std::string a = scratch.Subdirectory("a"), b = scratch.Subdirectory("b");
  WritePatternTable(a, Kqk, 0);
  WriteSparseFile(b + "/kppkp.nbw", TableLength(Kppkp, 0));
  TablebaseSession session(scratch);
  ASSERT_EQ(session.Init(a), 3);
  // The second connection neither reads the settings nor registers again.
  EXPECT_EQ(session.Init(b), 3);
  EXPECT_FALSE(Registered(Kppkp, 0));
  session.Shutdown();
  EXPECT_TRUE(Registered(Kqk, 0));
  EXPECT_EQ(CacheEntryCount(), 126);
  session.Shutdown();
  EXPECT_FALSE(Registered(Kqk, 0));
  EXPECT_EQ(CacheEntryCount(), 0);
  int32_t whiteQueen[10] = {0, 0, 0, 0, 1, 0, 0, 0, 0, 0};
  int32_t white[24] = {18, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 19};
  int32_t black[24] = {36};
  int32_t out = 99;
  EXPECT_EQ(TBProbeList(whiteQueen, white, black, 0, 0, &out), 0);
  EXPECT_EQ(out, 99);
  // Set up again from the start: the new settings count now.
  EXPECT_EQ(session.Init(b), 5);
}

TEST(Registry, AnUnmatchedShutdownChangesNothing) {
  ScratchDirectory scratch;
  WritePatternTable(scratch.Path(), Kqk, 0);
  TablebaseShutdown();
  TablebaseSession session(scratch);
  EXPECT_EQ(session.Init(scratch.Path()), 3);
  EXPECT_TRUE(Registered(Kqk, 0));
}

TEST(Registry, DefaultPathAndCacheSize) {
  ScratchDirectory scratch;
  std::string tables = scratch.Subdirectory("Tablebase");
  WritePatternTable(tables, Krk, 0);
  TablebaseSession session(scratch);
  // No Path: the directory handed over, immediately followed by "Tablebase".
  EXPECT_EQ(session.Init("", "", scratch.Path() + "/"), 3);
  EXPECT_EQ(CacheEntryCount(), 126);
  session.Shutdown();
  // Without cache entries (the memory cannot be had) no table is usable.
  const struct {
    const char* SizeKB;
    int32_t Entries, Result;
  } sizes[] = {{"100", 126, 3},  {"1024", 126, 3}, {"2048", 253, 3},
               {"-5", 126, 3},   {"junk", 126, 3}, {"99999999999999999999999", 0, 0}};
  for (const auto& size : sizes) {
    EXPECT_EQ(session.Init(tables, size.SizeKB), size.Result) << size.SizeKB;
    EXPECT_EQ(CacheEntryCount(), size.Entries) << size.SizeKB;
    session.Shutdown();
  }
}

TEST(Registry, WithoutCacheEntriesProbesGiveNoAnswer) {
  ScratchDirectory scratch;
  WritePatternTable(scratch.Path(), Kqk, 0);
  TablebaseSession session(scratch);
  ASSERT_EQ(session.Init(scratch.Path(), "99999999999999999999999"), 0);
  EXPECT_EQ(ReadTableValue(Kqk, 0, 5), TableValueUnknown);
  int32_t counts[10] = {0, 0, 0, 0, 1, 0, 0, 0, 0, 0};
  int32_t white[24] = {18, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 19};
  int32_t black[24] = {36};
  int32_t out = 99;
  EXPECT_EQ(TBProbeList(counts, white, black, 0, 0, &out), 0);
  uint8_t board[64] = {};
  board[18] = 6;
  board[19] = 5;
  board[36] = 14;
  EXPECT_EQ(TBProbeBoard(board, 0, 0, &out), 0);
  EXPECT_EQ(out, 99);
}

TEST(Registry, FilesThatDoNotMatchAreLeftOutAndTheRestRegistered) {
  ScratchDirectory scratch;
  std::string a = scratch.Subdirectory("a"), b = scratch.Subdirectory("b");
  // One byte short; a later directory's good copy is taken instead.
  WriteFile(a + "/krk.nbw", PatternTable(Krk, 0, TableLength(Krk, 0) - 1));
  WritePatternTable(b, Krk, 0);
  // One byte too long, and nowhere else.
  WriteFile(a + "/krk.nbb", PatternTable(Krk, 1, TableLength(Krk, 1) + 1));
  // A compressed file written by another compressor (a banner line that is
  // not ours, the header checksum made right), one whose header was damaged,
  // and a sound one of the wrong length.
  std::vector<uint8_t> foreign = CompressForTest(PatternTable(Kqk, 0, TableLength(Kqk, 0)));
  const char otherBanner[] = "Some other table compressor, release 2 \r\n";
  std::copy(otherBanner, otherBanner + sizeof otherBanner - 1, foreign.begin());
  std::fill(foreign.begin() + (sizeof otherBanner - 1), foreign.begin() + 64, 0);
  const uint32_t headerLength = foreign[64] << 24 | foreign[65] << 16 | foreign[66] << 8 | foreign[67];
  const uint32_t sum = Checksum(foreign.data(), headerLength - 4, 0);
  for (int32_t i = 0; i < 4; i++) foreign[headerLength - 4 + i] = uint8_t(sum >> (24 - 8 * i));
  WriteFile(a + "/kqk.nbw.emd", foreign);
  std::string damaged = WriteCompressedPatternTable(a, Kqk, 1, "kqk.nbb.emd");
  std::vector<uint8_t> bytes = ReadFile(damaged);
  bytes[90] ^= 0x10;
  WriteFile(damaged, bytes);
  WriteFile(a + "/kpk.nbw.emd", CompressForTest(PatternTable(Kpk, 0, TableLength(Kpk, 0) - 8192)));
  WritePatternTable(a, Kpk, 1);
  TablebaseSession session(scratch);
  EXPECT_EQ(session.Init(a + ";" + b), 3);
  EXPECT_EQ(std::string(TableSides[Krk][0].Path), b + "/krk.nbw");
  EXPECT_FALSE(Registered(Krk, 1));
  EXPECT_FALSE(Registered(Kqk, 0));
  EXPECT_FALSE(Registered(Kqk, 1));
  EXPECT_FALSE(Registered(Kpk, 0));
  EXPECT_TRUE(Registered(Kpk, 1));
  EXPECT_EQ(ProbeScore(ReadTableValue(Krk, 0, 100)), ScoreOfByte(PatternByte(Krk, 0, 100)));
}

}  // namespace
