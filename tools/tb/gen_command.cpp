// obrantule-tb gen: generates distance-to-mate tables by retrograde analysis
// and writes them in the prober's layout, the classes they need first.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "generate.h"
#include "table_files.h"
#include "tablebase_classes.h"
#include "tb_commands.h"

namespace {

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// One status line on a terminal, redrawn in place; nothing otherwise.
struct ProgressLine {
  bool terminal = isatty(2) != 0;
  std::string name;
  std::chrono::steady_clock::time_point last;

  void Show(const char* phase, uint64_t done, uint64_t total) {
    if (!terminal) return;
    auto now = std::chrono::steady_clock::now();
    if (done != total && std::chrono::duration<double>(now - last).count() < 0.1) return;
    last = now;
    if (total) {
      const int width = 30;
      int filled = int(done * width / total);
      std::fprintf(stderr, "\r%-7s %-8s [%s%s] %3d%%   ", name.c_str(), phase, std::string(filled, '#').c_str(),
                   std::string(width - filled, '.').c_str(), int(done * 100 / total));
    } else {
      std::fprintf(stderr, "\r%-7s %-8s %llu plies%-24s", name.c_str(), phase, static_cast<unsigned long long>(done),
                   "");
    }
    std::fflush(stderr);
  }
  void Clear() {
    if (terminal) std::fprintf(stderr, "\r%-60s\r", "");
  }
};

bool AllFilesPresent(const std::string& dir, const std::string& name) {
  int c = TbClassNumber(name);
  for (int side = 0; side < TbTableSides(c); side++)
    if (TbFindFile(dir, name, side).empty()) return false;
  return true;
}

// "all3", "all4", "all5": every class of up to that many men.
bool ExpandAll(const char* word, std::vector<std::string>* names) {
  if (std::strncmp(word, "all", 3) != 0 || word[3] < '3' || word[3] > '5' || word[4]) return false;
  int men = word[3] - '0';
  for (int c = 1; c < TablebaseClassCount; c++)
    if (ClassPieceCount(c) <= men) names->push_back(TablebaseClasses[c].Name);
  return true;
}

}  // namespace

