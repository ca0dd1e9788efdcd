// Benchmarks of the editor text model on a 16 MiB CP932 text, each beside the floor loop
// that only touches the same bytes, so that the ratio can be read from one run.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "editor/model/dbcs.h"
#include "editor/model/line_breaking.h"
#include "support/cp932_text_gen.h"

namespace {

constexpr size_t TextBytes = size_t{16} << 20;

const std::string& Text() {
    static const std::string T = benchtext::GenerateCp932Text(TextBytes);
    return T;
}

const std::vector<std::string_view>& Lines() {
    static const std::vector<std::string_view> L = benchtext::SplitCrlfLines(Text());
    return L;
}

void SetCounters(benchmark::State& State) {
    State.SetBytesProcessed(static_cast<int64_t>(State.iterations()) *
                            static_cast<int64_t>(benchtext::TotalBytes(Lines())));
    State.counters["lines"] = static_cast<double>(Lines().size());
}

void BM_Floor_TouchBytes(benchmark::State& State) {
    const auto& L = Lines();
    for (auto _ : State) benchmark::DoNotOptimize(benchtext::TouchBytes(L));
    SetCounters(State);
}

// The wrap options of the benchmark: WrapByte 80 with Leading, WordBreak and
// FollowPunctuation on.
struct TWrapSetup {
    TEditorWrapOption Option;
    TEditorWrapper Wrapper{&Option};
    TWrapSetup() {
        Option.SetWrapByte(80);
        Option.SetLeading(true);
        Option.SetWordBreak(true);
        Option.SetFollowPunctuation(true);
        Wrapper.SetWordWrap(true);
    }
};

void BM_WrapText_EveryLine(benchmark::State& State) {
    const auto& L = Lines();
    TWrapSetup Setup;
    TEditorStringList Rows;
    int64_t RowCount = 0;
    for (auto _ : State) {
        RowCount = 0;
        for (std::string_view Line : L) {
            Setup.Wrapper.WrapText(Line, Rows);
            RowCount += Rows.GetCount();
        }
        benchmark::DoNotOptimize(RowCount);
    }
    SetCounters(State);
    State.counters["rows"] = static_cast<double>(RowCount);
}

// One 200,000-byte line alone: cutting it costs in proportion to its length.
void BM_WrapText_LongestLine(benchmark::State& State) {
    std::string_view Longest;
    for (std::string_view Line : Lines())
        if (Line.size() > Longest.size()) Longest = Line;
    TWrapSetup Setup;
    TEditorStringList Rows;
    for (auto _ : State) {
        Setup.Wrapper.WrapText(Longest, Rows);
        benchmark::DoNotOptimize(Rows.GetCount());
    }
    State.SetBytesProcessed(static_cast<int64_t>(State.iterations()) * static_cast<int64_t>(Longest.size()));
    State.counters["bytes"] = static_cast<double>(Longest.size());
    State.counters["rows"] = static_cast<double>(Rows.GetCount());
}

void BM_WrapCount_EveryLine(benchmark::State& State) {
    const auto& L = Lines();
    TWrapSetup Setup;
    for (auto _ : State) {
        int64_t RowCount = 0;
        for (std::string_view Line : L) RowCount += Setup.Wrapper.WrapCount(Line);
        benchmark::DoNotOptimize(RowCount);
    }
    SetCounters(State);
}

void BM_DisplayWidth_EveryLine(benchmark::State& State) {
    const auto& L = Lines();
    TColumnParams P;
    for (auto _ : State) {
        int64_t Sum = 0;
        for (std::string_view Line : L) Sum += DisplayWidth(Line, P);
        benchmark::DoNotOptimize(Sum);
    }
    SetCounters(State);
}

BENCHMARK(BM_Floor_TouchBytes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WrapText_EveryLine)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WrapText_LongestLine)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WrapCount_EveryLine)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DisplayWidth_EveryLine)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
