// Generated tables written in the prober's layout: sizes, known longest
// mates, verification from the files alone, compressed files, damage found.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "../common/test_support.h"
#include "generate.h"
#include "table_files.h"
#include "tablebase_classes.h"
#include "verify_tables.h"

namespace {

// One directory per test process, removed when the process ends.
const std::string& TestDir() {
  static ScratchDirectory dir;
  return dir.Path();
}

// Generates (once per process) and writes the class and what it needs.
bool Written(const std::string& name, bool compressed = false) {
  std::vector<std::string> order;
  std::string error;
  if (!GenClassesInOrder({name}, &order, &error)) return false;
  for (const std::string& c : order) {
    if (FindGenTable(c)) continue;
    GenOptions options;
    options.threads = 2;
    std::unique_ptr<GenTable> table = GenerateClass(c, options, &error);
    if (!table) {
      ADD_FAILURE() << error;
      return false;
    }
    int number = TbClassNumber(c);
    for (int side = 0; side < TbTableSides(number); side++) {
      std::vector<uint8_t> image;
      TbImageStats stats;
      uint64_t written;
      if (!TbBuildImage(*table, side, 2, &image, &stats, &error) ||
          !TbWriteFile(TbFileName(TestDir(), c, side, compressed && c == name), image, compressed && c == name,
                       &written, &error)) {
        ADD_FAILURE() << error;
        return false;
      }
    }
    AddGenTable(std::move(table));
  }
  return true;
}

TbVerifyResult Verified(const std::string& name) {
  TbVerifyResult result;
  std::string error;
  EXPECT_TRUE(TbVerifyClass(TestDir(), name, 2, nullptr, &result, &error)) << error;
  return result;
}

}  // namespace

TEST(TbFiles, ThreePieceFilesHaveTheListedSizesAndVerify) {
  const struct {
    const char* name;
    int longest;
  } classes[] = {{"kpk", 28}, {"knk", 0}, {"kbk", 0}, {"krk", 16}, {"kqk", 10}};
  for (const auto& k : classes) {
    ASSERT_TRUE(Written(k.name)) << k.name;
    int c = TbClassNumber(k.name);
    for (int side = 0; side < 2; side++) {
      std::vector<uint8_t> image;
      std::string error;
      ASSERT_TRUE(TbReadFile(TbFileName(TestDir(), k.name, side, false), &image, &error)) << error;
      EXPECT_EQ(image.size(), TablebaseClasses[c].ExpectedSize[side]) << k.name;
    }
    TbVerifyResult result = Verified(k.name);
    EXPECT_EQ(result.inconsistencies, 0u) << k.name;
    EXPECT_EQ(result.layoutFaults, 0u) << k.name;
    EXPECT_GT(result.positions, 0u) << k.name;
    EXPECT_EQ(result.longestWin[0], k.longest) << k.name;
    EXPECT_EQ(result.longestWin[1], 0) << k.name;
  }
}

TEST(TbFiles, LoadingFilesGivesBackTheGeneratedValues) {
  ASSERT_TRUE(Written("krk"));
  std::string error;
  std::unique_ptr<GenTable> back = TbLoadClass(TestDir(), "krk", 2, &error);
  ASSERT_TRUE(back) << error;
  const GenTable* original = FindGenTable("krk");
  ASSERT_TRUE(original);
  for (int side = 0; side < 2; side++) EXPECT_EQ(back->value[side], original->value[side]);
}

TEST(TbFiles, SlicesReadFromTheFilesMatchTheGeneratedValues) {
  // Promotions into krk on either rank, either side to move (krk is not
  // symmetric: black to move reads its own file).
  ASSERT_TRUE(Written("krk"));
  const GenTable* original = FindGenTable("krk");
  ASSERT_TRUE(original);
  for (int side = 0; side < 2; side++)
    for (int rank : {0, 7}) {
      GenSliceKey key{"krk", side, 2, rank};
      std::string error;
      std::unique_ptr<GenSlice> back = TbLoadSlice(TestDir(), key, 2, &error);
      ASSERT_TRUE(back) << error;
      std::unique_ptr<GenSlice> cut = GenCutSlice(*original, key, 2);
      ASSERT_TRUE(cut);
      EXPECT_EQ(back->squares, 28u);  // the four edges of the folded board
      EXPECT_EQ(back->value, cut->value) << side << " " << rank;
    }
  std::string error;
  EXPECT_FALSE(TbLoadSlice(TestDir(), GenSliceKey{"kqqqk", 1, 2, 7}, 2, &error));
  EXPECT_FALSE(error.empty());
}

