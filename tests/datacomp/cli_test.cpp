// obrantule-tb pack and unpack as a user runs them.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/wait.h>

#include "datacomp_test_util.h"

namespace {

std::string Tool() {
  const char* bin = std::getenv("OBRANTULE_BIN");
  return std::string(bin ? bin : "build/bin") + "/obrantule-tb";
}

int RunTool(const std::string& arguments) {
  int status = std::system((Tool() + " " + arguments + " >/dev/null 2>&1").c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void Write(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<uint8_t> Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

}  // namespace

TEST(DatacompTool, PackAndUnpack) {
  std::string dir = testing::TempDir();
  std::vector<uint8_t> data;
  SynthesiseTable(1, &data);
  data.resize(70000);
  Write(dir + "/cli.nbb", data);
  ASSERT_EQ(RunTool("pack " + dir + "/cli.nbb " + dir + "/cli.nbb.emd"), 0);
  std::vector<uint8_t> packed = Read(dir + "/cli.nbb.emd");
  EXPECT_LT(packed.size(), data.size() / 4);
  ASSERT_EQ(RunTool("unpack " + dir + "/cli.nbb.emd " + dir + "/cli.back"), 0);
  EXPECT_TRUE(Read(dir + "/cli.back") == data);

  ASSERT_EQ(RunTool("pack --distances=1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21,22,23,64 " + dir +
                "/cli.nbb " + dir + "/cli.fixed.emd"),
            0);
  ASSERT_EQ(RunTool("unpack " + dir + "/cli.fixed.emd " + dir + "/cli.back2"), 0);
  EXPECT_TRUE(Read(dir + "/cli.back2") == data);
}

TEST(DatacompTool, ErrorsAreReported) {
  std::string dir = testing::TempDir();
  EXPECT_EQ(RunTool(""), 2);
  EXPECT_EQ(RunTool("frobnicate"), 2);
  EXPECT_EQ(RunTool("pack onlyone"), 2);
  EXPECT_EQ(RunTool("pack --distances=1,2 a b"), 2);
  EXPECT_EQ(RunTool("pack " + dir + "/does-not-exist " + dir + "/x.emd"), 1);
  // Truncated compressed file: an error, and no output file.
  std::vector<uint8_t> data(30000, 7);
  std::vector<uint8_t> file = PackOrDie(data);
  file.pop_back();
  Write(dir + "/cut.emd", file);
  std::remove((dir + "/cut.out").c_str());
  EXPECT_EQ(RunTool("unpack " + dir + "/cut.emd " + dir + "/cut.out"), 1);
  EXPECT_FALSE(std::ifstream(dir + "/cut.out").good());
}
