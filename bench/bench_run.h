// How every benchmark program runs: Google Benchmark runs each case's iterations (one call of the
// work an iteration), so its Time column, its JSON and its compare tool give the time per call. Each
// case runs in five repetitions and reports their mean, median, spread and best: the best is the
// figure a busy machine disturbs least. A reporter passes everything on to the usual display and
// keeps each case's best time per call, from which the programs print their tables of ours beside
// the peer after the run.
#pragma once
#include <benchmark/benchmark.h>

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace bench {
// Milliseconds per call of every benchmark that ran, by its name, as Google Benchmark measured it:
// the best repetition, or the one run where there were no repetitions.
struct Figures {
    std::map<std::string, double> best, single;
};
inline Figures& Measured() {
    static Figures f;
    return f;
}

// 0 for a benchmark that did not run (left out by --benchmark_filter, or failed).
inline double Ms(const std::string& name) {
    const Figures& f = Measured();
    if (const auto it = f.best.find(name); it != f.best.end()) return it->second;
    const auto it = f.single.find(name);
    return it == f.single.end() ? 0 : it->second;
}

// The display the command line asks for, with each case's time kept on the way.
class KeepingReporter : public benchmark::BenchmarkReporter {
public:
    bool ReportContext(const Context& context) override { return display_->ReportContext(context); }
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs) {
            if (r.error_occurred || r.time_unit != benchmark::kMillisecond) continue;
            const std::string& name = r.run_name.function_name;
            if (r.run_type == Run::RT_Iteration) Measured().single[name] = r.GetAdjustedRealTime();
            if (r.run_type == Run::RT_Aggregate && r.aggregate_name == "best") Measured().best[name] = r.GetAdjustedRealTime();
        }
        display_->ReportRuns(runs);
    }
    void Finalize() override { display_->Finalize(); }

private:
    benchmark::BenchmarkReporter* display_ = benchmark::CreateDefaultDisplayReporter();
};

// Milliseconds, with the best repetition beside the usual aggregates.
inline benchmark::internal::Benchmark* Settings(benchmark::internal::Benchmark* b) {
    return b->Unit(benchmark::kMillisecond)->ComputeStatistics("best", [](const std::vector<double>& v) {
        return *std::min_element(v.begin(), v.end());
    });
}

// Google Benchmark's start with this project's defaults (five repetitions of at least 0.1 s, only
// their aggregates on the display), which the command line may override; false when the command
// line holds an argument it does not know.
inline bool Init(int* argc, char** argv) {
    static std::vector<std::string> args;
    static std::vector<char*> ptrs;
    args = {argv[0], "--benchmark_min_time=0.1", "--benchmark_repetitions=5", "--benchmark_display_aggregates_only=true"};
    args.insert(args.end(), argv + 1, argv + *argc);
    ptrs.clear();
    for (std::string& a : args) ptrs.push_back(a.data());
    ptrs.push_back(nullptr);
    int n = int(args.size());
    benchmark::Initialize(&n, ptrs.data());
    return !benchmark::ReportUnrecognizedArguments(n, ptrs.data());
}

// One benchmark whose every iteration is one call of fn, timed in milliseconds.
inline benchmark::internal::Benchmark* Register(const std::string& name, std::function<void()> fn) {
    return Settings(benchmark::RegisterBenchmark(name.c_str(), [fn = std::move(fn)](benchmark::State& state) {
        for (auto _ : state) fn();
    }));
}

// Runs what the command line selects.
inline void RunAll() {
    KeepingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
}
}  // namespace bench
