// The probe entry points: class and orientation from the material, the
// index function's entry read back, the value conversion, en passant, and
// boards from outside that are no positions.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "block_cache.h"
#include "position_index.h"
#include "table_fixture.h"
#include "tablebase_probe.h"
#include "tablebase_registry.h"

namespace {

constexpr int32_t Krk = 4;
constexpr int32_t Kqk = 5;
constexpr int32_t Kpkp = 6;
constexpr int32_t Kbkn = 10;
constexpr int32_t Kqkr = 19;
constexpr int32_t Kqkq = 20;
constexpr int32_t Kppk = 21;
constexpr int32_t Kbnk = 25;
constexpr int32_t Kppkp = 36;

TEST(ProbeScore, ConvertsEveryStoredByte) {
  ScratchDirectory scratch;
  std::vector<uint8_t> bytes(TableLength(Krk, 0));
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i);
  WriteFile(scratch.File("krk.nbw"), bytes);
  TablebaseSession session(scratch);
  ASSERT_EQ(session.Init(scratch.Path()), 3);
  for (uint32_t i = 0; i < 256; ++i) {
    int32_t value = ReadTableValue(Krk, 0, i + 512);
    EXPECT_EQ(ProbeScore(value), ScoreOfByte(static_cast<uint8_t>(i))) << i;
  }
  // Internal values of the two-step conversion that other code keeps.
  EXPECT_EQ(ReadTableValue(Krk, 0, 1), 32641);
  EXPECT_EQ(ReadTableValue(Krk, 0, 126), 32766);
  EXPECT_EQ(ReadTableValue(Krk, 0, 127), 32767);
  EXPECT_EQ(ReadTableValue(Krk, 0, 128), 32640);
  EXPECT_EQ(ReadTableValue(Krk, 0, 129), -32640);
  EXPECT_EQ(ReadTableValue(Krk, 0, 255), -32641);
  EXPECT_EQ(ReadTableValue(Krk, 0, 256), 0);
  EXPECT_EQ(ProbeScore(-32767), -32767);
  EXPECT_EQ(ProbeScore(-32768), 32767);
  EXPECT_EQ(ProbeScore(32767), 0);
  EXPECT_EQ(ProbeScore(-32639), -128);
}

TEST(ProbeScore, SevenKppkpEntriesAreOverridden) {
  ScratchDirectory scratch;
  WriteSparseFile(scratch.File("kppkp.nbw"), TableLength(Kppkp, 0));
  WriteSparseFile(scratch.File("kppkp.nbb"), TableLength(Kppkp, 1));
  TablebaseSession session(scratch);
  ASSERT_EQ(session.Init(scratch.Path()), 5);
  for (uint32_t index : {56802428u, 56811076u, 56849992u, 56858640u, 59592489u, 67775659u, 71071628u}) {
    EXPECT_EQ(ReadTableValue(Kppkp, 1, index), -32639) << index;
    EXPECT_EQ(ProbeScore(ReadTableValue(Kppkp, 1, index)), -128);
    EXPECT_EQ(ReadTableValue(Kppkp, 1, index + 1), 0);
    EXPECT_EQ(ReadTableValue(Kppkp, 0, index), 0);
  }
}

class Probe : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    scratch_ = new ScratchDirectory;
    for (int32_t c : {1, 2, 3, Krk, Kqk, Kpkp, Kbkn, Kqkr, Kppk, Kbnk})
      for (int32_t side = 0; side < 2; ++side) WritePatternTable(scratch_->Path(), c, side);
    WritePatternTable(scratch_->Path(), Kqkq, 0);
    // Other bytes in the black-to-move file of the symmetric class: never read.
    WriteFile(scratch_->File("kqkq.nbb"), PatternTable(Kqkr, 0, TableLength(Kqkq, 1)));
  }
  static void TearDownTestSuite() {
    delete scratch_;
    scratch_ = nullptr;
  }
  void SetUp() override { ASSERT_EQ(session_.Init(scratch_->Path()), 4); }

  static ScratchDirectory* scratch_;
  TablebaseSession session_{*scratch_};
};
ScratchDirectory* Probe::scratch_ = nullptr;

TEST_F(Probe, AKingNotToMoveInCheckIsAnsweredWithZero) {
  // White Kc3, Qd4, black Ke5, white to move: a position no table holds.
  uint8_t board[64] = {};
  board[18] = 6;
  board[27] = 5;
  board[36] = 14;
  int32_t out = 999;
  ASSERT_EQ(TBProbeBoard(board, 0, 0, &out), 1);
  EXPECT_EQ(out, 0);
}

