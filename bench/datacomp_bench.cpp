// DATACOMP benchmark: decoding throughput against zlib's inflate on the same
// data, and compressed sizes against gzip -9 and xz -9.
//
//   obrantule-bench-datacomp [FILE...]
//
// Without files it uses synthetic table-like data (four 1.7 MB tables laid
// out like a four-piece class). Decoding is measured block by block into one
// 8192-byte buffer, as the block cache does it; zlib is measured both on the
// whole file as one stream and on independent 8192-byte blocks. Times are
// processor times of the measuring thread.
#include <zlib.h>

#include <algorithm>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "datacomp.h"
#include "datacomp_writer.h"
#include "bench_help.h"

namespace {

// Processor time of this thread: the machine may be shared, and time spent
// waiting for the processor says nothing about the decoder.
double Seconds() {
  timespec now;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

// Best throughput in MB/s of `bytes` per call over a few timed rounds.
template <typename Work>
double Throughput(size_t bytes, Work work) {
  double best = 0;
  for (int round = 0; round < 3; round++) {
    int calls = 0;
    double start = Seconds();
    double elapsed;
    do {
      work();
      calls++;
      elapsed = Seconds() - start;
    } while (elapsed < 0.4);
    best = std::max(best, static_cast<double>(bytes) * calls / elapsed / 1e6);
  }
  return best;
}

bool ReadFile(const std::string& path, std::vector<uint8_t>* bytes) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  uint8_t buffer[1 << 16];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes->insert(bytes->end(), buffer, buffer + got);
  std::fclose(f);
  return true;
}

// Size of the output of an external compressor, or 0 when it cannot be run.
uint64_t ExternalSize(const std::string& command, const std::string& path) {
  std::string line = command + " < '" + path + "' 2>/dev/null | wc -c";
  std::FILE* pipe = popen(line.c_str(), "r");
  if (!pipe) return 0;
  unsigned long long size = 0;
  if (std::fscanf(pipe, "%llu", &size) != 1) size = 0;
  pclose(pipe);
  return size;
}

struct Input {
  std::string Name;
  std::vector<uint8_t> Data;
};

void Measure(const Input& input) {
  const std::vector<uint8_t>& data = input.Data;
  std::printf("\n%s: %zu bytes\n", input.Name.c_str(), data.size());

  // Compressed sizes.
  std::vector<uint8_t> file;
  PackStats stats;
  double start = Seconds();
  if (PackData(data.data(), data.size(), nullptr, &file, &stats) != kDatacompOk) {
    std::printf("  pack failed\n");
    return;
  }
  double packSeconds = Seconds() - start;
  std::string temporary = "/tmp/obrantule-bench-datacomp.bin";
  std::FILE* f = std::fopen(temporary.c_str(), "wb");
  if (f) {
    std::fwrite(data.data(), 1, data.size(), f);
    std::fclose(f);
  }
  uint64_t gzipSize = ExternalSize("gzip -9 -c", temporary);
  uint64_t xzSize = ExternalSize("xz -9 -c", temporary);
  std::remove(temporary.c_str());
  auto percent = [&](uint64_t size) { return 100.0 * static_cast<double>(size) / static_cast<double>(data.size()); };
  std::printf("  size    datacomp %9zu (%5.2f%%)  [%u blocks, %u stored, packed at %.1f MB/s]\n", file.size(),
              percent(file.size()), stats.BlockCount, stats.StoredBlocks, data.size() / packSeconds / 1e6);
  std::printf("  size    gzip -9  %9llu (%5.2f%%)   xz -9 %9llu (%5.2f%%)\n", static_cast<unsigned long long>(gzipSize),
              percent(gzipSize), static_cast<unsigned long long>(xzSize), percent(xzSize));
  std::printf("  distances:");
  for (uint32_t d : stats.Distances) std::printf(" %u", d);
  std::printf("\n");

  // Other ways of choosing the distances, for comparison.
  struct Alternative {
    const char* Name;
    int32_t Choice;
    uint32_t Distances[kDatacompDistanceCount];
  };
  const Alternative alternatives[] = {
      {"strongest 24 (no greedy)", kDistancesStrongest, {}},
      {"fixed 1..24", kDistancesGiven, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24}},
      {"fixed 1..8, 64 +-8, 4096", kDistancesGiven, {1, 2, 3, 4, 5, 6, 7, 8, 56, 57, 58, 59, 60, 61, 62, 63, 64, 65, 66, 67, 68, 72, 128, 4096}},
  };
  for (const Alternative& alternative : alternatives) {
    PackOptions options;
    options.DistanceChoice = alternative.Choice;
    std::copy(alternative.Distances, alternative.Distances + kDatacompDistanceCount, options.Distances);
    std::vector<uint8_t> other;
    PackData(data.data(), data.size(), &options, &other, nullptr);
    std::printf("  size    distances %-26s %9zu (%5.2f%%)\n", alternative.Name, other.size(), percent(other.size()));
  }

