// A ratio of two kinds of work measured in pairs: blocks of the one and of
// the other run in turn, each block timed by the processor time of the
// thread (user and system), and the ratio reported is the median of the
// ratios of the pairs. On a machine that others share, a disturbance lasts
// longer than one pair and weighs on both of its blocks alike, so the
// median ratio moves far less from run to run than a ratio of two
// benchmarks timed apart.
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <ctime>
#include <vector>

namespace vt::bench {

inline double threadSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Runs one pair per benchmark iteration: `work()` and `floor()` (each a
// block of `perBlock` operations), and reports the median
// ratio (counter "ratio") and the medians of the time per operation of each
// (counters "work_us" and "floor_us"). `between()` runs untimed after each
// pair (to put back what the work changed).
template <class Work, class Floor, class Between>
void pairedRatio(benchmark::State& state, int perBlock, Work work, Floor floor, Between between) {
  std::vector<double> ratios, works, floors;
  auto timed = [](auto& block) {
    const double start = threadSeconds();
    block();
    return threadSeconds() - start;
  };
  bool workFirst = true;
  for (auto _ : state) {
    // Each goes first in every other pair, so that neither gains from what
    // the other left in the caches.
    double workTime = 0;
    double floorTime = 0;
    if (workFirst) {
      workTime = timed(work);
      floorTime = timed(floor);
    } else {
      floorTime = timed(floor);
      workTime = timed(work);
    }
    workFirst = !workFirst;
    state.PauseTiming();
    between();
    state.ResumeTiming();
    if (workTime > 0 && floorTime > 0) {
      ratios.push_back(workTime / floorTime);
      works.push_back(workTime * 1e6 / perBlock);
      floors.push_back(floorTime * 1e6 / perBlock);
    }
  }
  auto median = [](std::vector<double>& values) {
    if (values.empty()) return 0.0;
    std::nth_element(values.begin(), values.begin() + static_cast<long>(values.size() / 2), values.end());
    return values[values.size() / 2];
  };
  state.counters["ratio"] = median(ratios);
  state.counters["work_us"] = median(works);
  state.counters["floor_us"] = median(floors);
}

}  // namespace vt::bench
