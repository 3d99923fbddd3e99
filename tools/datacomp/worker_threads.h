// Spreading the compressor's independent pieces of work (blocks, sampled
// blocks, candidate distances) over threads. Results never depend on which
// thread did what: each piece writes its own output, or sums that are
// added up afterwards.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <functional>
#include <thread>
#include <vector>

// Workers for `count` items: at most `threads`, at least one.
inline uint32_t WorkerCount(int32_t threads, uint32_t count) {
  uint32_t workers = threads > 1 ? static_cast<uint32_t>(threads) : 1;
  return std::max<uint32_t>(1, std::min(workers, count));
}

// Calls body(index, worker) for every index below count, the indices taken
// in turn by `workers` threads (the caller's among them, as worker 0).
inline void ForEachIndex(uint32_t count, uint32_t workers, const std::function<void(uint32_t, uint32_t)>& body) {
  std::atomic<uint32_t> next{0};
  auto work = [&](uint32_t worker) {
    for (uint32_t index; (index = next.fetch_add(1)) < count;) body(index, worker);
  };
  std::vector<std::thread> helpers;
  for (uint32_t w = 1; w < workers; w++) helpers.emplace_back(work, w);
  work(0);
  for (std::thread& helper : helpers) helper.join();
}
