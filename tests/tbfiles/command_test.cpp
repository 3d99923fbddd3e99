// obrantule-tb gen and verify as a user runs them.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "../common/test_support.h"

namespace {

std::string Tool() {
  const char* bin = std::getenv("OBRANTULE_BIN");
  return std::string(bin ? bin : "build/bin") + "/obrantule-tb";
}

// Runs a command (its error output dropped); returns its exit status and its
// standard output.
int RunTool(const std::string& command, std::string* output) {
  int status = -1;
  *output = RunCommand(command + " 2>/dev/null", &status);
  return status;
}

long FileSize(const std::string& path) {
  std::error_code error;
  const auto size = std::filesystem::file_size(path, error);
  return error ? -1 : long(size);
}

}  // namespace

TEST(TbCommands, GenMakesWhatAClassNeedsThenKeepsItAndVerifyAgrees) {
  ScratchDirectory scratch;
  std::string dir = scratch.Path(), out;
  ASSERT_EQ(RunTool(Tool() + " gen kqk --threads 2 --dir " + dir, &out), 0) << out;
  EXPECT_NE(out.find("kqk     white to move: 25629 entries"), std::string::npos) << out;
  EXPECT_NE(out.find("longest mate 10"), std::string::npos) << out;
  EXPECT_EQ(FileSize(dir + "/kqk.nbw"), 25629);
  EXPECT_EQ(FileSize(dir + "/kqk.nbb"), 28644);
  // krk needs nothing new; kqk is kept.
  ASSERT_EQ(RunTool(Tool() + " gen kqk krk --compress --threads 2 --dir " + dir, &out), 0) << out;
  EXPECT_NE(out.find("kqk     present"), std::string::npos) << out;
  EXPECT_GT(FileSize(dir + "/krk.nbw.emd"), 0);
  EXPECT_EQ(RunTool(Tool() + " verify " + dir + " --threads 2", &out), 0) << out;
  EXPECT_NE(out.find("kqk     54273 entries, 47136 positions, 0 inconsistent"), std::string::npos) << out;
  EXPECT_NE(out.find("krk "), std::string::npos) << out;
  EXPECT_NE(out.find(", 0 inconsistencies"), std::string::npos) << out;
  // probe: one line per position in the order given, from the arguments or
  // from standard input.
  ASSERT_EQ(RunTool(Tool() + " probe " + dir +
                        " 'k7/7Q/1K6/8/8/8/8/8 w - - 0 1' 'k7/1Q6/1K6/8/8/8/8/8 b - - 0 1'"
                        " 'k7/8/1QK5/8/8/8/8/8 b - - 0 1' '8/8/8/4k3/8/8/8/R3K3 b - - 0 1'",
                    &out),
            0)
      << out;
  EXPECT_EQ(out,
            "k7/7Q/1K6/8/8/8/8/8 w - - 0 1\t1\twhite mates in 1\n"
            "k7/1Q6/1K6/8/8/8/8/8 b - - 0 1\t-1\tblack is checkmated\n"
            "k7/8/1QK5/8/8/8/8/8 b - - 0 1\t0\tdraw\n"
            "8/8/8/4k3/8/8/8/R3K3 b - - 0 1\t-15\twhite mates in 14\n");
  ASSERT_EQ(RunTool("printf '8/8/8/8/8/8/6k1/4K2R w K - 0 1\\n\\n8/8/8/8/8/2r3k1/8/4K2R w - - 0 1\\n' | " + Tool() +
                        " probe " + dir,
                    &out),
            0)
      << out;
  EXPECT_NE(out.find("8/8/8/8/8/8/6k1/4K2R w K - 0 1\t"), std::string::npos) << out;
  EXPECT_NE(out.find(" mates in "), std::string::npos) << out;
  EXPECT_NE(out.find("8/8/8/8/8/2r3k1/8/4K2R w - - 0 1\tnone\tno table\n"), std::string::npos) << out;
  // Text that is no position is named as such and sets the exit status.
  EXPECT_EQ(RunTool(Tool() + " probe " + dir + " 'k7/8/8/8 w' 'kk6/8/8/8/8/8/8/7Q w - -'", &out), 1);
  EXPECT_EQ(out, "k7/8/8/8 w\tnone\tnot a position\nkk6/8/8/8/8/8/8/7Q w - -\tnone\tnot a position\n");
  EXPECT_EQ(RunTool(Tool() + " probe", &out), 2);
  // Bad requests are refused with a usage status.
  EXPECT_EQ(RunTool(Tool() + " gen kxk --dir " + dir, &out), 2);
  EXPECT_EQ(RunTool(Tool() + " gen", &out), 2);
  EXPECT_EQ(RunTool(Tool() + " gen kqk --threads 0", &out), 2);
  EXPECT_EQ(RunTool(Tool() + " verify", &out), 2);
  EXPECT_EQ(RunTool(Tool() + " verify " + dir + " kqqqqk", &out), 2);
  EXPECT_EQ(RunTool(Tool() + " verify " + dir + "/nothing-here", &out), 1);
}

TEST(TbCommands, PlanRunsUnderSnakemakeResumesAndKeepsFinishedTables) {
  int status = -1;
  RunCommand("snakemake --version >/dev/null 2>&1", &status);
  if (status != 0) GTEST_SKIP() << "snakemake is not installed";
  ScratchDirectory scratch;
  std::string dir = scratch.Path() + "/tb", plan = scratch.Path() + "/Snakefile", out;
  ASSERT_EQ(RunTool(Tool() + " plan kqqk kpk --threads 2 --dir " + dir + " --out " + plan, &out), 0) << out;
  EXPECT_NE(out.find("6 classes"), std::string::npos) << out;
  const std::string snakemake = "cd " + scratch.Path() + " && snakemake -s " + plan +
                                " --cores 2 --rerun-incomplete --rerun-triggers mtime 2>&1";
  out = RunCommand(snakemake, &status);
  ASSERT_EQ(status, 0) << out;
  EXPECT_EQ(FileSize(dir + "/kqqk.nbw"), 698739);
  EXPECT_EQ(FileSize(dir + "/kqqk.nbb"), 873642);
  EXPECT_GT(FileSize(dir + "/summaries/kqqk.txt"), 0);
  EXPECT_EQ(RunTool(Tool() + " verify " + dir + " kqqk --threads 2", &out), 0) << out;
  // An interrupted job: one table gone, a half-written one left behind. Only
  // that class is made again; the others are kept as they are.
  std::filesystem::remove(dir + "/kqqk.nbb");
  std::filesystem::remove(dir + "/summaries/kqqk.txt");
  std::FILE* part = std::fopen((dir + "/kqqk.nbb.part").c_str(), "wb");
  ASSERT_TRUE(part);
  std::fclose(part);
  const auto kept = std::filesystem::last_write_time(dir + "/kqk.nbw");
  out = RunCommand(snakemake, &status);
  ASSERT_EQ(status, 0) << out;
  EXPECT_NE(out.find("rule kqqk:"), std::string::npos) << out;
  EXPECT_EQ(out.find("rule kqk:"), std::string::npos) << out;
  EXPECT_EQ(FileSize(dir + "/kqqk.nbb"), 873642);
  EXPECT_EQ(std::filesystem::last_write_time(dir + "/kqk.nbw"), kept);
  out = RunCommand(snakemake, &status);
  EXPECT_NE(out.find("Nothing to be done"), std::string::npos) << out;
  EXPECT_EQ(RunTool(Tool() + " plan kxk", &out), 2);
}
