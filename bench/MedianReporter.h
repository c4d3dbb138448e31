#pragma once
// Keeps the median of each benchmark run with repetitions, by function name
// and arguments, so that a bench can print ratios to its peers after the run.
#include <benchmark/benchmark.h>
#include <map>
#include <string>
#include <vector>

class MedianReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            if (run.aggregate_name == "median" && !run.error_occurred)
                times[run.run_name.function_name][run.run_name.args] = run.GetAdjustedRealTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }
    // function name → arguments ("" for none) → median real time
    std::map<std::string, std::map<std::string, double>> times;
};
