// Five-piece classes: random positions checked against symmetry images, the
// colour-exchanged lookup and the inverse mapping; and for every class the
// last king pairs enumerated to find the largest index and to show that what
// lies beyond the table file holds only positions with the side not to move
// in check.
#include <gtest/gtest.h>

#include <cstdio>

#include "index_tables.h"
#include "position_index.h"
#include "tablebase_classes.h"
#include "tb_test_board.h"

namespace {

constexpr int32_t MaxFailures = 10;

int32_t HasCaptures(int32_t tableClass) {
  int32_t counts[10];
  ClassMaterial(tableClass, counts);
  return counts[0] && counts[5];
}

// Checks `samples` random positions (a quarter of them en-passant captures
// where the class has them); answers the number of failures.
int32_t SampleClassSide(int32_t tableClass, int32_t side, int32_t samples, uint64_t seed) {
  const TestMaterial material = MaterialOf(tableClass);
  const char* name = TablebaseClasses[tableClass].Name;
  const uint32_t range = IndexRange(tableClass, side);
  const uint32_t fileSize = TablebaseClasses[tableClass].ExpectedSize[side];
  const int32_t captures = HasCaptures(tableClass);
  int32_t failures = 0;
  auto fail = [&]() -> ::testing::AssertionResult {
    return ++failures <= MaxFailures ? ::testing::AssertionFailure() : ::testing::AssertionSuccess();
  };
  for (int32_t i = 0; i < samples; i++) {
    TestPosition p = RandomPosition(material, side, seed, captures && (i & 3) == 0);
    const uint32_t index = IndexOf(material, p);
    const int32_t legal = !KingInCheck(material, p, 1 - side);
    if (index == TablebaseBadIndex) {
      if (legal) {
        EXPECT_TRUE(fail()) << name << " side " << side << ": legal position without index";
      }
      continue;
    }
    if (index >= range) {
      EXPECT_TRUE(fail()) << name << " side " << side << ": index " << index << " >= " << range;
      continue;
    }
    if (legal && index >= fileSize) {
      EXPECT_TRUE(fail()) << name << " side " << side << ": legal position beyond the file";
    }
    if (ReversedIndexOf(material, p) != index) {
      EXPECT_TRUE(fail()) << name << " side " << side << ": colour-exchanged index differs";
    }
    const uint64_t key = OrbitKey(material, p);
    for (int32_t g = 1; g < SymmetryCount(material); g++) {
      TestPosition image = TransformPosition(p, material.Count, SymmetryOf(material, g));
      uint32_t imageIndex = IndexOf(material, image);
      if (imageIndex == index) continue;
      // Kings on one long diagonal: the two diagonal images keep their own
      // indices, each decoding back into this position's family.
      TestPosition decoded;
      if (material.Pawns || !KingsShareLongDiagonal(p) ||
          !DecodeIndex(material, side, imageIndex, &decoded) ||
          OrbitKey(material, decoded) != key) {
        EXPECT_TRUE(fail()) << name << " side " << side << ": image " << g << " indexed apart";
      }
    }
    TestPosition decoded;
    if (!DecodeIndex(material, side, index, &decoded) || OrbitKey(material, decoded) != key) {
      EXPECT_TRUE(fail()) << name << " side " << side << ": index " << index
                          << " does not decode to its position";
    }
  }
  return failures;
}

TEST(TbIndexFivePiece, SampledPositions) {
  BuildIndexTables();
  for (int32_t c = TablebaseFirstFivePieceClass; c < TablebaseClassCount; c++)
    for (int32_t side = 0; side < 2; side++)
      EXPECT_EQ(SampleClassSide(c, side, 400, 1000 * c + side), 0) << TablebaseClasses[c].Name;
}

class TbIndexFivePieceSlow : public ::testing::TestWithParam<int32_t> {};

TEST_P(TbIndexFivePieceSlow, MillionPositionsPerSide) {
  BuildIndexTables();
  for (int32_t side = 0; side < 2; side++)
    EXPECT_EQ(SampleClassSide(GetParam(), side, 1000000, 77 + 2 * GetParam() + side), 0);
}

INSTANTIATE_TEST_SUITE_P(Random, TbIndexFivePieceSlow,
                         ::testing::Range<int32_t>(TablebaseFirstFivePieceClass, TablebaseClassCount),
                         [](const ::testing::TestParamInfo<int32_t>& info) {
                           return std::string(TablebaseClasses[info.param].Name);
                         });

struct TailReport {
  uint32_t Range = 0;       // largest index reached + 1
  uint32_t LegalEnd = 0;    // largest index of a legal position + 1
  uint32_t BeyondFile = 0;  // positions found at or beyond the file size
  int32_t Failures = 0;
};

// Enumerates the king pairs from the last one down until their indices reach
// below the file size.
TailReport CheckTail(int32_t tableClass, int32_t side) {
  TailReport report;
  const TestMaterial material = MaterialOf(tableClass);
  const uint32_t fileSize = TablebaseClasses[tableClass].ExpectedSize[side];
  const int32_t flip = material.Pawns && side ? 56 : 0;
  const int32_t pairs = material.Pawns ? PawnKingPairs : PawnlessKingPairs;
  const uint8_t(*kings)[2] = material.Pawns ? PawnPairKings : PawnlessPairKings;
  for (int32_t pair = pairs - 1; pair >= 0; pair--) {
    uint32_t lowest = ~0u;
    auto visit = [&](const TestPosition& p) {
      uint32_t index = IndexOf(material, p);
      if (index == TablebaseBadIndex) return;
      lowest = std::min(lowest, index);
      report.Range = std::max(report.Range, index + 1);
      const int32_t legal = !KingInCheck(material, p, 1 - side);
      if (legal) report.LegalEnd = std::max(report.LegalEnd, index + 1);
      if (index < fileSize) return;
      report.BeyondFile++;
      if (legal && ++report.Failures <= MaxFailures)
        ADD_FAILURE() << TablebaseClasses[tableClass].Name << " side " << side
                      << ": legal position at " << index << " beyond the file size " << fileSize;
    };
    const int32_t own = kings[pair][0] ^ flip, other = kings[pair][1] ^ flip;
    EnumeratePositions(material, side, own, other, visit);
    if (HasCaptures(tableClass)) EnumerateCapturePositions(material, side, own, other, visit);
    if (lowest < fileSize && report.LegalEnd > 0) break;
  }
  return report;
}

void CheckTails(int32_t first, int32_t last) {
  BuildIndexTables();
  for (int32_t c = first; c < last; c++)
    for (int32_t side = 0; side < 2; side++) {
      TailReport report = CheckTail(c, side);
      const uint32_t fileSize = TablebaseClasses[c].ExpectedSize[side];
      std::printf("%-6s %s to move: range %u file %u legal end %u beyond the file %u positions\n",
                  TablebaseClasses[c].Name, side ? "black" : "white", report.Range, fileSize,
                  report.LegalEnd, report.BeyondFile);
      EXPECT_EQ(report.Failures, 0);
      // The file ends exactly after the last index that holds a legal position.
      EXPECT_EQ(report.LegalEnd, fileSize) << TablebaseClasses[c].Name << " side " << side;
      EXPECT_LE(report.Range, IndexRange(c, side));
    }
}

TEST(TbIndexTails, ThreeAndFourPieceClasses) { CheckTails(1, TablebaseFirstFivePieceClass); }

TEST(TbIndexTailsNoSanitizer, FivePieceClasses) {
  CheckTails(TablebaseFirstFivePieceClass, TablebaseClassCount);
}

}  // namespace
