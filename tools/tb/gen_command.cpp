// obrantule-tb gen: generates distance-to-mate tables by retrograde analysis
// and writes them in the prober's layout, the classes they need first.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "generate.h"
#include "position_index.h"
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

struct GenRequest : ClassRequest {
  bool force = false;
  std::string summaryPath;  // empty: no summary file
};

// Returns -1 when the request is complete, else the exit status.
int ParseGenArguments(int argc, char** argv, GenRequest* request) {
  request->dir = ".";
  request->threads = DefaultThreadCount();
  return ParseClassRequest("gen", argc, argv,
                           {{"--summary", &request->summaryPath, nullptr}, {"--force", nullptr, &request->force}},
                           request);
}

// The classes in the order they are made, which of them are made here (the
// others are read from their files when a made class needs them), the
// position of the last class that needs each one, after which it can go, and
// what the later classes need of it: the whole class (a capture reaches it)
// or only the slices their promotions reach.
struct GenSchedule {
  std::vector<std::string> order;
  std::vector<bool> make;
  std::vector<size_t> lastUse;
  std::vector<bool> needWhole;
  std::vector<std::vector<GenSliceKey>> slices;
};

bool ScheduleClasses(const GenRequest& request, GenSchedule* schedule, std::string* error) {
  if (!GenClassesInOrder(request.wanted, &schedule->order, error)) return false;
  const std::vector<std::string>& order = schedule->order;
  schedule->make.assign(order.size(), false);
  schedule->lastUse.assign(order.size(), 0);
  for (size_t i = 0; i < order.size(); i++) {
    bool requested = false;
    for (const std::string& w : request.wanted) requested |= w == order[i];
    schedule->make[i] = !TbClassFilesPresent(request.dir, order[i]) || (request.force && requested);
  }
  schedule->needWhole.assign(order.size(), false);
  schedule->slices.assign(order.size(), {});
  for (size_t i = 0; i < order.size(); i++) schedule->lastUse[i] = i;
  for (size_t j = 0; j < order.size(); j++) {
    if (!schedule->make[j]) continue;
    GenClassInfo info;
    ParseGenClass(order[j].c_str(), &info);
    GenExitNeeds needs = GenNeedsOfExits(info);
    for (size_t i = 0; i < j; i++) {
      for (const std::string& name : needs.whole)
        if (name == order[i]) {
          schedule->needWhole[i] = true;
          schedule->lastUse[i] = j;
        }
      for (const GenSliceKey& key : needs.slices) {
        if (key.name != order[i]) continue;
        std::vector<GenSliceKey>& held = schedule->slices[i];
        if (std::find(held.begin(), held.end(), key) == held.end()) held.push_back(key);
        schedule->lastUse[i] = j;
      }
    }
  }
  return true;
}

// A generation keeps within this, with the class being written beside it.
constexpr uint64_t kGenMemoryBudget = uint64_t(4) << 30;

// Small classes (up to four men) are held from when they are made or found
// until their last use; five-man ones are read back from their files by each
// class that needs them, so that those held never add up.
bool HeldBetweenClasses(const std::string& name) {
  GenClassInfo info;
  return ParseGenClass(name.c_str(), &info) && info.men <= 4;
}

// Reads back from the files what `info` reaches and is not held.
bool HoldNeeds(const GenClassInfo& info, const GenRequest& request, std::string* error) {
  GenExitNeeds needs = GenNeedsOfExits(info);
  for (const std::string& name : needs.whole) {
    if (FindGenTable(name)) continue;
    std::unique_ptr<GenTable> table = TbLoadClass(request.dir, name, request.threads, error);
    if (!table) return false;
    AddGenTable(std::move(table));
  }
  for (const GenSliceKey& key : needs.slices) {
    if (FindGenTable(key.name) || FindGenSlice(key)) continue;
    std::unique_ptr<GenSlice> slice = TbLoadSlice(request.dir, key, request.threads, error);
    if (!slice) return false;
    AddGenSlice(std::move(slice));
  }
  return true;
}

