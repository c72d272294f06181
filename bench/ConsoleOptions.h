#pragma once

#include <benchmark/benchmark.h>
#include <cstdio>
#include <unistd.h>

namespace velmora::bench {

// The table in colour only on a terminal: a reporter of our own does not get the library's
// choice, and colour codes in a file or a pipe are noise.
inline benchmark::ConsoleReporter::OutputOptions ConsoleOptions()
{
    return isatty(fileno(stdout)) != 0 ? benchmark::ConsoleReporter::OO_Defaults
                                       : benchmark::ConsoleReporter::OO_Tabular;
}

} // namespace velmora::bench