int RunGen(int argc, char** argv) {
  std::string dir = ".";
  bool compress = false, force = false;
  int threads = int(std::thread::hardware_concurrency());
  if (threads < 1) threads = 1;
  std::vector<std::string> wanted;
  for (int at = 0; at < argc; at++) {
    const char* arg = argv[at];
    if (std::strcmp(arg, "--dir") == 0 && at + 1 < argc) {
      dir = argv[++at];
    } else if (std::strcmp(arg, "--threads") == 0 && at + 1 < argc) {
      char* end = nullptr;
      long n = std::strtol(argv[++at], &end, 10);
      if (*end || n < 1 || n > 256) {
        std::fprintf(stderr, "obrantule-tb gen: bad thread count '%s'\n", argv[at]);
        return 2;
      }
      threads = int(n);
    } else if (std::strcmp(arg, "--compress") == 0) {
      compress = true;
    } else if (std::strcmp(arg, "--force") == 0) {
      force = true;
    } else if (arg[0] == '-') {
      std::fprintf(stderr, "obrantule-tb gen: bad option '%s'\n", arg);
      return CommandUsage("gen");
    } else if (!ExpandAll(arg, &wanted)) {
      if (!TbClassNumber(arg)) {
        std::fprintf(stderr, "obrantule-tb gen: '%s' is not an endgame class (for example kqkr, krpkp)\n", arg);
        return 2;
      }
      wanted.push_back(arg);
    }
  }
  if (wanted.empty()) return CommandUsage("gen");
  if (mkdir(dir.c_str(), 0777) != 0 && errno != EEXIST) {
    std::fprintf(stderr, "obrantule-tb gen: cannot create %s: %s\n", dir.c_str(), std::strerror(errno));
    return 1;
  }
  std::vector<std::string> order;
  std::string error;
  if (!GenClassesInOrder(wanted, &order, &error)) {
    std::fprintf(stderr, "obrantule-tb gen: %s\n", error.c_str());
    return 2;
  }
  // Which classes are made here, and when each class is needed by one of
  // them for the last time, so that its values can go.
  std::vector<bool> make(order.size());
  for (size_t i = 0; i < order.size(); i++) {
    bool requested = false;
    for (const std::string& w : wanted) requested |= w == order[i];
    make[i] = !AllFilesPresent(dir, order[i]) || (force && requested);
  }
  std::vector<size_t> lastUse(order.size());
  for (size_t i = 0; i < order.size(); i++) {
    lastUse[i] = i;
    for (size_t j = i + 1; j < order.size(); j++) {
      if (!make[j]) continue;
      GenClassInfo info;
      ParseGenClass(order[j].c_str(), &info);
      for (const std::string& sub : GenExitClassNames(info))
        if (sub == order[i]) lastUse[i] = j;
    }
  }
  ProgressLine progress;
  GenOptions options;
  options.threads = threads;
  options.progress = [&](const char* phase, uint64_t done, uint64_t total) { progress.Show(phase, done, total); };
  auto start = std::chrono::steady_clock::now();
  int generated = 0;
  for (size_t i = 0; i < order.size(); i++) {
    const std::string& name = order[i];
    bool needed = lastUse[i] > i;
    progress.name = name;
    if (!make[i]) {
      if (needed) {
        progress.Show("loading", 0, 0);
        std::unique_ptr<GenTable> table = TbLoadClass(dir, name, threads, &error);
        progress.Clear();
        if (!table) {
          std::fprintf(stderr, "obrantule-tb gen: %s\n", error.c_str());
          return 1;
        }
        AddGenTable(std::move(table));
      }
      std::printf("%-7s present in %s, kept\n", name.c_str(), dir.c_str());
      std::fflush(stdout);
      continue;
    }
    auto classStart = std::chrono::steady_clock::now();
    std::unique_ptr<GenTable> table = GenerateClass(name, options, &error);
    if (!table) {
      progress.Clear();
      std::fprintf(stderr, "obrantule-tb gen: %s\n", error.c_str());
      return 1;
    }
    int c = TbClassNumber(name);
    int sides = TbTableSides(c);
    std::vector<uint8_t> image[2];
    TbImageStats stats[2];
    uint64_t written[2] = {0, 0};
    std::string path[2], failure[2];
    bool ok[2] = {true, true};
    progress.Show("writing", 0, 0);
    for (int side = 0; side < sides; side++) {
      path[side] = TbFileName(dir, name, side, compress);
      ok[side] = TbBuildImage(*table, side, threads, &image[side], &stats[side], &failure[side]);
    }
    // The two sides are compressed and written side by side.
    auto write = [&](int side) {
      if (ok[side]) ok[side] = TbWriteFile(path[side], image[side], compress, &written[side], &failure[side]);
    };
    if (sides == 2 && threads > 1) {
      std::thread other(write, 1);
      write(0);
      other.join();
    } else {
      for (int side = 0; side < sides; side++) write(side);
    }
    progress.Clear();
    for (int side = 0; side < sides; side++) {
      if (!ok[side]) {
        std::fprintf(stderr, "obrantule-tb gen: %s\n", failure[side].c_str());
        return 1;
      }
      const TbImageStats& st = stats[side];
      std::printf("%-7s %s to move: %llu entries, %llu positions: %llu wins, %llu losses, %llu draws; "
                  "longest mate %d; %s %llu bytes; %.1f s\n",
                  name.c_str(), side ? "black" : "white", static_cast<unsigned long long>(image[side].size()),
                  static_cast<unsigned long long>(st.positions), static_cast<unsigned long long>(st.wins),
                  static_cast<unsigned long long>(st.losses), static_cast<unsigned long long>(st.draws),
                  st.longestWin > st.longestLoss ? st.longestWin : st.longestLoss, path[side].c_str(),
                  static_cast<unsigned long long>(written[side]), Seconds(classStart));
    }
    std::fflush(stdout);
    generated++;
    if (needed) AddGenTable(std::move(table));
    // Values no later class needs are let go.
    for (size_t j = 0; j <= i; j++)
      if (lastUse[j] == i) DropGenTable(order[j]);
  }
  std::printf("%d of %zu classes generated in %.1f s (%d threads)\n", generated, order.size(), Seconds(start),
              threads);
  return 0;
}
