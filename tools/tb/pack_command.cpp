// obrantule-tb pack: compresses a table file into a DATACOMP file.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "datacomp_writer.h"
#include "tb_commands.h"

namespace {

// "auto", "strongest" or 24 comma-separated distances 1..8191.
bool ParseDistances(const char* text, PackOptions* options) {
  if (std::strcmp(text, "auto") == 0) {
    options->DistanceChoice = kDistancesFromData;
    return true;
  }
  if (std::strcmp(text, "strongest") == 0) {
    options->DistanceChoice = kDistancesStrongest;
    return true;
  }
  options->DistanceChoice = kDistancesGiven;
  const char* p = text;
  for (uint32_t j = 0; j < kDatacompDistanceCount; j++) {
    char* end = nullptr;
    long value = std::strtol(p, &end, 10);
    if (end == p || value < 1 || value >= static_cast<long>(kDatacompTableBlockSize)) return false;
    options->Distances[j] = static_cast<uint32_t>(value);
    p = end;
    if (j + 1 < kDatacompDistanceCount) {
      if (*p != ',') return false;
      p++;
    }
  }
  return *p == 0;
}

}  // namespace

int RunPack(int argc, char** argv) {
  PackOptions options;
  int at = 0;
  while (at < argc && std::strncmp(argv[at], "--", 2) == 0) {
    const char* prefix = "--distances=";
    if (std::strncmp(argv[at], prefix, std::strlen(prefix)) != 0 ||
        !ParseDistances(argv[at] + std::strlen(prefix), &options)) {
      std::fprintf(stderr, "obrantule-tb pack: bad option '%s'\n", argv[at]);
      return CommandUsage("pack");
    }
    at++;
  }
  if (argc - at != 2) return CommandUsage("pack");
  std::string in = argv[at];
  std::string out = argv[at + 1];

  std::vector<uint8_t> data;
  if (!ReadWholeFile(in, &data)) return 1;
  std::vector<uint8_t> file;
  PackStats stats;
  int32_t result = PackData(data.data(), data.size(), &options, &file, &stats);
  if (result != kDatacompOk) {
    std::fprintf(stderr, "obrantule-tb pack: %s: %s\n", in.c_str(), DatacompErrorText(result));
    return 1;
  }
  // Never hand out a file that does not read back as the original.
  std::vector<uint8_t> check;
  result = UnpackData(file.data(), file.size(), &check);
  if (result != kDatacompOk || check != data) {
    std::fprintf(stderr, "obrantule-tb pack: internal error: %s does not read back (%s)\n", in.c_str(),
                 DatacompErrorText(result));
    return 1;
  }
  if (!WriteWholeFile(out, file)) return 1;
  std::printf("%s: %llu bytes -> %s: %llu bytes (%.2f%%), %u blocks, %u stored\n", in.c_str(),
              static_cast<unsigned long long>(stats.InputLength), out.c_str(),
              static_cast<unsigned long long>(stats.OutputLength),
              stats.InputLength ? 100.0 * static_cast<double>(stats.OutputLength) / static_cast<double>(stats.InputLength) : 0.0,
              stats.BlockCount, stats.StoredBlocks);
  return 0;
}
