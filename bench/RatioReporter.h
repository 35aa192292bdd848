// Console reporter that also keeps the time of every repetition of every benchmark, and at the end
// prints, per operation measured on both sides, the median time of each side and their ratio as
// "ratio <operation>: <x>".
#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <ostream>
#include <string>
#include <vector>

namespace bench {

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override;
    void PrintSummary(std::ostream& out) const;

private:
    std::map<std::string, std::vector<double>> seconds_;  // benchmark name -> time per iteration of each repetition
    std::vector<std::string> order_;                      // operations in the order first seen
};

}  // namespace bench
