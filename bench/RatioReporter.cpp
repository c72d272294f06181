#include "RatioReporter.h"

#include "ConsoleOptions.h"

#include <algorithm>
#include <cstdio>
#include <set>
#include <thread>

namespace velmora::bench {

RatioReporter::RatioReporter(std::function<void(std::int64_t)> heading, std::vector<Figure> figures)
    : ConsoleReporter(ConsoleOptions()), m_heading(std::move(heading)), m_figures(std::move(figures))
{}

void RatioReporter::ReportRuns(const std::vector<Run>& runs)
{
    std::vector<Run> shown = runs;
    for (Run& run : shown) {
        if (run.error_occurred || run.run_type != Run::RT_Iteration) {
            continue;
        }
        const std::string& args = run.run_name.args;
        Measured measured{run.iterations, {}};
        for (const auto& [name, counter] : run.counters) {
            measured.counters[name] = counter.value;
        }
        m_measured[{run.run_name.function_name, args.empty() ? 0 : std::stoll(args)}].push_back(std::move(measured));
        // The rounds' figures come after the table, where they have room.
        for (const std::string_view name : round_counter::kAll) {
            run.counters.erase(std::string(name));
        }
    }
    ConsoleReporter::ReportRuns(shown);
}

void RatioReporter::Finalize()
{
    ConsoleReporter::Finalize();
    std::printf("\n%u cores, every figure on one thread (pin it with taskset -c 1). Per figure: the median of its\n"
                "per-round ratios to its reference [smallest, largest], by the thread's CPU time and by the wall\n"
                "clock, then the median milliseconds of the figure and of the reference.\n",
                std::thread::hardware_concurrency());
    std::set<std::int64_t> sizes;
    for (const auto& [key, measured] : m_measured) {
        sizes.insert(key.second);
    }
    for (const std::int64_t size : sizes) {
        PrintRatios(size);
    }
}

void RatioReporter::PrintRatios(std::int64_t size)
{
    using namespace round_counter;
    bool headed = false;
    for (const Figure& figure : m_figures) {
        const auto it = m_measured.find({figure.name, size});
        if (it == m_measured.end()) {
            continue;
        }
        if (!headed) {
            std::printf("\n");
            m_heading(size);
            std::printf("%-30s %-13s %6s  %-22s %-22s %9s %9s %9s %9s\n", "figure", "reference", "rounds",
                        "x CPU [min, max]", "x wall [min, max]", "ms CPU", "ms wall", "ref CPU", "ref wall");
            headed = true;
        }
        for (const Measured& measured : it->second) {
            const auto value = [&](std::string_view name) {
                const auto found = measured.counters.find(std::string(name));
                return found == measured.counters.end() ? 0.0 : found->second;
            };
            const auto ratio = [&](std::string_view median, std::string_view min, std::string_view max) {
                char text[64];
                std::snprintf(text, sizeof text, "%.2f [%.2f, %.2f]", value(median), value(min), value(max));
                return std::string(text);
            };
            std::printf("%-30s %-13s %6lld  %-22s %-22s %9.2f %9.2f %9.2f %9.2f", figure.name.c_str(),
                        figure.reference.c_str(), static_cast<long long>(measured.rounds),
                        ratio(kCpuRatio, kCpuRatioMin, kCpuRatioMax).c_str(),
                        ratio(kWallRatio, kWallRatioMin, kWallRatioMax).c_str(), value(kFigureCpuMs),
                        value(kFigureWallMs), value(kReferenceCpuMs), value(kReferenceWallMs));
            for (const auto& [name, counter] : measured.counters) {
                if (std::find(std::begin(kAll), std::end(kAll), name) == std::end(kAll)) {
                    std::printf("  %s %.1f", name.c_str(), counter);
                }
            }
            std::printf("\n");
        }
    }
}

int RunWithRatios(int argc, char** argv, std::function<void(std::int64_t)> heading, std::vector<Figure> figures)
{
    if (!TakeRoundsOption(argc, argv)) {
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    RatioReporter reporter(std::move(heading), std::move(figures));
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}

} // namespace velmora::bench