// Holds what later classes need of a class just made: the whole table, or
// the slices their promotions reach, cut from it.
bool HoldForLater(const GenSchedule& schedule, size_t i, const GenRequest& request, const GenTable& made,
                  std::unique_ptr<GenTable>* table, std::string* error) {
  const std::string& name = schedule.order[i];
  if (schedule.needWhole[i]) {
    AddGenTable(std::move(*table));
    return true;
  }
  for (const GenSliceKey& key : schedule.slices[i]) {
    std::unique_ptr<GenSlice> slice = GenCutSlice(made, key, request.threads);
    if (!slice) {
      *error = "cannot cut the slice of " + name + " that its promotions reach";
      return false;
    }
    AddGenSlice(std::move(slice));
  }
  return true;
}

// Writes both tables of a generated class and appends their summary lines
// to *summary.
bool WriteClassFiles(const GenTable& table, const GenRequest& request, int threads,
                     std::chrono::steady_clock::time_point classStart, std::string* summary, std::string* error) {
  const std::string name = table.info.name;
  int c = TbClassNumber(name);
  int sides = TbTableSides(c);
  bool compress = TbCompressClass(request.compression, c);
  for (int side = 0; side < sides; side++) {
    std::string path = TbFileName(request.dir, name, side, compress);
    std::vector<uint8_t> image;
    TbImageStats st;
    uint64_t written = 0;
    if (!TbBuildImage(table, side, threads, &image, &st, error) ||
        !TbWriteFile(path, image, compress, &written, error, threads))
      return false;
    char line[512];
    std::snprintf(line, sizeof line,
                  "%-7s %s to move: %llu entries, %llu positions: %llu wins, %llu losses, %llu draws; "
                  "longest mate %d; %s %llu bytes; %.1f s\n",
                  name.c_str(), side ? "black" : "white", static_cast<unsigned long long>(image.size()),
                  static_cast<unsigned long long>(st.positions), static_cast<unsigned long long>(st.wins),
                  static_cast<unsigned long long>(st.losses), static_cast<unsigned long long>(st.draws),
                  st.longestWin > st.longestLoss ? st.longestWin : st.longestLoss, path.c_str(),
                  static_cast<unsigned long long>(written), Seconds(classStart));
    *summary += line;
  }
  return true;
}

// The files of one generated class, written on a thread of their own while
// the next class is generated: the generator's threads wait on each other
// between its passes and at its serial steps, and the writing fills those
// gaps. The table stays in memory until the files are written (owned here
// unless a later class holds it as well).
struct ClassWriter {
  std::thread thread;
  std::unique_ptr<GenTable> owned;
  bool ok = true;
  std::string summary, error;
  std::string name;    // the class being written
  uint64_t bytes = 0;  // what writing it holds: its values and one file image

  bool Busy() const { return thread.joinable(); }
  void Start(const GenTable* table, std::unique_ptr<GenTable> own, const GenRequest& request,
             std::chrono::steady_clock::time_point classStart) {
    owned = std::move(own);
    name = table->info.name;
    bytes = 3 * uint64_t(table->info.normalSize);
    ok = true;
    summary.clear();
    error.clear();
    thread = std::thread([this, table, &request, classStart]() {
      ok = WriteClassFiles(*table, request, request.threads, classStart, &summary, &error);
    });
  }
  // Waits for the files; false with *failure set when they could not be written.
  bool Finish(std::string* summaries, std::string* failure) {
    if (!Busy()) return true;
    thread.join();
    owned.reset();
    if (!ok) {
      *failure = error;
      return false;
    }
    std::fputs(summary.c_str(), stdout);
    std::fflush(stdout);
    *summaries += summary;
    return true;
  }
};

