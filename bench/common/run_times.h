// Console output of a benchmark run that also keeps each benchmark's time per iteration (in
// the benchmark's unit), for the ratios a benchmark prints after its run. With
// --benchmark_repetitions the median is kept, which holds up on a loaded machine; otherwise
// the single run.
#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <set>
#include <string>
#include <vector>

namespace bench {

class RunTimesReporter : public benchmark::ConsoleReporter {
 public:
  enum class Clock { kReal, kCpu };

  explicit RunTimesReporter(Clock clock) : m_clock(clock) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.error_occurred) {
        continue;
      }
      const std::string name = run.run_name.str();
      const double time =
          m_clock == Clock::kCpu ? run.GetAdjustedCPUTime() : run.GetAdjustedRealTime();
      if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
        m_times[name] = time;
        m_fromMedian.insert(name);
      } else if (run.run_type == Run::RT_Iteration && m_fromMedian.count(name) == 0) {
        m_times[name] = time;
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }

 protected:
  // Time per iteration by benchmark name.
  const std::map<std::string, double>& Times() const { return m_times; }

 private:
  Clock m_clock;
  std::map<std::string, double> m_times;
  std::set<std::string> m_fromMedian;
};

}  // namespace bench
