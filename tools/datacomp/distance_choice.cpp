// Choosing the file's 24 copy distances from its data.
//
// Table files repeat themselves at the strides of their index: runs of one
// value (distance 1), a piece moving one square (64 and its neighbours), a
// king pair or piece placement further out. The choice measures this on up
// to 32 blocks spread over the file: first every distance 1..8191 is scored
// by how many sampled positions start a 2-byte match at that distance
// (measured on generated tables, short matches choose better than 4 or 8
// bytes), then the 96 strongest compete greedily: each pick is the distance
// whose matches cover the most bytes not yet covered by the distances
// already picked. (Trading the least used distance for the next finalist by
// coding the sample, as once done here, gained nothing measurable on
// generated tables and cost a third of the packing time.)
#include <algorithm>
#include <cstring>
#include <vector>

#include "datacomp_writer.h"
#include "worker_threads.h"

namespace {

constexpr uint32_t kSampleBlocks = 32;
constexpr uint32_t kFinalists = 96;
constexpr uint32_t kMatchBytes = 2;
constexpr uint32_t kMaxDistance = kDatacompTableBlockSize - 1;

struct Sample {
  const uint8_t* Bytes;
  uint32_t Length;
};

std::vector<Sample> SampleBlocks(const uint8_t* data, size_t length) {
  std::vector<Sample> samples;
  size_t blocks = (length + kDatacompTableBlockSize - 1) / kDatacompTableBlockSize;
  size_t take = std::min<size_t>(blocks, kSampleBlocks);
  for (size_t s = 0; s < take; s++) {
    size_t block = take == blocks ? s : s * blocks / take;
    size_t start = block * kDatacompTableBlockSize;
    uint32_t blockLength = static_cast<uint32_t>(std::min<size_t>(kDatacompTableBlockSize, length - start));
    samples.push_back({data + start, blockLength});
  }
  return samples;
}

constexpr uint32_t kWordsPerSample = kDatacompTableBlockSize / 64;

// Every distance's score: how many sampled positions start a 2-byte match
// at it. Each sample is read as overlapping byte pairs and scored for all
// distances while it sits in the cache; a block's count fits 16 bits, which
// lets the compiler compare and count many positions at once.
std::vector<uint64_t> MatchScores(const std::vector<Sample>& samples, int32_t threads) {
  const uint32_t workers = WorkerCount(threads, static_cast<uint32_t>(samples.size()));
  std::vector<std::vector<uint64_t>> partial(workers, std::vector<uint64_t>(kMaxDistance + 1, 0));
  ForEachIndex(static_cast<uint32_t>(samples.size()), workers, [&](uint32_t s, uint32_t worker) {
    const Sample& sample = samples[s];
    if (sample.Length < kMatchBytes) return;
    std::vector<uint16_t> pairs(kDatacompTableBlockSize);
    const uint8_t* b = sample.Bytes;
    const uint32_t count = sample.Length - kMatchBytes + 1;  // positions that start a pair
    for (uint32_t i = 0; i < count; i++) pairs[i] = static_cast<uint16_t>(b[i] | b[i + 1] << 8);
    const uint16_t* p = pairs.data();
    std::vector<uint64_t>& scores = partial[worker];
    for (uint32_t d = 1; d <= kMaxDistance && d < count; d++) {
      uint16_t matches = 0;
      for (uint32_t i = d; i < count; i++) matches += p[i] == p[i - d];
      scores[d] += matches;
    }
  });
  for (uint32_t w = 1; w < workers; w++)
    for (uint32_t d = 0; d <= kMaxDistance; d++) partial[0][d] += partial[w][d];
  return std::move(partial[0]);
}

// Marks every byte that a match at this distance covers (bit i % 64 of word
// i / 64 per sample): the match flags of all positions first, then eight
// positions' flags gathered into eight bits by one multiplication.
void CoverageBits(const std::vector<Sample>& samples, uint32_t distance, std::vector<uint64_t>* bits) {
  bits->assign(samples.size() * kWordsPerSample, 0);
  // flags[i + 1]: a match starts at i; flags[0] stands for position -1.
  std::vector<uint8_t> flags(kDatacompTableBlockSize + 8);
  for (size_t s = 0; s < samples.size(); s++) {
    const Sample& sample = samples[s];
    if (sample.Length < distance + kMatchBytes) continue;
    std::fill(flags.begin(), flags.end(), 0);
    const uint8_t* b = sample.Bytes;
    const uint32_t end = sample.Length - kMatchBytes + 1;
    uint8_t* starts = flags.data() + 1;
    for (uint32_t i = distance; i < end; i++) starts[i] = (b[i] == b[i - distance]) & (b[i + 1] == b[i + 1 - distance]);
    uint64_t* words = bits->data() + s * kWordsPerSample;
    for (uint32_t at = 0; at < sample.Length; at += 8) {
      uint64_t here, before;
      std::memcpy(&here, starts + at, 8);
      std::memcpy(&before, flags.data() + at, 8);
      uint64_t covered = ((here | before) * 0x0102040810204080ull) >> 56;
      words[at / 64] |= covered << (at % 64);
    }
  }
}

}  // namespace

