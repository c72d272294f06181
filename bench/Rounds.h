#pragma once

#include <benchmark/benchmark.h>
#include <string_view>
#include <vector>

namespace velmora::bench {

// Seconds of the calling thread's CPU time and of the wall clock.
struct Clocks
{
    double cpu = 0;
    double wall = 0;

    static Clocks Now();
};

// A figure timed against its reference round by round, as RatioReporter.h explains: each
// iteration of the benchmark is one round, the reference timed first and then the figure.
class Rounds
{
public:
    explicit Rounds(benchmark::State& state) : m_state(state) {}
    Rounds(const Rounds&) = delete;
    Rounds& operator=(const Rounds&) = delete;

    // Work done before a call is not timed: each round may prepare its figure first.
    template <typename Reference, typename Figure> void Run(Reference&& reference, Figure&& figure)
    {
        const Clocks start = Clocks::Now();
        reference();
        const Clocks between = Clocks::Now();
        figure();
        const Clocks end = Clocks::Now();
        Add({between.cpu - start.cpu, between.wall - start.wall}, {end.cpu - between.cpu, end.wall - between.wall});
    }

    // Sets the counters named below from the rounds run so far.
    void Report();

private:
    void Add(const Clocks& reference, const Clocks& figure);

    benchmark::State& m_state;
    std::vector<Clocks> m_reference;
    std::vector<Clocks> m_figure;
};

// The counters Rounds::Report sets: medians of the rounds, and the spread of the ratios.
namespace round_counter {
inline constexpr std::string_view kCpuRatio = "x_cpu";
inline constexpr std::string_view kCpuRatioMin = "x_cpu_min";
inline constexpr std::string_view kCpuRatioMax = "x_cpu_max";
inline constexpr std::string_view kWallRatio = "x_wall";
inline constexpr std::string_view kWallRatioMin = "x_wall_min";
inline constexpr std::string_view kWallRatioMax = "x_wall_max";
inline constexpr std::string_view kFigureCpuMs = "figure_cpu_ms";
inline constexpr std::string_view kFigureWallMs = "figure_wall_ms";
inline constexpr std::string_view kReferenceCpuMs = "reference_cpu_ms";
inline constexpr std::string_view kReferenceWallMs = "reference_wall_ms";
inline constexpr std::string_view kAll[] = {kCpuRatio,       kCpuRatioMin,    kCpuRatioMax, kWallRatio,
                                            kWallRatioMin,   kWallRatioMax,   kFigureCpuMs, kFigureWallMs,
                                            kReferenceCpuMs, kReferenceWallMs};
} // namespace round_counter

// Applied to a benchmark that times itself with Rounds: one iteration per round, in milliseconds.
void InRounds(benchmark::internal::Benchmark* benchmark);

// Takes --rounds=N off the command line and gives every benchmark InRounds was applied to N rounds
// (kDefaultRounds without it). False, after a message, when N is not a positive number.
inline constexpr int kDefaultRounds = 15;
bool TakeRoundsOption(int& argc, char** argv);

} // namespace velmora::bench
