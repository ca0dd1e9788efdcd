// The editor parser over a 16 MiB CP932 text, every recogniser on, beside the floor loop
// that only touches the same bytes, so that the ratio can be read from one run.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "editor/colouring/editor_fountain.h"
#include "editor/colouring/editor_parser.h"
#include "editor/model/row_string_list.h"
#include "support/cp932_text_gen.h"

namespace {

constexpr size_t TextBytes = size_t{16} << 20;

const std::vector<std::string_view>& Lines() {
    static const std::string T = benchtext::GenerateCp932Text(TextBytes);
    static const std::vector<std::string_view> L = benchtext::SplitCrlfLines(T);
    return L;
}

void SetCounters(benchmark::State& State) {
    State.SetBytesProcessed(static_cast<int64_t>(State.iterations()) *
                            static_cast<int64_t>(benchtext::TotalBytes(Lines())));
    State.counters["lines"] = static_cast<double>(Lines().size());
}

void Configure(TEditorFountain& F) {
    F.SetMail(true);
    F.SetUrl(true);
    F.SetCommenter("//");
    F.SetQuotation("\"");
    F.SetControlCode(true);
    F.SetHexPrefix("0x");
    for (auto [L, R] : {std::pair{"{", "}"}, std::pair{"/*", "*/"}}) {
        auto* Item = F.GetBrackets()->Add();
        Item->SetLeftBracket(L);
        Item->SetRightBracket(R);
    }
    for (const char* W : {"if", "else", "for", "while", "return"}) F.GetReserveWordList()->Add(W);
}

void BM_Floor_TouchBytes(benchmark::State& State) {
    const auto& L = Lines();
    for (auto _ : State) benchmark::DoNotOptimize(benchtext::TouchBytes(L));
    SetCounters(State);
}

// What painting does per row: every token with its colour.
void BM_EditorParser_TokensAndColours(benchmark::State& State) {
    const auto& L = Lines();
    TEditorFountain F(nullptr);
    Configure(F);
    auto P = F.CreateParser();
    const TRowAttributeData Start;
    int64_t Tokens = 0;
    for (auto _ : State) {
        Tokens = 0;
        uintptr_t Sum = 0;
        for (std::string_view Line : L) {
            P->NewData(Line, Start);
            while (P->NextToken() != tokEnd) {
                Sum += reinterpret_cast<uintptr_t>(P->TokenToFountainColor()) + static_cast<uintptr_t>(P->TokenLength());
                ++Tokens;
            }
        }
        benchmark::DoNotOptimize(Sum);
    }
    SetCounters(State);
    State.counters["tokens"] = static_cast<double>(Tokens);
}

// What the screen rows do after loading: the state of every row from the one before.
void BM_EditorParser_ScanRows(benchmark::State& State) {
    const auto& L = Lines();
    TEditorStringList Rows;
    for (std::string_view Line : L) Rows.AddRow(Line);
    TEditorFountain F(nullptr);
    Configure(F);
    auto P = F.CreateParser();
    for (auto _ : State) {
        TRowAttributeData Data;
        for (int R = 0; R < Rows.GetCount(); ++R) {
            Data.RowAttribute = raCrlf;
            P->ScanRow(R, &Rows, Data);
        }
        benchmark::DoNotOptimize(Data.BracketIndex);
    }
    SetCounters(State);
}

BENCHMARK(BM_Floor_TouchBytes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EditorParser_TokensAndColours)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EditorParser_ScanRows)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
