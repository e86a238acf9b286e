#pragma once

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

// The console report, remembering each run's time per iteration, so that a benchmark can print its
// figure as a ratio against a reference measured in the same run.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    // Colours only on a terminal: piped into a file or a script, the ratio lines must read as plain text
    // (the console report's closing colour reset would otherwise start the first of them).
    RatioReporter() : ConsoleReporter(isatty(fileno(stdout)) ? OO_Defaults : OO_Tabular) {}

    // With repetitions (--benchmark_repetitions) a benchmark's time is the median of its runs, reported
    // after them, which a moment of other work on the machine moves less than a single run.
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            std::string name;
            if (run.run_type != Run::RT_Aggregate)
                name = run.benchmark_name();
            else if (run.aggregate_name == "median")
                name = run.run_name.str();
            if (name.empty()) continue;
            times[name] = run.GetAdjustedRealTime();
            cpuTimes[name] = run.GetAdjustedCPUTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }

    // The clock a ratio is taken on. Wall time counts whatever the machine does meanwhile; a benchmark
    // whose work all runs on its own thread may take its processor time instead, which other work on a
    // shared machine moves far less.
    enum class Clock { wall, processor };

    // Prints "label: measured / reference" when both runs were made.
    void PrintRatio(const char* label, const std::string& measured, const std::string& reference,
                    Clock clock = Clock::wall) const {
        const std::map<std::string, double>& of = clock == Clock::wall ? times : cpuTimes;
        auto m = of.find(measured);
        auto r = of.find(reference);
        if (m != of.end() && r != of.end() && r->second > 0)
            std::printf("%s: %.2f\n", label, m->second / r->second);
    }

    std::map<std::string, double> times;
    std::map<std::string, double> cpuTimes;
};

// Runs the registered benchmarks with a ratio reporter and lets `report` print the ratios.
template <class Report>
int RunWithRatios(int argc, char** argv, Report report) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    report(reporter);
    benchmark::Shutdown();
    return 0;
}
