// The material trie and the class table behind it.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "material_trie.h"
#include "tablebase_classes.h"

namespace {

void EnterAllClasses() {
  ResetMaterialTrie();
  for (int32_t c = 1; c < TablebaseClassCount; c++) ASSERT_EQ(InsertClass(c), 1) << c;
}

TEST(TbMaterialTrie, EveryClassBothWaysAndNothingElse) {
  EnterAllClasses();
  // Every material with at most three men besides the kings.
  int32_t found = 0;
  int32_t counts[10];
  for (int32_t code = 0; code < 59049; code++) {  // 3^10 digit combinations
    int32_t rest = code, total = 0;
    for (int32_t i = 0; i < 10; i++) {
      counts[i] = rest % 3;
      rest /= 3;
      total += counts[i];
    }
    int32_t value = FindClass(counts);
    if (total > 3 || total == 0) {
      EXPECT_EQ(value, 0);
      continue;
    }
    // Entries in the order they are made; a later one for the same material
    // replaces an earlier one. kpkp, with like material on both sides but
    // not flagged symmetric, ends up as -6: probes go through its
    // colour-exchanged tables, which hold the same values.
    int32_t expected = 0;
    for (int32_t c = 1; c < TablebaseClassCount; c++) {
      int32_t material[10];
      ClassMaterial(c, material);
      if (std::memcmp(material, counts, sizeof material) == 0) expected = c;
      int32_t swapped[10];
      for (int32_t i = 0; i < 5; i++) {
        swapped[i] = material[i + 5];
        swapped[i + 5] = material[i];
      }
      if (!(TablebaseClasses[c].Flags & TablebaseSymmetric) &&
          std::memcmp(swapped, counts, sizeof swapped) == 0)
        expected = -c;
    }
    EXPECT_EQ(value, expected) << code;
    found += value != 0;
  }
  // Three men of one type on the board have no two-count digit: check them apart.
  int32_t triples = 0;
  for (int32_t type = 0; type < 5; type++) {
    int32_t three[10] = {};
    three[type] = 3;
    EXPECT_EQ(FindClass(three), 111 + (type == 0 ? 0 : type == 1 ? 3 : type == 2 ? 9 : type == 3 ? 19 : 34));
    three[type] = 0;
    three[type + 5] = 3;
    EXPECT_LT(FindClass(three), 0);
    triples += 2;
  }
  // 145 classes, 141 of them also with colours exchanged (kpkp's exchanged
  // material is its own).
  EXPECT_EQ(found + triples, 145 + 141 - 1);
  int32_t kpkp[10] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0};
  EXPECT_EQ(FindClass(kpkp), -6);
  FreeMaterialTrie();
}

TEST(TbMaterialTrie, RefusesBadInput) {
  ResetMaterialTrie();
  EXPECT_EQ(InsertClass(0), 0);
  EXPECT_EQ(InsertClass(-3), 0);
  EXPECT_EQ(InsertClass(TablebaseClassCount), 0);
  EXPECT_EQ(InsertClass(36), 1);
  int32_t kppkp[10] = {2, 0, 0, 0, 0, 1, 0, 0, 0, 0};
  EXPECT_EQ(FindClass(kppkp), 36);
  int32_t negative[10] = {2, 0, 0, 0, 0, 1, 0, 0, 0, -1};
  EXPECT_EQ(FindClass(negative), 0);
  int32_t huge[10] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 1 << 30};
  EXPECT_EQ(FindClass(huge), 0);
  int32_t absent[10] = {1, 1, 0, 0, 0, 1, 0, 0, 0, 0};  // not entered yet
  EXPECT_EQ(FindClass(absent), 0);
  int32_t fourQueens[10] = {0, 0, 0, 0, 4, 0, 0, 0, 0, 0};
  EXPECT_EQ(FindClass(fourQueens), 0);
  FreeMaterialTrie();
  EXPECT_EQ(FindClass(kppkp), 0);
}

TEST(TbClassTable, NamesFlagsAndMen) {
  std::set<std::string> names;
  for (int32_t c = 1; c < TablebaseClassCount; c++) {
    const TablebaseClass& tc = TablebaseClasses[c];
    names.insert(tc.Name);
    const int32_t symmetric = c == 8 || c == 11 || c == 15 || c == 20;
    EXPECT_EQ(tc.Flags & TablebaseSymmetric, symmetric) << tc.Name;
    const int32_t men = c < TablebaseFirstFourPieceClass ? 3 : c < TablebaseFirstFivePieceClass ? 4 : 5;
    EXPECT_EQ(ClassPieceCount(c), men) << tc.Name;
    int32_t counts[10];
    ASSERT_EQ(ClassMaterial(c, counts), 1);
    int32_t white = 0, black = 0;
    for (int32_t i = 0; i < 5; i++) {
      white += counts[i];
      black += counts[i + 5];
    }
    EXPECT_EQ(white + black + 2, men);
    EXPECT_GE(white, black) << tc.Name;
    if (symmetric) {
      EXPECT_EQ(tc.ExpectedSize[0], tc.ExpectedSize[1]) << tc.Name;
    }
  }
  EXPECT_EQ(names.size(), 145u);
  EXPECT_STREQ(TablebaseClasses[66].Name, "krpkp");
  EXPECT_EQ(TablebaseClasses[36].ExpectedSize[1], 89391280u);
  int32_t counts[10];
  EXPECT_EQ(ClassMaterial(0, counts), 0);
  EXPECT_EQ(ClassMaterial(146, counts), 0);
}

}  // namespace
