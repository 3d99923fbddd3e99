// Table generation: time per class (retrograde analysis and writing the
// files), the processor time of both (all threads), the total, and
// compressed against raw file sizes. On a shared machine the processor time
// is the figure to compare.
//
//   build/bin/obrantule-tbgen-bench [--threads N] [--men 3|4|5] [CLASS...]
//
// Without classes it makes every class of up to --men men (default 4) in a
// temporary directory, which it removes afterwards.
#include <unistd.h>

#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "generate.h"
#include "table_files.h"
#include "tablebase_classes.h"
#include "bench_help.h"

namespace {

double Since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
  if (AnswerHelp(argc, argv,
      "usage: obrantule-tbgen-bench [--threads N] [--men 3|4|5] [CLASS...]\n"
      "Generates every class of up to --men men (default 4) or the CLASSes named in a temporary\n"
      "directory: generation and compression time, raw and compressed sizes.\n"))
    return 0;
  int threads = int(std::thread::hardware_concurrency());
  if (threads < 1) threads = 1;
  int men = 4;
  std::vector<std::string> wanted;
  for (int at = 1; at < argc; at++) {
    if (std::strcmp(argv[at], "--threads") == 0 && at + 1 < argc) threads = std::atoi(argv[++at]);
    else if (std::strcmp(argv[at], "--men") == 0 && at + 1 < argc) men = std::atoi(argv[++at]);
    else wanted.push_back(argv[at]);
  }
  if (threads < 1) threads = 1;
  if (wanted.empty())
    for (int c = 1; c < TablebaseClassCount; c++)
      if (ClassPieceCount(c) <= men) wanted.push_back(TablebaseClasses[c].Name);
  std::vector<std::string> order;
  std::string error;
  if (!GenClassesInOrder(wanted, &order, &error)) {
    std::fprintf(stderr, "obrantule-tbgen-bench: %s\n", error.c_str());
    return 2;
  }
  char dirName[] = "/tmp/obrantule-tbgen-bench-XXXXXX";
  if (!mkdtemp(dirName)) {
    std::fprintf(stderr, "obrantule-tbgen-bench: cannot create a temporary directory\n");
    return 1;
  }
  std::string dir = dirName;
  std::printf("%-7s %9s %9s %9s %12s %12s %7s\n", "class", "generate", "write", "cpu", "raw bytes", "compressed",
              "ratio");
  double totalGenerate = 0, totalWrite = 0, totalCpu = 0;
  uint64_t totalRaw = 0, totalPacked = 0;
  int status = 0;
  GenOptions options;
  options.threads = threads;
  for (const std::string& name : order) {
    std::clock_t cpuStart = std::clock();
    auto start = std::chrono::steady_clock::now();
    std::unique_ptr<GenTable> table = GenerateClass(name, options, &error);
    if (!table) {
      std::fprintf(stderr, "obrantule-tbgen-bench: %s\n", error.c_str());
      status = 1;
      break;
    }
    double generate = Since(start);
    start = std::chrono::steady_clock::now();
    uint64_t raw = 0, packed = 0;
    int c = TbClassNumber(name);
    for (int side = 0; side < TbTableSides(c); side++) {
      std::vector<uint8_t> image;
      TbImageStats stats;
      uint64_t written = 0;
      if (!TbBuildImage(*table, side, threads, &image, &stats, &error) ||
          !TbWriteFile(TbFileName(dir, name, side, true), image, true, &written, &error, threads)) {
        std::fprintf(stderr, "obrantule-tbgen-bench: %s\n", error.c_str());
        status = 1;
      }
      raw += image.size();
      packed += written;
    }
    double write = Since(start);
    double cpu = double(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    std::printf("%-7s %8.2fs %8.2fs %8.2fs %12llu %12llu %6.1f%%\n", name.c_str(), generate, write, cpu,
                static_cast<unsigned long long>(raw), static_cast<unsigned long long>(packed),
                raw ? 100.0 * double(packed) / double(raw) : 0.0);
    std::fflush(stdout);
    totalGenerate += generate;
    totalWrite += write;
    totalCpu += cpu;
    totalRaw += raw;
    totalPacked += packed;
    AddGenTable(std::move(table));
  }
  std::printf("%-7s %8.2fs %8.2fs %8.2fs %12llu %12llu %6.1f%%   (%zu classes, %d threads)\n", "total",
              totalGenerate, totalWrite, totalCpu, static_cast<unsigned long long>(totalRaw), static_cast<unsigned long long>(totalPacked),
              totalRaw ? 100.0 * double(totalPacked) / double(totalRaw) : 0.0, order.size(), threads);
  std::string cleanup = "rm -rf '" + dir + "'";
  if (std::system(cleanup.c_str()) != 0) std::fprintf(stderr, "obrantule-tbgen-bench: could not remove %s\n", dir.c_str());
  return status;
}
