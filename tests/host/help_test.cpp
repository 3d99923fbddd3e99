// Every program of the build answers --help and -h (and help, where it has
// subcommands) with its usage on standard output and exit status 0, and
// runs nothing.
#include <gtest/gtest.h>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "../common/test_support.h"

namespace {

std::string BinDirectory() {
  std::string host = HOST_PROGRAM;
  return host.substr(0, host.rfind('/'));
}

// The programs beside the host program: executables, not the libraries.
std::vector<std::string> Programs() {
  std::vector<std::string> programs;
  std::string directory = BinDirectory();
  DIR* listing = opendir(directory.c_str());
  if (listing == nullptr) return programs;
  while (struct dirent* entry = readdir(listing)) {
    std::string path = directory + "/" + entry->d_name;
    struct stat info;
    if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || access(path.c_str(), X_OK) != 0) continue;
    std::string name = entry->d_name;
    if (name.find('.') != std::string::npos) continue;  // Obrantule.dll, Obrantule.eng, *.so
    programs.push_back(path);
  }
  closedir(listing);
  return programs;
}

}  // namespace

TEST(HelpEverywhere, EveryProgramAnswersHelpWithItsUsage) {
  ScratchDirectory scratch;
  std::vector<std::string> programs = Programs();
  EXPECT_GE(programs.size(), 3u);
  for (const std::string& program : programs) {
    for (const char* word : {"--help", "-h"}) {
      int status = -1;
      // Run from an empty directory: a program that ran anything would leave files.
      std::string out = RunCommand("cd '" + scratch.Path() + "' && '" + program + "' " + word + " 2>/dev/null", &status);
      EXPECT_EQ(status, 0) << program << " " << word;
      EXPECT_EQ(out.rfind("usage: ", 0), 0u) << program << " " << word << ": " << out;
    }
  }
  int listed = -1;
  EXPECT_EQ(RunCommand("ls -A '" + scratch.Path() + "'", &listed), "");
  // Programs with subcommands: "help", "help COMMAND" and "COMMAND --help".
  std::string bin = BinDirectory();
  const char* subcommands[] = {"obrantule help",          "obrantule help analyse",  "obrantule analyse --help",
                               "obrantule bench -h",      "obrantule probe --help",  "obrantule-dev help",
                               "obrantule-dev perft --help", "obrantule-dev eval -h", "obrantule-tb help",
                               "obrantule-tb help gen",   "obrantule-tb probe --help"};
  for (const char* command : subcommands) {
    int status = -1;
    std::string out = RunCommand("cd '" + scratch.Path() + "' && '" + bin + "'/" + command + " 2>/dev/null", &status);
    EXPECT_EQ(status, 0) << command;
    EXPECT_EQ(out.rfind("usage: ", 0), 0u) << command << ": " << out;
  }
  // Usage lines name every option.
  int status = -1;
  EXPECT_NE(RunCommand("'" + bin + "/obrantule' --help", &status).find("--hash MB"), std::string::npos);
  EXPECT_NE(RunCommand("'" + bin + "/obrantule' --help", &status).find("--tablebases"), std::string::npos);
  EXPECT_NE(RunCommand("'" + bin + "/obrantule-dev' help", &status).find("--window"), std::string::npos);
  EXPECT_NE(RunCommand("'" + bin + "/obrantule-dev' help", &status).find("search [--hash MB]"), std::string::npos);
}
