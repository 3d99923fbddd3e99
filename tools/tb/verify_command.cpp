// obrantule-tb verify: re-derives every table entry from one ply of legal
// moves and reports any entry that disagrees.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "table_files.h"
#include "tablebase_classes.h"
#include "tb_commands.h"
#include "verify_tables.h"

int RunVerify(int argc, char** argv) {
  int threads = DefaultThreadCount();
  std::string dir;
  std::vector<std::string> names;
  for (int at = 0; at < argc; at++) {
    if (std::strcmp(argv[at], "--threads") == 0 && at + 1 < argc) {
      if (!ParseThreadCount("verify", argv[++at], &threads)) return 2;
    } else if (argv[at][0] == '-') {
      std::fprintf(stderr, "obrantule-tb verify: bad option '%s'\n", argv[at]);
      return CommandUsage("verify");
    } else if (dir.empty()) {
      dir = argv[at];
    } else if (!TbClassNumber(argv[at])) {
      std::fprintf(stderr, "obrantule-tb verify: '%s' is not an endgame class\n", argv[at]);
      return 2;
    } else {
      names.push_back(argv[at]);
    }
  }
  if (dir.empty()) return CommandUsage("verify");
  if (names.empty()) {
    // Every class whose tables are all in the directory.
    for (int c = 1; c < TablebaseClassCount; c++)
      if (TbClassFilesPresent(dir, TablebaseClasses[c].Name)) names.push_back(TablebaseClasses[c].Name);
    if (names.empty()) {
      std::fprintf(stderr, "obrantule-tb verify: no table files in %s\n", dir.c_str());
      return 1;
    }
  }
  uint64_t totalBad = 0;
  bool failed = false;
  auto report = [](const std::string& name, int side, uint32_t index, int stored, int expected) {
    std::printf("  %s.%s index %u holds %d, its moves give %d\n", name.c_str(), side ? "nbb" : "nbw", index, stored,
                expected);
  };
  for (const std::string& name : names) {
    TbVerifyResult result;
    std::string error;
    if (!TbVerifyClass(dir, name, threads, report, &result, &error)) {
      std::printf("%-7s cannot verify: %s\n", name.c_str(), error.c_str());
      failed = true;
      continue;
    }
    uint64_t bad = result.inconsistencies + result.layoutFaults;
    totalBad += bad;
    std::printf("%-7s %llu entries, %llu positions, %llu inconsistent%s\n", name.c_str(),
                static_cast<unsigned long long>(result.indices), static_cast<unsigned long long>(result.positions),
                static_cast<unsigned long long>(result.inconsistencies),
                result.layoutFaults ? ", index layout faults" : "");
    std::fflush(stdout);
  }
  std::printf("%zu classes verified, %llu inconsistencies\n", names.size(), static_cast<unsigned long long>(totalBad));
  return failed || totalBad ? 1 : 0;
}
