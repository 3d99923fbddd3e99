// DATACOMP benchmark: decoding throughput against zlib's inflate on the same
// data, compressed sizes against gzip -9, and the compressor's own time.
//
//   obrantule-bench-datacomp [--rounds N] [--distances] [FILE...]
//
// A FILE is a table (one byte per position) or a DATACOMP file, which is
// unpacked first; either way the data is packed again with the current
// compressor, so the figures are those of today's compressor and decoder.
// Without files it uses synthetic table-like data. Our decoder works block by
// block into one 8192-byte buffer, as the block cache does; zlib (level 9) is
// measured on the whole data as one stream and on independent 8192-byte
// blocks. The three decoders take turns, N rounds (default 7), and each
// figure is the median over the rounds with the lowest and highest beside it.
// Times are processor times of the measuring thread: the machine may be
// shared, and time spent waiting for the processor says nothing about a
// decoder. --distances adds the sizes that other choices of the 24 copy
// distances would give.
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <unistd.h>
#include <string>
#include <vector>

#include "datacomp.h"
#include "datacomp_writer.h"
#include "bench_help.h"

namespace {

constexpr double kMeasureSeconds = 0.05;

double Seconds() {
  timespec now;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

// Throughput in MB/s of `bytes` per call, over calls for a short while.
template <typename Work>
double Throughput(size_t bytes, Work work) {
  int calls = 0;
  double start = Seconds();
  double elapsed;
  do {
    work();
    calls++;
    elapsed = Seconds() - start;
  } while (elapsed < kMeasureSeconds);
  return static_cast<double>(bytes) * calls / elapsed / 1e6;
}

struct Spread {
  double Median;
  double Low;
  double High;
};

Spread SpreadOf(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return {values[values.size() / 2], values.front(), values.back()};
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
uint64_t ExternalSize(const std::string& command, const std::vector<uint8_t>& data) {
  std::string temporary = "/tmp/obrantule-bench-datacomp-" + std::to_string(getpid()) + ".bin";
  std::FILE* f = std::fopen(temporary.c_str(), "wb");
  if (!f) return 0;
  std::fwrite(data.data(), 1, data.size(), f);
  std::fclose(f);
  std::string line = command + " < '" + temporary + "' 2>/dev/null | wc -c";
  std::FILE* pipe = popen(line.c_str(), "r");
  unsigned long long size = 0;
  if (pipe) {
    if (std::fscanf(pipe, "%llu", &size) != 1) size = 0;
    pclose(pipe);
  }
  std::remove(temporary.c_str());
  return size;
}

struct Input {
  std::string Name;
  std::vector<uint8_t> Data;
};

struct Totals {
  uint64_t Raw = 0;
  uint64_t Ours = 0;
  uint64_t Gzip = 0;
  double PackSeconds = 0;
  double OursSeconds = 0;   // decode time of the whole data at the median rate
  double ZlibSeconds = 0;
  int Slower = 0;           // inputs where our median is below zlib's whole-stream median
};

void AlternativeDistances(const Input& input) {
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
    PackData(input.Data.data(), input.Data.size(), &options, &other, nullptr);
    std::printf("    distances %-26s %10zu\n", alternative.Name, other.size());
  }
}

bool Measure(const Input& input, int rounds, bool distances, Totals* totals) {
  const std::vector<uint8_t>& data = input.Data;
  std::vector<uint8_t> file;
  PackStats stats;
  double start = Seconds();
  if (PackData(data.data(), data.size(), nullptr, &file, &stats) != kDatacompOk) {
    std::printf("%s: pack failed\n", input.Name.c_str());
    return false;
  }
  double packSeconds = Seconds() - start;
  uint64_t gzipSize = ExternalSize("gzip -9 -c", data);

  std::unique_ptr<CompressedHeader> header(new CompressedHeader);
  if (ParseCompressedHeader(file.data(), file.size(), file.size(), header.get()) != kDatacompOk) {
    std::printf("%s: header failed\n", input.Name.c_str());
    return false;
  }
  // The decoded data must be the input, or the timing means nothing.
  std::vector<uint8_t> block(kDatacompTableBlockSize);
  for (uint32_t b = 0; b < header->BlockCount; b++) {
    uint32_t length = BlockLength(header.get(), b);
    if (ExtractBlock(header.get(), file.data(), file.size(), b, block.data(), length) != kDatacompOk ||
        std::memcmp(block.data(), data.data() + static_cast<size_t>(b) * kDatacompTableBlockSize, length) != 0) {
      std::printf("%s: block %u does not decode to the input\n", input.Name.c_str(), b);
      return false;
    }
  }

  uLongf zlibSize = compressBound(data.size());
  std::vector<uint8_t> zlibWhole(zlibSize);
  compress2(zlibWhole.data(), &zlibSize, data.data(), data.size(), 9);
  zlibWhole.resize(zlibSize);
  std::vector<uint8_t> inflated(data.size());
  std::vector<std::vector<uint8_t>> zlibBlocks;
  for (size_t at = 0; at < data.size(); at += kDatacompTableBlockSize) {
    size_t length = std::min<size_t>(kDatacompTableBlockSize, data.size() - at);
    uLongf size = compressBound(length);
    std::vector<uint8_t> packed(size);
    compress2(packed.data(), &size, data.data() + at, length, 9);
    packed.resize(size);
    zlibBlocks.push_back(std::move(packed));
  }

  auto ours = [&] {
    for (uint32_t b = 0; b < header->BlockCount; b++)
      ExtractBlock(header.get(), file.data(), file.size(), b, block.data(), kDatacompTableBlockSize);
  };
  auto whole = [&] {
    uLongf outSize = inflated.size();
    uncompress(inflated.data(), &outSize, zlibWhole.data(), zlibWhole.size());
  };
  auto blocks = [&] {
    for (const std::vector<uint8_t>& packed : zlibBlocks) {
      uLongf outSize = kDatacompTableBlockSize;
      uncompress(block.data(), &outSize, packed.data(), packed.size());
    }
  };
  std::vector<double> rates[3];
  for (int round = 0; round < rounds; round++) {
    // Each round starts with another decoder, so none always runs first.
    for (int k = 0; k < 3; k++) {
      int which = (round + k) % 3;
      double rate = which == 0 ? Throughput(data.size(), ours)
                               : which == 1 ? Throughput(data.size(), whole) : Throughput(data.size(), blocks);
      rates[which].push_back(rate);
    }
  }
  Spread o = SpreadOf(rates[0]), w = SpreadOf(rates[1]), z = SpreadOf(rates[2]);
  std::printf("%-14s %10zu %9zu %9llu %6.3f %6.2f  %5.0f (%4.0f-%4.0f) %5.0f (%4.0f-%4.0f) %5.0f (%4.0f-%4.0f) %5.2f\n",
              input.Name.c_str(), data.size(), file.size(), static_cast<unsigned long long>(gzipSize),
              gzipSize ? static_cast<double>(file.size()) / static_cast<double>(gzipSize) : 0.0, packSeconds,
              o.Median, o.Low, o.High, w.Median, w.Low, w.High, z.Median, z.Low, z.High, o.Median / w.Median);
  std::fflush(stdout);
  if (distances) AlternativeDistances(input);
  totals->Raw += data.size();
  totals->Ours += file.size();
  totals->Gzip += gzipSize;
  totals->PackSeconds += packSeconds;
  totals->OursSeconds += static_cast<double>(data.size()) / (o.Median * 1e6);
  totals->ZlibSeconds += static_cast<double>(data.size()) / (w.Median * 1e6);
  totals->Slower += o.Median < w.Median;
  return true;
}

std::string BaseName(const std::string& path) {
  size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

int main(int argc, char** argv) {
  if (AnswerHelp(argc, argv,
      "usage: obrantule-bench-datacomp [--rounds N] [--distances] [FILE...]\n"
      "DATACOMP decoding speed against zlib's inflate on the same data (CPU time, median of N\n"
      "rounds, default 7), and the compressed size against gzip -9, for each table or DATACOMP\n"
      "FILE (default: synthetic table data). --distances adds other copy-distance choices.\n"))
    return 0;
  int rounds = 7;
  bool distances = false;
  std::vector<Input> inputs;
  for (int i = 1; i < argc; i++) {
    if (std::strcmp(argv[i], "--rounds") == 0 && i + 1 < argc) {
      rounds = std::max(1, std::atoi(argv[++i]));
      continue;
    }
    if (std::strcmp(argv[i], "--distances") == 0) {
      distances = true;
      continue;
    }
    Input input{BaseName(argv[i]), {}};
    std::vector<uint8_t> bytes;
    if (!ReadFile(argv[i], &bytes)) {
      std::fprintf(stderr, "cannot read %s\n", argv[i]);
      return 1;
    }
    // A DATACOMP file is measured on the data it holds.
    if (bytes.size() >= kDatacompBannerLength && std::memcmp(bytes.data(), kDatacompBanner, kDatacompBannerLength) == 0) {
      if (UnpackData(bytes.data(), bytes.size(), &input.Data) != kDatacompOk) {
        std::fprintf(stderr, "cannot unpack %s\n", argv[i]);
        return 1;
      }
    } else {
      input.Data = std::move(bytes);
    }
    if (input.Data.empty()) continue;
    inputs.push_back(std::move(input));
  }
  if (inputs.empty()) {
    for (uint32_t variant = 0; variant < 4; variant++) {
      Input input{"synthetic-" + std::to_string(variant), {}};
      SynthesiseTable(variant, &input.Data);
      inputs.push_back(std::move(input));
    }
  }
  std::printf("DATACOMP benchmark: sizes in bytes, pack in CPU seconds, decoding in MB/s of output\n"
              "(10^6 bytes per CPU second), median of %d interleaved rounds (lowest-highest)\n\n", rounds);
  std::printf("%-14s %10s %9s %9s %6s %6s  %-16s %-16s %-16s %5s\n", "input", "raw", "datacomp", "gzip -9", "ratio",
              "pack", "datacomp", "zlib whole", "zlib per block", "x");
  Totals totals;
  for (const Input& input : inputs)
    if (!Measure(input, rounds, distances, &totals)) return 1;
  std::printf("\ntotal: %llu raw, datacomp %llu, gzip -9 %llu (ratio %.4f); pack %.2f CPU s (%.1f MB/s)\n",
              static_cast<unsigned long long>(totals.Raw), static_cast<unsigned long long>(totals.Ours),
              static_cast<unsigned long long>(totals.Gzip),
              totals.Gzip ? static_cast<double>(totals.Ours) / static_cast<double>(totals.Gzip) : 0.0,
              totals.PackSeconds, static_cast<double>(totals.Raw) / totals.PackSeconds / 1e6);
  std::printf("decode of all inputs at the median rates: datacomp %.3f s, zlib whole %.3f s (x%.2f); "
              "inputs where datacomp is slower than zlib whole: %d of %zu\n",
              totals.OursSeconds, totals.ZlibSeconds, totals.ZlibSeconds / totals.OursSeconds, totals.Slower,
              inputs.size());
  return 0;
}
