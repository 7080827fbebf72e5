// The console report of a benchmark program, keeping every rate
// (items_per_second) it reports, by benchmark, for the ratio printed last;
// and the verdict on that ratio.
#pragma once

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

class RateKeeper : public benchmark::ConsoleReporter {
 public:
  // Colour only on a terminal: the last lines are read by scripts.
  RateKeeper() : ConsoleReporter(::isatty(STDOUT_FILENO) ? OO_ColorTabular : OO_Tabular) {}
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& r : runs) {
      auto it = r.counters.find("items_per_second");
      // Means and deviations over repetitions are no rates of their own.
      if (!r.error_occurred && r.run_type == Run::RT_Iteration && it != r.counters.end())
        rates[r.run_name.function_name].push_back(static_cast<double>(it->second.value));
    }
  }
  // The highest rate of a benchmark; 0 when it reported none.
  double Best(const std::string& name) const {
    auto it = rates.find(name);
    return it == rates.end() || it->second.empty() ? 0 : *std::max_element(it->second.begin(), it->second.end());
  }

  std::map<std::string, std::vector<double>> rates;
};

// The middle of the values; 0 for none.
inline double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

// Prints a ratio of the measured work to its bare baseline and tells whether
// it keeps its floor. A floor is about half of what the benchmark measures
// on a quiet machine: noise stays above it, a gross slowdown of the work
// (a third of its speed) falls below, and the benchmark program fails.
inline bool KeepsFloor(const char* name, double ratio, double floor) {
  const bool ok = ratio >= floor;
  std::printf("%s: %.4f (floor %.4f)%s\n", name, ratio, floor, ok ? "" : " BELOW ITS FLOOR");
  return ok;
}
