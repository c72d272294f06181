#include "Rounds.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

namespace velmora::bench {
namespace {

double Seconds(clockid_t clock)
{
    timespec now{};
    clock_gettime(clock, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

double Median(std::vector<double> values)
{
    const std::size_t middle = values.size() / 2;
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(middle), values.end());
    const double upper = values[middle];
    if (values.size() % 2 != 0) {
        return upper;
    }
    return (*std::max_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(middle)) + upper) / 2;
}

std::vector<benchmark::internal::Benchmark*>& RoundBenchmarks()
{
    static std::vector<benchmark::internal::Benchmark*> benchmarks;
    return benchmarks;
}

} // namespace

Clocks Clocks::Now()
{
    return {Seconds(CLOCK_THREAD_CPUTIME_ID), Seconds(CLOCK_MONOTONIC)};
}

void Rounds::Add(const Clocks& reference, const Clocks& figure)
{
    m_reference.push_back(reference);
    m_figure.push_back(figure);
    m_state.SetIterationTime(figure.wall);
}

void Rounds::Report()
{
    if (m_figure.empty()) {
        return;
    }
    const auto set = [&](std::string_view name, double value) { m_state.counters[std::string(name)] = value; };
    const auto medianMs = [](const std::vector<Clocks>& rounds, double Clocks::*clock) {
        std::vector<double> values;
        for (const Clocks& round : rounds) {
            values.push_back(round.*clock * 1e3);
        }
        return Median(std::move(values));
    };
    const auto ratios = [&](double Clocks::*clock, std::string_view median, std::string_view min,
                            std::string_view max) {
        std::vector<double> values;
        for (std::size_t i = 0; i < m_figure.size(); ++i) {
            values.push_back(m_figure[i].*clock / m_reference[i].*clock);
        }
        const auto [lowest, highest] = std::minmax_element(values.begin(), values.end());
        set(min, *lowest);
        set(max, *highest);
        set(median, Median(std::move(values)));
    };
    using namespace round_counter;
    ratios(&Clocks::cpu, kCpuRatio, kCpuRatioMin, kCpuRatioMax);
    ratios(&Clocks::wall, kWallRatio, kWallRatioMin, kWallRatioMax);
    set(kFigureCpuMs, medianMs(m_figure, &Clocks::cpu));
    set(kFigureWallMs, medianMs(m_figure, &Clocks::wall));
    set(kReferenceCpuMs, medianMs(m_reference, &Clocks::cpu));
    set(kReferenceWallMs, medianMs(m_reference, &Clocks::wall));
}

void InRounds(benchmark::internal::Benchmark* benchmark)
{
    benchmark->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(kDefaultRounds);
    RoundBenchmarks().push_back(benchmark);
}

bool TakeRoundsOption(int& argc, char** argv)
{
    constexpr std::string_view kOption = "--rounds=";
    int rounds = kDefaultRounds;
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (!argument.starts_with(kOption)) {
            argv[kept++] = argv[i];
            continue;
        }
        const std::string_view number = argument.substr(kOption.size());
        const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), rounds);
        if (number.empty() || error != std::errc() || end != number.data() + number.size() || rounds < 1) {
            std::fprintf(stderr, "--rounds wants a positive number of rounds, not '%s'\n", argv[i]);
            return false;
        }
    }
    argc = kept;
    argv[kept] = nullptr;
    for (benchmark::internal::Benchmark* benchmark : RoundBenchmarks()) {
        benchmark->Iterations(rounds);
    }
    return true;
}

} // namespace velmora::bench
