#pragma once

#include <benchmark/benchmark.h>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace velmora::bench {

// Prints the usual table, then, for each size the AES bound ran at (the benchmarks' argument,
// 0 without one), the chosen figures as ratios to the bound of the same size and run, with
// their counters. With --benchmark_repetitions the quietest run counts: others only add waiting.
class RatioReporter : public benchmark::ConsoleReporter
{
public:
    // `heading` prints what a size means before its figures; `figures` are benchmark names.
    RatioReporter(std::function<void(std::int64_t size)> heading, std::vector<std::string> figures);

    void ReportRuns(const std::vector<Run>& runs) override;
    void Finalize() override;

private:
    using Key = std::pair<std::string, std::int64_t>; // benchmark and size
    struct Times
    {
        double real;
        double cpu;
    };

    void PrintRatios(std::int64_t size, const Times& bound);

    std::function<void(std::int64_t)> m_heading;
    std::vector<std::string> m_figures;
    std::map<Key, Times> m_times;
    std::map<Key, std::map<std::string, double>> m_counters;
};

// Runs the benchmarks the command line selects and reports them through a RatioReporter.
int RunWithRatios(int argc, char** argv, std::function<void(std::int64_t size)> heading,
                  std::vector<std::string> figures);

} // namespace velmora::bench