// Both colour orientations of every class, the symmetric kqkq (whose black
// file holds other bytes: black to move reads the white file through the
// black-to-move index) and kpkp (like men on both sides, either orientation
// in the trie).
TEST_F(Probe, BothProbesAnswerTheIndexFunctionsEntry) {
  uint64_t seed = 0x9E3779B97F4A7C15ULL;
  for (int32_t c : {1, 2, 3, Krk, Kqk, Kpkp, Kbkn, Kqkr, Kqkq, Kppk, Kbnk})
    for (int32_t i = 0; i < 400; ++i) {
      ClassPosition p = RandomClassPosition(c, seed);
      ClassPosition x = ExchangeColours(p);
      for (int32_t side = 0; side < 2; ++side) {
        SCOPED_TRACE(std::string(TablebaseClasses[c].Name) + " side " + std::to_string(side));
        for (const ClassPosition* q : {&p, &x}) {
          int32_t expected = ExpectedProbe(q->Counts, q->White, q->Black, side, NoEnPassant);
          int32_t out = 999;
          ASSERT_EQ(TBProbeList(q->Counts, q->White, q->Black, side, 0, &out), 1);
          ASSERT_EQ(out, expected);
          uint8_t board[64];
          BoardOf(*q, board);
          ASSERT_EQ(TBProbeBoard(board, side, 0, &out), 1);
          ASSERT_EQ(out, expected);
        }
      }
    }
}

TEST_F(Probe, EnPassantIsPassedOnOnlyWhenAPawnCanTake) {
  // White pawn e4 has just moved two steps; black Kh8, white Ka1.
  auto expectFor = [](const uint8_t* board, int32_t ep) {
    int32_t white[24] = {}, black[24] = {};
    int32_t nw = 0, nb = 0;
    for (int32_t s = 0; s < 64; ++s) {
      if (board[s] == 6) white[0] = s;
      if (board[s] == 14) black[0] = s;
      if (board[s] == 1) white[4 + nw++] = s;
      if (board[s] == 9) black[4 + nb++] = s;
    }
    int32_t counts[10] = {nw, 0, 0, 0, 0, nb, 0, 0, 0, 0};
    return ExpectedProbe(counts, white, black, 1, ep);
  };
  uint8_t board[64] = {};
  board[0] = 6;
  board[63] = 14;
  board[28] = 1;  // e4
  board[27] = 9;  // d4 can take on e3
  int32_t out = 999;
  ASSERT_NE(expectFor(board, 20), expectFor(board, NoEnPassant));
  ASSERT_EQ(TBProbeBoard(board, 1, 20, &out), 1);
  EXPECT_EQ(out, expectFor(board, 20));
  int32_t counts[10] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0};
  int32_t white[24] = {0, 0, 0, 0, 28};
  int32_t black[24] = {63, 0, 0, 0, 27};
  ASSERT_EQ(TBProbeList(counts, white, black, 1, 20, &out), 1);
  EXPECT_EQ(out, expectFor(board, 20));

  // The black pawn on c4 cannot take on e3: no en passant.
  board[27] = 0;
  board[26] = 9;
  black[4] = 26;
  ASSERT_EQ(TBProbeBoard(board, 1, 20, &out), 1);
  EXPECT_EQ(out, expectFor(board, NoEnPassant));
  ASSERT_EQ(TBProbeList(counts, white, black, 1, 20, &out), 1);
  EXPECT_EQ(out, expectFor(board, NoEnPassant));

  // a3 as the square: h3 (a3 + 7) is never looked at.
  board[26] = 0;
  board[28] = 0;
  board[24] = 1;  // a4
  board[23] = 9;  // h3
  ASSERT_EQ(TBProbeBoard(board, 1, 16, &out), 1);
  EXPECT_EQ(out, expectFor(board, NoEnPassant));
  // b4 takes on a3.
  board[23] = 0;
  board[25] = 9;
  ASSERT_NE(expectFor(board, 16), expectFor(board, NoEnPassant));
  ASSERT_EQ(TBProbeBoard(board, 1, 16, &out), 1);
  EXPECT_EQ(out, expectFor(board, 16));
  // A square on no en-passant rank is no en-passant square.
  ASSERT_EQ(TBProbeBoard(board, 1, 60, &out), 1);
  EXPECT_EQ(out, expectFor(board, NoEnPassant));
  ASSERT_EQ(TBProbeBoard(board, 0, -9, &out), 1);
}