TEST(TbFiles, CompressedFilesReadBackAndVerify) {
  ASSERT_TRUE(Written("kqk"));
  std::vector<uint8_t> raw, packed;
  std::string error;
  ASSERT_TRUE(TbReadFile(TbFileName(TestDir(), "kqk", 0, false), &raw, &error)) << error;
  uint64_t written = 0;
  std::string path = TestDir() + "/packed";
  std::string mkdir = "mkdir -p " + path;
  ASSERT_EQ(std::system(mkdir.c_str()), 0);
  ASSERT_TRUE(TbWriteFile(TbFileName(path, "kqk", 0, true), raw, true, &written, &error)) << error;
  EXPECT_LT(written, raw.size() / 2);
  ASSERT_TRUE(TbReadFile(TbFileName(path, "kqk", 0, true), &packed, &error)) << error;
  EXPECT_EQ(packed, raw);
  EXPECT_EQ(TbFindFile(path, "kqk", 0), TbFileName(path, "kqk", 0, true));
  EXPECT_EQ(TbFindFile(path, "kqk", 1), "");
}

TEST(TbFiles, VerifyFindsADamagedEntry) {
  ASSERT_TRUE(Written("kqk"));
  ASSERT_TRUE(Written("krk"));
  std::string dir = TestDir() + "/damaged";
  std::string copy = "mkdir -p " + dir + " && cp " + TestDir() + "/krk.* " + TestDir() + "/kqk.* " + dir;
  ASSERT_EQ(std::system(copy.c_str()), 0);
  std::vector<uint8_t> image;
  std::string error;
  std::string path = TbFileName(dir, "krk", 0, false);
  ASSERT_TRUE(TbReadFile(path, &image, &error));
  // Make one win a move longer.
  size_t at = 0;
  while (at < image.size() && !(int8_t(image[at]) > 1 && int8_t(image[at]) < 127)) at++;
  ASSERT_LT(at, image.size());
  image[at]--;
  uint64_t written;
  ASSERT_TRUE(TbWriteFile(path, image, false, &written, &error));
  TbVerifyForget();
  TbVerifyResult result;
  std::vector<uint32_t> reported;
  ASSERT_TRUE(TbVerifyClass(dir, "krk", 2,
                            [&](const std::string&, int side, uint32_t index, int, int) {
                              if (side == 0) reported.push_back(index);
                            },
                            &result, &error));
  EXPECT_GE(result.inconsistencies, 1u);
  EXPECT_NE(std::find(reported.begin(), reported.end(), uint32_t(at)), reported.end());
  TbVerifyForget();
  // A table of the wrong size is refused.
  image.pop_back();
  ASSERT_TRUE(TbWriteFile(path, image, false, &written, &error));
  EXPECT_FALSE(TbVerifyClass(dir, "krk", 2, nullptr, &result, &error));
  EXPECT_FALSE(TbLoadClass(dir, "krk", 2, &error));
  TbVerifyForget();
}

TEST(TbFiles, FourPieceFilesVerifyWithTheKnownLongestMatesNoSanitizer) {
  const struct {
    const char* name;
    int longest;
  } classes[] = {{"kbbk", 19}, {"kbnk", 33}, {"kqkr", 35}};
  for (const auto& k : classes) {
    ASSERT_TRUE(Written(k.name)) << k.name;
    TbVerifyResult result = Verified(k.name);
    EXPECT_EQ(result.inconsistencies, 0u) << k.name;
    EXPECT_EQ(result.layoutFaults, 0u) << k.name;
    EXPECT_EQ(result.longestWin[0], k.longest) << k.name;
  }
}

TEST(TbFiles, PawnsOnBothSidesWithEnPassantVerifySlow) {
  ASSERT_TRUE(Written("kpkp"));
  TbVerifyResult result = Verified("kpkp");
  EXPECT_EQ(result.inconsistencies, 0u);
  EXPECT_EQ(result.layoutFaults, 0u);
  EXPECT_EQ(result.longestWin[0], 33);
  EXPECT_EQ(result.longestWin[1], 33);
}
