// obrantule-tb plan: writes the generation of many classes as a Snakefile,
// one job per class that waits for the jobs of the classes its captures and
// promotions reach. Snakemake then runs it on one machine (--cores N) or on a
// cluster, resumes it after an interruption and keeps what is finished.
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "generate.h"
#include "table_files.h"
#include "tablebase_classes.h"
#include "tb_commands.h"

namespace {

struct PlanRequest : ClassRequest {
  std::string out = "Snakefile";
};

int ParsePlanArguments(int argc, char** argv, PlanRequest* request) {
  request->dir = "Tablebase";
  request->threads = 2;
  return ParseClassRequest("plan", argc, argv, {{"--out", &request->out, nullptr}}, request);
}

std::string AbsolutePath(const std::string& path) {
  char* resolved = realpath(path.c_str(), nullptr);
  if (resolved) {
    std::string result = resolved;
    std::free(resolved);
    return result;
  }
  if (!path.empty() && path[0] == '/') return path;
  char cwd[PATH_MAX];
  return getcwd(cwd, sizeof cwd) ? std::string(cwd) + "/" + path : path;
}

std::string ThisProgram() {
  char path[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return "obrantule-tb";
  path[n] = 0;
  return path;
}

uint64_t WorkNodes(const std::string& name) {
  GenClassInfo info;
  ParseGenClass(name.c_str(), &info);
  return 2 * uint64_t(info.normalSize);
}

// Memory of one job: what its generation holds (values and undecided counts
// of both sides, the classes and slices it reads), and one file image, built
// after the counts are let go.
uint64_t JobMegabytes(const std::string& name) {
  int c = TbClassNumber(name);
  GenClassInfo info;
  ParseGenClass(name.c_str(), &info);
  uint64_t bytes = GenMemoryEstimate(info);
  bytes += std::max(TablebaseClasses[c].ExpectedSize[0], TablebaseClasses[c].ExpectedSize[1]);
  return bytes * 11 / 10 / (1 << 20) + 64;
}

// Generous wall time in minutes at a few million work nodes per CPU-second.
uint64_t JobMinutes(const std::string& name, int threads) {
  uint64_t seconds = WorkNodes(name) / (uint64_t(threads) * 1000000);
  return 10 + seconds * 4 / 60;
}

std::string Quoted(const std::string& text) {
  std::string out = "\"";
  for (char ch : text) {
    if (ch == '"' || ch == '\\') out += '\\';
    out += ch;
  }
  return out + "\"";
}

std::string ClassRule(const PlanRequest& request, const std::string& name) {
  int c = TbClassNumber(name);
  GenClassInfo info;
  ParseGenClass(name.c_str(), &info);
  std::vector<std::string> needs = GenExitClassNames(info);
  bool compress = TbCompressClass(request.compression, c);
  std::string rule = "rule " + name + ":\n";
  if (!needs.empty()) {
    rule += "    input:";
    for (const std::string& sub : needs) rule += " DIR + " + Quoted("/summaries/" + sub + ".txt") + ",";
    rule += "\n";
  }
  rule += "    output:";
  for (int side = 0; side < TbTableSides(c); side++)
    rule += " DIR + " + Quoted("/" + TbFileName("", name, side, compress)) + ",";
  rule += " summary=DIR + " + Quoted("/summaries/" + name + ".txt") + "\n";
  rule += "    threads: THREADS\n";
  rule += "    resources: mem_mb=" + std::to_string(JobMegabytes(name)) +
          ", runtime=" + std::to_string(JobMinutes(name, request.threads)) + "\n";
  rule += "    shell: TB + \" gen " + name + " --force --dir '\" + DIR + \"' --threads {threads}" +
          (compress ? " --compress" : " --plain") + " --summary {output.summary}\"\n\n";
  return rule;
}

}  // namespace

int RunPlan(int argc, char** argv) {
  PlanRequest request;
  int status = ParsePlanArguments(argc, argv, &request);
  if (status >= 0) return status;
  std::vector<std::string> order;
  std::string error;
  if (!GenClassesInOrder(request.wanted, &order, &error)) {
    std::fprintf(stderr, "obrantule-tb plan: %s\n", error.c_str());
    return 2;
  }
  std::string text =
      "# Table generation plan written by obrantule-tb plan: one job per class, each\n"
      "# after the classes its captures and promotions reach. Run it with\n"
      "#   snakemake -s " + request.out + " --cores 2 --rerun-incomplete --rerun-triggers mtime\n"
      "# (see the README for a cluster). Each job writes its tables under a temporary\n"
      "# name and renames them when complete, and records its summary in\n"
      "# DIR/summaries; finished classes are not made again.\n"
      "TB = config.get(\"tb\", " + Quoted(ThisProgram()) + ")\n"
      "DIR = config.get(\"dir\", " + Quoted(AbsolutePath(request.dir)) + ")\n"
      "THREADS = int(config.get(\"threads\", " + std::to_string(request.threads) + "))\n\n"
      "rule all:\n    input:";
  for (const std::string& name : order) text += "\n        DIR + " + Quoted("/summaries/" + name + ".txt") + ",";
  text += "\n    default_target: True\n\n";
  for (const std::string& name : order) text += ClassRule(request, name);
  if (!WriteWholeFile(request.out, std::vector<uint8_t>(text.begin(), text.end()))) return 1;
  std::printf("%s: %zu classes; run: snakemake -s %s --cores 2 --rerun-incomplete --rerun-triggers mtime\n",
              request.out.c_str(), order.size(), request.out.c_str());
  return 0;
}