TEST_F(Probe, BoardsThatAreNoPositionAnswerNothing) {
  // King counts and too many men are also met by the random boards below.
  uint8_t good[64] = {};
  good[18] = 6;
  good[19] = 5;
  good[36] = 14;
  int32_t out = 999;
  ASSERT_EQ(TBProbeBoard(good, 0, 0, &out), 1);
  out = 999;
  auto refused = [&](const uint8_t* board, int32_t side = 0) {
    int32_t result = TBProbeBoard(board, side, 0, &out);
    return result == 0 && out == 999;
  };
  uint8_t board[64];
  for (uint8_t code : {7, 8, 15, 16, 128, 255}) {
    std::memcpy(board, good, 64);
    board[40] = code;
    EXPECT_TRUE(refused(board)) << int(code);
  }
  // Five men of one kind and no king: the lists must not overflow.
  for (uint8_t code : {1, 5, 13}) {
    std::memset(board, 0, 64);
    for (int32_t s = 8; s < 13; ++s) board[s] = code;
    EXPECT_TRUE(refused(board));
  }
  EXPECT_TRUE(refused(good, 2));
  EXPECT_EQ(TBProbeBoard(nullptr, 0, 0, &out), 0);
  // A class without a table (kqkn is not written here).
  std::memcpy(board, good, 64);
  board[50] = 10;
  EXPECT_TRUE(refused(board));
}

TEST_F(Probe, RandomBytesOnTheBoardAreHandled) {
  // Whatever the host sends: an answer only for a board of one king a side
  // and at most five men, and never a read or write outside the lists.
  uint64_t seed = 99;
  int32_t answered = 0;
  for (int32_t i = 0; i < 20000; ++i) {
    uint8_t board[64] = {};
    int32_t men = 1 + static_cast<int32_t>(NextRandom(seed) % 7);
    for (int32_t k = 0; k < men; ++k) {
      uint64_t r = NextRandom(seed);
      board[r % 64] = static_cast<uint8_t>(r % 3 == 0 ? (r >> 8) & 255 : ((r >> 8) % 2) * 8 + 1 + (r >> 16) % 6);
    }
    int32_t kings[2] = {0, 0}, pieces = 0;
    bool valid = true;
    for (int32_t square = 0; square < 64; ++square) {
      int32_t code = board[square];
      if (code == 0) continue;
      ++pieces;
      if (code > 14 || (code & 7) == 0 || (code & 7) == 7) valid = false;
      else if ((code & 7) == 6) ++kings[code >> 3];
    }
    valid = valid && pieces <= 5 && kings[0] == 1 && kings[1] == 1;
    int32_t out = 999;
    int32_t result = TBProbeBoard(board, static_cast<int32_t>(NextRandom(seed) & 1),
                                  static_cast<int32_t>(NextRandom(seed) % 80) - 8, &out);
    if (!valid) {
      ASSERT_EQ(result, 0) << i;
      ASSERT_EQ(out, 999);
    }
    answered += result;
  }
  EXPECT_GT(answered, 0);
}

TEST_F(Probe, ListsFromOutsideAreChecked) {
  int32_t counts[10] = {0, 0, 0, 0, 1, 0, 0, 0, 0, 0};
  int32_t white[24] = {18};
  white[20] = 19;
  int32_t black[24] = {36};
  int32_t out = 999;
  ASSERT_EQ(TBProbeList(counts, white, black, 0, 0, &out), 1);
  out = 999;
  white[20] = 64;
  EXPECT_EQ(TBProbeList(counts, white, black, 0, 0, &out), 0);
  white[20] = 19;
  black[0] = -1;
  EXPECT_EQ(TBProbeList(counts, white, black, 0, 0, &out), 0);
  black[0] = 36;
  counts[4] = -1;
  EXPECT_EQ(TBProbeList(counts, white, black, 0, 0, &out), 0);
  counts[4] = 5;
  EXPECT_EQ(TBProbeList(counts, white, black, 0, 0, &out), 0);
  counts[4] = 1;
  EXPECT_EQ(TBProbeList(counts, white, black, 3, 0, &out), 0);
  EXPECT_EQ(out, 999);
}

TEST_F(Probe, CountsSuccessfulProbes) {
  TablebaseProbeCount.store(0);
  int32_t counts[10] = {0, 0, 0, 0, 1, 0, 0, 0, 0, 0};
  int32_t white[24] = {18};
  white[20] = 19;
  int32_t black[24] = {36};
  int32_t out;
  for (int32_t i = 0; i < 3; ++i) ASSERT_EQ(TBProbeList(counts, white, black, i & 1, 0, &out), 1);
  counts[3] = 1;  // kqrk: no table
  white[16] = 0;
  EXPECT_EQ(TBProbeList(counts, white, black, 0, 0, &out), 0);
  EXPECT_EQ(TablebaseProbeCount.load(), 3);
}

}  // namespace
