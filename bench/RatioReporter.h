#pragma once

// How the figures are measured, and how to read them.
//
// A figure is never divided by a reference timed at another moment of the run: on a shared
// machine a busy spell for one and a quiet one for the other make any ratio. Each figure runs in
// rounds (Rounds.h), one thread, one process: its reference, the figure, the reference again, the
// figure again, ... (--rounds=N on the command line, kDefaultRounds without it). Every round gives
// figure / reference twice: by the thread's CPU time (clock_gettime(CLOCK_THREAD_CPUTIME_ID), which
// other processes' turns on the core do not inflate) and by the wall clock (which also counts
// waiting, for the disk for one). After the table comes, for each size, one line per figure: the
// median of its per-round ratios with the smallest and largest in brackets, then the median times
// of the figure and of its reference, and the figure's other counters.
//
// The reference of most figures is the AES bound (AesBound.h) over exactly the bytes the figure
// enciphers or deciphers, counted from the account it uses; the reference named on a figure's
// line otherwise. A spread from min to max of a few percent is a quiet core; a wide one says the
// rounds were disturbed, and only the median is worth quoting. Pin the program to one core
// (taskset -c 1) so that the figure and its reference share the same cache.
//
// The table before it is Google Benchmark's own: Time is the figure's mean wall time, while its
// CPU column counts whole rounds, reference and preparation included.

#include "Rounds.h"

#include <benchmark/benchmark.h>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace velmora::bench {

// A benchmark reported as ratios, and what it is divided by.
struct Figure
{
    std::string name; // the benchmark's name without its size
    std::string reference = "AES bound";
};

class RatioReporter : public benchmark::ConsoleReporter
{
public:
    // `heading` prints what a size means before its figures (the benchmarks' argument, 0 without one).
    RatioReporter(std::function<void(std::int64_t size)> heading, std::vector<Figure> figures);

    void ReportRuns(const std::vector<Run>& runs) override;
    void Finalize() override;

private:
    struct Measured
    {
        std::int64_t rounds;
        std::map<std::string, double> counters;
    };

    void PrintRatios(std::int64_t size);

    std::function<void(std::int64_t)> m_heading;
    std::vector<Figure> m_figures;
    // By benchmark and size: one for each repetition.
    std::map<std::pair<std::string, std::int64_t>, std::vector<Measured>> m_measured;
};

// Runs the benchmarks the command line selects, in the rounds it asks for, and reports them
// through a RatioReporter.
int RunWithRatios(int argc, char** argv, std::function<void(std::int64_t size)> heading, std::vector<Figure> figures);

} // namespace velmora::bench
