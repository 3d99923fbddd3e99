// obrantule-tb pack and unpack as a user runs them.
#include <gtest/gtest.h>

#include <string>

#include "../common/test_support.h"
#include "datacomp_test_util.h"

namespace {

int RunTool(const std::string& arguments) {
  int status = -1;
  RunProgram("obrantule-tb", arguments, &status);
  return status;
}

}  // namespace

TEST(DatacompTool, PackAndUnpack) {
  ScratchDirectory scratch;
  const std::string dir = scratch.Path();
  std::vector<uint8_t> data;
  SynthesiseTable(1, &data);
  data.resize(70000);
  WriteFile(dir + "/cli.nbb", data);
  ASSERT_EQ(RunTool("pack " + dir + "/cli.nbb " + dir + "/cli.nbb.emd"), 0);
  EXPECT_LT(ReadFile(dir + "/cli.nbb.emd").size(), data.size() / 4);
  ASSERT_EQ(RunTool("unpack " + dir + "/cli.nbb.emd " + dir + "/cli.back"), 0);
  EXPECT_TRUE(ReadFile(dir + "/cli.back") == data);

  ASSERT_EQ(RunTool("pack --distances=1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21,22,23,64 " + dir +
                    "/cli.nbb " + dir + "/cli.fixed.emd"),
            0);
  ASSERT_EQ(RunTool("unpack " + dir + "/cli.fixed.emd " + dir + "/cli.back2"), 0);
  EXPECT_TRUE(ReadFile(dir + "/cli.back2") == data);
}

TEST(DatacompTool, ErrorsAreReported) {
  ScratchDirectory scratch;
  const std::string dir = scratch.Path();
  EXPECT_EQ(RunTool(""), 2);
  EXPECT_EQ(RunTool("frobnicate"), 2);
  EXPECT_EQ(RunTool("pack onlyone"), 2);
  EXPECT_EQ(RunTool("pack --distances=1,2 a b"), 2);
  EXPECT_EQ(RunTool("pack " + dir + "/does-not-exist " + dir + "/x.emd"), 1);
  // Truncated compressed file: an error, and no output file.
  std::vector<uint8_t> file = PackOrDie(std::vector<uint8_t>(30000, 7));
  file.pop_back();
  WriteFile(dir + "/cut.emd", file);
  EXPECT_EQ(RunTool("unpack " + dir + "/cut.emd " + dir + "/cut.out"), 1);
  EXPECT_FALSE(std::filesystem::exists(dir + "/cut.out"));
}