  // Decoding, block by block into one buffer.
  std::unique_ptr<CompressedHeader> header(new CompressedHeader);
  if (ParseCompressedHeader(file.data(), file.size(), file.size(), header.get()) != kDatacompOk) {
    std::printf("  header failed\n");
    return;
  }
  std::vector<uint8_t> block(kDatacompTableBlockSize);
  bool ok = true;
  double ours = Throughput(data.size(), [&] {
    for (uint32_t b = 0; b < header->BlockCount; b++)
      ok &= ExtractBlock(header.get(), file.data(), file.size(), b, block.data(), kDatacompTableBlockSize) == kDatacompOk;
  });
  if (!ok) std::printf("  decode failed\n");

  // zlib, whole file as one stream.
  uLongf zlibSize = compressBound(data.size());
  std::vector<uint8_t> zlibWhole(zlibSize);
  compress2(zlibWhole.data(), &zlibSize, data.data(), data.size(), 9);
  zlibWhole.resize(zlibSize);
  std::vector<uint8_t> inflated(data.size());
  double zlibWholeRate = Throughput(data.size(), [&] {
    uLongf outSize = inflated.size();
    uncompress(inflated.data(), &outSize, zlibWhole.data(), zlibWhole.size());
  });

  // zlib, independent 8192-byte blocks (random access like ours).
  std::vector<std::vector<uint8_t>> zlibBlocks;
  size_t zlibBlockTotal = 0;
  for (size_t at = 0; at < data.size(); at += kDatacompTableBlockSize) {
    size_t length = std::min<size_t>(kDatacompTableBlockSize, data.size() - at);
    uLongf size = compressBound(length);
    std::vector<uint8_t> packed(size);
    compress2(packed.data(), &size, data.data() + at, length, 9);
    packed.resize(size);
    zlibBlockTotal += size;
    zlibBlocks.push_back(std::move(packed));
  }
  double zlibBlockRate = Throughput(data.size(), [&] {
    for (const std::vector<uint8_t>& packed : zlibBlocks) {
      uLongf outSize = kDatacompTableBlockSize;
      uncompress(block.data(), &outSize, packed.data(), packed.size());
    }
  });

  std::printf("  size    zlib -9 whole %9lu (%5.2f%%)   zlib -9 per block %9zu (%5.2f%%)\n",
              static_cast<unsigned long>(zlibSize), percent(zlibSize), zlibBlockTotal, percent(zlibBlockTotal));
  std::printf("  decode  datacomp %8.0f MB/s   zlib whole %8.0f MB/s (x%.2f)   zlib per block %8.0f MB/s (x%.2f)\n", ours,
              zlibWholeRate, ours / zlibWholeRate, zlibBlockRate, ours / zlibBlockRate);
}

}  // namespace

int main(int argc, char** argv) {
  if (AnswerHelp(argc, argv,
      "usage: obrantule-bench-datacomp [FILE...]\n"
      "DATACOMP decoding speed (MB/s of decoded output, block by block) beside zlib, and the\n"
      "compressed size beside gzip -9 and xz -9, for each FILE (default: synthetic table data).\n"))
    return 0;
  std::vector<Input> inputs;
  for (int i = 1; i < argc; i++) {
    Input input{argv[i], {}};
    if (!ReadFile(argv[i], &input.Data)) {
      std::fprintf(stderr, "cannot read %s\n", argv[i]);
      return 1;
    }
    inputs.push_back(std::move(input));
  }
  if (inputs.empty()) {
    for (uint32_t variant = 0; variant < 4; variant++) {
      Input input{"synthetic table " + std::to_string(variant), {}};
      SynthesiseTable(variant, &input.Data);
      inputs.push_back(std::move(input));
    }
  }
  std::printf("DATACOMP benchmark (MB = 10^6 bytes of decoded output)\n");
  for (const Input& input : inputs) Measure(input);
  return 0;
}
