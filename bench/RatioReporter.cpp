#include "RatioReporter.h"

#include "ConsoleOptions.h"

#include <algorithm>
#include <cstdio>
#include <thread>

namespace velmora::bench {
namespace {

constexpr const char* kBound = "BM_Bound_Aes192Ecb";

} // namespace

RatioReporter::RatioReporter(std::function<void(std::int64_t)> heading, std::vector<std::string> figures)
    : ConsoleReporter(ConsoleOptions()), m_heading(std::move(heading)), m_figures(std::move(figures))
{}

void RatioReporter::ReportRuns(const std::vector<Run>& runs)
{
    for (const Run& run : runs) {
        if (run.error_occurred || run.run_type != Run::RT_Iteration) {
            continue;
        }
        const std::string& args = run.run_name.args;
        const Key key{run.run_name.function_name, args.empty() ? 0 : std::stoll(args)};
        const Times times{run.GetAdjustedRealTime(), run.GetAdjustedCPUTime()};
        const auto [it, added] = m_times.emplace(key, times);
        if (!added) {
            it->second = {std::min(it->second.real, times.real), std::min(it->second.cpu, times.cpu)};
        }
        for (const auto& [name, counter] : run.counters) {
            m_counters[key][name] = counter.value;
        }
    }
    ConsoleReporter::ReportRuns(runs);
}

void RatioReporter::Finalize()
{
    ConsoleReporter::Finalize();
    // On a shared machine the wall clock also counts other processes' turns on the core; the
    // thread's CPU time does not.
    std::printf("\n%u cores, every figure on one thread (pin it with taskset -c 0)\n",
                std::thread::hardware_concurrency());
    for (const auto& [key, times] : m_times) {
        if (key.first == kBound) {
            PrintRatios(key.second, times);
        }
    }
}

void RatioReporter::PrintRatios(std::int64_t size, const Times& bound)
{
    std::printf("\n");
    m_heading(size);
    std::printf("%-34s %9.2f ms wall %9.2f ms CPU\n", "bound (AES-192-ECB, 1 call)", bound.real, bound.cpu);
    for (const std::string& name : m_figures) {
        const auto it = m_times.find({name, size});
        if (it == m_times.end()) {
            continue;
        }
        std::printf("%-34s %9.2f ms wall %5.2fx bound, CPU %5.2fx", name.c_str(), it->second.real,
                    it->second.real / bound.real, it->second.cpu / bound.cpu);
        for (const auto& [counter, value] : m_counters[{name, size}]) {
            std::printf("  %s %.1f", counter.c_str(), value);
        }
        std::printf("\n");
    }
}

int RunWithRatios(int argc, char** argv, std::function<void(std::int64_t)> heading, std::vector<std::string> figures)
{
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter(std::move(heading), std::move(figures));
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}

} // namespace velmora::bench
