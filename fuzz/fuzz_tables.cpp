#include "fuzz_tables.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "generate.h"
#include "table_files.h"

namespace {

void Fail(const std::string& what) {
  fprintf(stderr, "fuzz tables: %s\n", what.c_str());
  abort();
}

void Generate(const std::string& directory, const char* name, bool compressed) {
  if (!TbFindFile(directory, name, 0).empty() && !TbFindFile(directory, name, 1).empty()) return;
  std::string error;
  GenOptions options;
  std::unique_ptr<GenTable> table = GenerateClass(name, options, &error);
  if (!table) Fail(error);
  for (int side = 0; side < TbTableSides(TbClassNumber(name)); ++side) {
    std::vector<uint8_t> image;
    TbImageStats stats;
    uint64_t written = 0;
    if (!TbBuildImage(*table, side, 1, &image, &stats, &error) ||
        !TbWriteFile(TbFileName(directory, name, side, compressed), image, compressed, &written, &error))
      Fail(error);
  }
}

}  // namespace

const std::string& FuzzTableDirectory() {
  static std::string directory;
  if (!directory.empty()) return directory;
  char program[4096];
  ssize_t length = readlink("/proc/self/exe", program, sizeof(program) - 1);
  if (length <= 0) Fail("no program path");
  program[length] = '\0';
  directory = std::string(program);
  directory = directory.substr(0, directory.rfind('/')) + "/fuzz-tables";
  mkdir(directory.c_str(), 0755);
  Generate(directory, "kqk", false);
  Generate(directory, "krk", true);
  return directory;
}

void UseFuzzTableSettings() {
  std::string path = FuzzTableDirectory() + "/ChssBase.ini";
  std::string temporary = path + "." + std::to_string(getpid());
  FILE* file = fopen(temporary.c_str(), "w");
  if (file == nullptr) Fail("cannot write " + temporary);
  fprintf(file, "[Tablebase]\nPath=%s\n", FuzzTableDirectory().c_str());
  fclose(file);
  rename(temporary.c_str(), path.c_str());
  setenv("OBRANTULE_SETTINGS", path.c_str(), 1);
}