void ChooseDistances(const uint8_t* data, size_t length, int32_t choice,
                     uint32_t distances[kDatacompDistanceCount], int32_t threads) {
  std::vector<Sample> samples = SampleBlocks(data, length);
  std::vector<std::pair<uint64_t, uint32_t>> scored;  // (score, distance)
  std::vector<uint64_t> scores = MatchScores(samples, threads);
  for (uint32_t d = 1; d <= kMaxDistance; d++)
    if (scores[d] > 0) scored.push_back({scores[d], d});
  // Strongest first; among equals the shorter distance.
  std::sort(scored.begin(), scored.end(), [](const auto& a, const auto& b) {
    return a.first != b.first ? a.first > b.first : a.second < b.second;
  });

  std::vector<uint32_t> chosen;
  if (choice == kDistancesStrongest) {
    for (size_t k = 0; k < scored.size() && chosen.size() < kDatacompDistanceCount; k++)
      chosen.push_back(scored[k].second);
  } else {
    size_t finalists = std::min<size_t>(scored.size(), kFinalists);
    std::vector<std::vector<uint64_t>> cover(finalists);
    const uint32_t workers = WorkerCount(threads, static_cast<uint32_t>(finalists));
    ForEachIndex(static_cast<uint32_t>(finalists), workers,
                 [&](uint32_t k, uint32_t) { CoverageBits(samples, scored[k].second, &cover[k]); });
    std::vector<uint64_t> covered(samples.size() * kWordsPerSample, 0);
    std::vector<bool> taken(finalists, false);
    std::vector<uint64_t> gains(finalists);
    while (chosen.size() < kDatacompDistanceCount) {
      ForEachIndex(static_cast<uint32_t>(finalists), workers, [&](uint32_t k, uint32_t) {
        uint64_t gain = 0;
        for (size_t w = 0; w < covered.size(); w++)
          gain += static_cast<uint64_t>(__builtin_popcountll(cover[k][w] & ~covered[w]));
        gains[k] = gain;
      });
      uint64_t bestGain = 0;
      size_t best = finalists;
      for (size_t k = 0; k < finalists; k++) {
        if (taken[k]) continue;
        uint64_t gain = gains[k];
        if (gain > bestGain || (gain == bestGain && best < finalists && gain > 0 &&
                                scored[k].second < scored[best].second)) {
          bestGain = gain;
          best = k;
        }
      }
      if (best == finalists) break;
      taken[best] = true;
      chosen.push_back(scored[best].second);
      for (size_t w = 0; w < covered.size(); w++) covered[w] |= cover[best][w];
    }
  }
  // Data without repeats: fill up with the smallest distances not yet used.
  for (uint32_t d = 1; chosen.size() < kDatacompDistanceCount; d++)
    if (std::find(chosen.begin(), chosen.end(), d) == chosen.end()) chosen.push_back(d);

  std::sort(chosen.begin(), chosen.end());
  for (uint32_t j = 0; j < kDatacompDistanceCount; j++) distances[j] = chosen[j];
}
