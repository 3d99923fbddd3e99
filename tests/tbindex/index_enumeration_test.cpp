// Every position of the three- and four-piece classes: indices below the
// range, shared by symmetry images and the colour-exchanged position, unique
// to their position otherwise, decoded back to the same position, and no
// legal position beyond the end of the table file.
#include <gtest/gtest.h>

#include <cstdio>
#include <unordered_map>
#include <vector>

#include "position_index.h"
#include "tablebase_classes.h"
#include "tb_test_board.h"

namespace {

struct EnumerationReport {
  uint64_t Positions = 0;
  uint64_t Legal = 0;
  uint64_t Excluded = 0;  // positions the layout leaves out (all with the side not to move in check)
  uint32_t Range = 0;        // largest index reached + 1
  uint32_t Unreachable = 0;  // indices below the file size no legal position reaches
  int32_t Failures = 0;
};

constexpr int32_t MaxFailures = 10;

#define CHECK_OR_COUNT(condition, ...)                      \
  do {                                                      \
    if (!(condition)) {                                     \
      if (++report.Failures <= MaxFailures) ADD_FAILURE() << __VA_ARGS__; \
    }                                                       \
  } while (0)

// imageStride 0: every symmetry image of every position; otherwise one image
// per position in turn. ownKing/otherKing >= 0 fix the king squares (a
// partial run: the decode cross-check is then skipped).
EnumerationReport EnumerateClassSide(int32_t tableClass, int32_t side, int32_t imageStride,
                                     int32_t ownKing = -1, int32_t otherKing = -1) {
  EnumerationReport report;
  const TestMaterial material = MaterialOf(tableClass);
  const uint32_t range = IndexRange(tableClass, side);
  const uint32_t fileSize = TablebaseClasses[tableClass].ExpectedSize[side];
  // Owner of each index: a table over the whole range for a full run, a
  // map for a partial one.
  const int32_t partial = ownKing >= 0 || otherKing >= 0;
  std::vector<uint64_t> owner(partial ? 0 : range, 0);
  std::unordered_map<uint32_t, uint64_t> partialOwner;
  std::vector<uint8_t> reached(partial ? 0 : range, 0);
  uint64_t counter = 0;
  uint32_t largestOrdinary = 0;
  int32_t capturePhase = 0;
  uint32_t smallestCapture = ~0u;

  auto claim = [&](uint32_t index, uint64_t key, const TestPosition& p) {
    CHECK_OR_COUNT(index < range, TablebaseClasses[tableClass].Name << " side " << side
                                      << ": index " << index << " outside range " << range);
    if (index >= range) return;
    uint64_t& slot = partial ? partialOwner[index] : owner[index];
    if (slot == 0) slot = key;
    CHECK_OR_COUNT(slot == key, TablebaseClasses[tableClass].Name
                                            << " side " << side << ": index " << index
                                            << " shared by two different positions (kings "
                                            << p.Squares[0] << "," << p.Squares[1] << ")");
  };

  auto visit = [&](const TestPosition& p) {
    report.Positions++;
    const uint32_t index = IndexOf(material, p);
    if (index == TablebaseBadIndex) {
      // Left out of the layout: a man of the side to move touching the other
      // king with an attack, which cannot happen in a game.
      report.Excluded++;
      CHECK_OR_COUNT(KingInCheck(material, p, 1 - side),
                     TablebaseClasses[tableClass].Name << " side " << side
                                                       << ": legal position without an index");
      return;
    }
    const uint64_t key = OrbitKey(material, p) + 1;
    claim(index, key, p);
    if (index >= range) return;
    if (capturePhase)
      smallestCapture = std::min(smallestCapture, index);
    else
      largestOrdinary = std::max(largestOrdinary, index);
    report.Range = std::max(report.Range, index + 1);
    CHECK_OR_COUNT(ReversedIndexOf(material, p) == index,
                   TablebaseClasses[tableClass].Name << " side " << side
                                                     << ": colour-exchanged index differs");
    const int32_t images = SymmetryCount(material);
    for (int32_t i = 1; i < images; i++) {
      if (imageStride && i != 1 + static_cast<int32_t>(counter % (images - 1))) continue;
      TestPosition image = TransformPosition(p, material.Count, SymmetryOf(material, i));
      uint32_t imageIndex = IndexOf(material, image);
      claim(imageIndex, key, image);
      if (material.Pawns || !KingsShareLongDiagonal(p))
        CHECK_OR_COUNT(imageIndex == index, TablebaseClasses[tableClass].Name
                                                << " side " << side << ": image " << i
                                                << " indexed apart");
    }
    counter++;
    if (!KingInCheck(material, p, 1 - side)) {
      report.Legal++;
      if (!partial) reached[index] = 1;
      CHECK_OR_COUNT(index < fileSize, TablebaseClasses[tableClass].Name
                                           << " side " << side << ": legal position at "
                                           << index << " beyond the file size " << fileSize);
    }
  };

  EnumeratePositions(material, side, ownKing, otherKing, visit);
  int32_t counts[10];
  ClassMaterial(tableClass, counts);
  if (counts[0] && counts[5]) {
    capturePhase = 1;
    EnumerateCapturePositions(material, side, ownKing, otherKing, visit);
    CHECK_OR_COUNT(smallestCapture > largestOrdinary,
                   TablebaseClasses[tableClass].Name
                       << " side " << side << ": capture positions not after the ordinary ones");
  }

  if (!partial) {
    // The inverse: exactly the indices of positions decode, each to its own.
    for (uint32_t index = 0; index < range; index++) {
      TestPosition decoded;
      int32_t holds = DecodeIndex(material, side, index, &decoded);
      CHECK_OR_COUNT(holds == (owner[index] != 0), TablebaseClasses[tableClass].Name
                                                      << " side " << side << ": index "
                                                      << index << " decodes " << holds);
      if (holds && owner[index])
        CHECK_OR_COUNT(OrbitKey(material, decoded) + 1 == owner[index],
                       TablebaseClasses[tableClass].Name << " side " << side << ": index "
                                                         << index << " decodes elsewhere");
    }
    for (uint32_t index = 0; index < fileSize && index < range; index++)
      report.Unreachable += !reached[index];
  }
  return report;
}

void PrintReport(int32_t tableClass, int32_t side, const EnumerationReport& report) {
  std::printf("%-6s %s to move: positions %llu legal %llu range %u file %u unreachable %u\n",
              TablebaseClasses[tableClass].Name, side ? "black" : "white",
              static_cast<unsigned long long>(report.Positions),
              static_cast<unsigned long long>(report.Legal), report.Range,
              TablebaseClasses[tableClass].ExpectedSize[side], report.Unreachable);
}

void CheckWholeClass(int32_t tableClass, int32_t imageStride) {
  BuildIndexTables();
  for (int32_t side = 0; side < 2; side++) {
    EnumerationReport report = EnumerateClassSide(tableClass, side, imageStride);
    PrintReport(tableClass, side, report);
    EXPECT_EQ(report.Failures, 0);
    // Positions reach at most the layout's range (its last indices may pair
    // men on one square), and the table file ends at or before the largest
    // index reached: what it leaves out holds only illegal positions.
    EXPECT_LE(report.Range, IndexRange(tableClass, side));
    EXPECT_LE(TablebaseClasses[tableClass].ExpectedSize[side], report.Range);
  }
}

class TbIndexFourPieceNoSanitizer : public ::testing::TestWithParam<int32_t> {};

TEST_P(TbIndexFourPieceNoSanitizer, EveryPosition) { CheckWholeClass(GetParam(), 1); }

INSTANTIATE_TEST_SUITE_P(Exhaustive, TbIndexFourPieceNoSanitizer,
                         ::testing::Range<int32_t>(TablebaseFirstFourPieceClass,
                                                   TablebaseFirstFivePieceClass),
                         [](const ::testing::TestParamInfo<int32_t>& info) {
                           return std::string(TablebaseClasses[info.param].Name);
                         });

TEST(TbIndexEnumeration, ThreePieceClassesEveryPositionAndImage) {
  for (int32_t c = 1; c < TablebaseFirstFourPieceClass; c++) CheckWholeClass(c, 0);
}

// The sanitizer tree's share of the four-piece check: all placements of the
// other men for a spread of king pairs.
TEST(TbIndexEnumeration, FourPieceClassesSampledKingPairs) {
  BuildIndexTables();
  const int32_t ownKings[3] = {0, 27, 19};
  const int32_t otherKings[3] = {63, 45, 2};
  for (int32_t c = TablebaseFirstFourPieceClass; c < TablebaseFirstFivePieceClass; c++) {
    for (int32_t side = 0; side < 2; side++) {
      for (int32_t k = 0; k < 3; k++) {
        int32_t own = ownKings[k], other = otherKings[k];
        if (side == 1 && MaterialOf(c).Pawns) {
          own ^= 56;  // the side to move moves up its own board
          other ^= 56;
        }
        EnumerationReport report = EnumerateClassSide(c, side, 0, own, other);
        EXPECT_EQ(report.Failures, 0) << TablebaseClasses[c].Name;
        EXPECT_GT(report.Positions, 0u);
      }
    }
  }
}

}  // namespace
