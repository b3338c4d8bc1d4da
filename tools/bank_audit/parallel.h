// Runs fn(i) for i in 0..count-1 on up to `jobs` threads, each index once.
#pragma once

#include <atomic>
#include <functional>
#include <thread>
#include <vector>

namespace orvalis::tools::audit {

inline void parallelFor(int count, int jobs, const std::function<void(int)>& fn) {
  std::atomic<int> next{0};
  auto work = [&] {
    for (int i = next++; i < count; i = next++) fn(i);
  };
  std::vector<std::thread> helpers;
  for (int j = 1; j < jobs && j < count; ++j) helpers.emplace_back(work);
  work();
  for (std::thread& t : helpers) t.join();
}

}  // namespace orvalis::tools::audit