int Fail(ProgressLine* progress, const std::string& error) {
  progress->Clear();
  std::fprintf(stderr, "obrantule-tb gen: %s\n", error.c_str());
  return 1;
}

}  // namespace

int RunGen(int argc, char** argv) {
  GenRequest request;
  int status = ParseGenArguments(argc, argv, &request);
  if (status >= 0) return status;
  if (mkdir(request.dir.c_str(), 0777) != 0 && errno != EEXIST) {
    std::fprintf(stderr, "obrantule-tb gen: cannot create %s: %s\n", request.dir.c_str(), std::strerror(errno));
    return 1;
  }
  GenSchedule schedule;
  std::string error;
  if (!ScheduleClasses(request, &schedule, &error)) {
    std::fprintf(stderr, "obrantule-tb gen: %s\n", error.c_str());
    return 2;
  }
  ProgressLine progress;
  GenOptions options;
  options.threads = request.threads;
  options.progress = [&](const char* phase, uint64_t done, uint64_t total) { progress.Show(phase, done, total); };
  // Built once here: the writer thread and the loading of kept classes both use it.
  BuildIndexTables();
  auto start = std::chrono::steady_clock::now();
  int generated = 0;
  std::string summaries;
  ClassWriter writer;
  for (size_t i = 0; i < schedule.order.size(); i++) {
    const std::string& name = schedule.order[i];
    bool needed = schedule.lastUse[i] > i;
    progress.name = name;
    if (!schedule.make[i]) {
      // Kept: HoldNeeds reads it back for the first class made here that needs it.
      if (!writer.Finish(&summaries, &error)) return Fail(&progress, error);
      std::printf("%-7s present in %s, kept\n", name.c_str(), request.dir.c_str());
      std::fflush(stdout);
      continue;
    }
    // The class being written goes first when this class reads its files
    // or when the two together would pass the memory budget.
    GenClassInfo info;
    ParseGenClass(name.c_str(), &info);
    if (writer.Busy()) {
      std::vector<std::string> reached = GenExitClassNames(info);
      bool readsWriter = std::find(reached.begin(), reached.end(), writer.name) != reached.end() &&
                         !FindGenTable(writer.name);
      if (readsWriter || GenHeldBytes() + GenMemoryEstimate(info) + writer.bytes > kGenMemoryBudget)
        if (!writer.Finish(&summaries, &error)) return Fail(&progress, error);
    }
    progress.Show("loading", 0, 0);
    if (!HoldNeeds(info, request, &error)) return Fail(&progress, error);
    auto classStart = std::chrono::steady_clock::now();
    std::unique_ptr<GenTable> table = GenerateClass(name, options, &error);
    std::string writeError;
    progress.Clear();
    bool written = writer.Finish(&summaries, &writeError);
    if (!table) return Fail(&progress, error);
    if (!written) return Fail(&progress, writeError);
    generated++;
    const GenTable* made = table.get();
    // Held whole, the table stays in the registry and the writer only reads
    // it; else the writer owns it and lets it go once written.
    if (needed && HeldBetweenClasses(name) && !HoldForLater(schedule, i, request, *made, &table, &error))
      return Fail(&progress, error);
    writer.Start(made, std::move(table), request, classStart);
    // Values no later class needs are let go, and five-man ones read back for
    // this class (the writer's own class is not among them: it is held in
    // the registry only when needed later).
    for (size_t j = 0; j < i; j++)
      if (schedule.lastUse[j] == i || !HeldBetweenClasses(schedule.order[j])) DropGenTable(schedule.order[j]);
  }
  if (!writer.Finish(&summaries, &error)) return Fail(&progress, error);
  std::printf("%d of %zu classes generated in %.1f s (%d threads)\n", generated, schedule.order.size(),
              Seconds(start), request.threads);
  if (!request.summaryPath.empty() &&
      !WriteWholeFile(request.summaryPath, std::vector<uint8_t>(summaries.begin(), summaries.end())))
    return 1;
  return 0;
}
